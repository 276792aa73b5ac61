#include "platform/SettingsKey.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "support/ScratchFolder.h"
#include "support/Unprivileged.h"

namespace kestrel {
namespace {

using namespace std::string_literals;

using testing::ScratchFolder;

std::string ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

void WriteWholeFile(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
}

std::vector<std::string> FolderEntries(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    return names;
}

std::vector<uint8_t> Pattern(size_t size) {
    std::vector<uint8_t> bytes(size);
    for (size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<uint8_t>((i * 31 + 7) ^ (i >> 8));
    }
    return bytes;
}

class SettingsKeyTest : public ::testing::Test {
  protected:
    std::unique_ptr<SettingsKey> Create() {
        return SettingsKey::Open(m_path, SettingsAccess::Create);
    }
    std::unique_ptr<SettingsKey> Reopen() {
        return SettingsKey::Open(m_path, SettingsAccess::ReadWrite);
    }

    ScratchFolder m_folder;
    std::string m_path = m_folder.File("Quillon/IOCommKestrel.reg");
};

TEST_F(SettingsKeyTest, OpenOrderNeedsAnExistingFileUntilCreate) {
    EXPECT_EQ(SettingsKey::Open(m_path, SettingsAccess::ReadWrite), nullptr);
    EXPECT_EQ(SettingsKey::Open(m_path, SettingsAccess::ReadOnly), nullptr);
    ASSERT_NE(Create(), nullptr);  // makes the folder too
    EXPECT_EQ(ReadWholeFile(m_path),
              "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Quillon\\IOCommKestrel]\n\n");
    EXPECT_NE(SettingsKey::Open(m_path, SettingsAccess::ReadWrite), nullptr);
    EXPECT_NE(SettingsKey::Open(m_path, SettingsAccess::ReadOnly), nullptr);
    EXPECT_EQ(SettingsKey::Open("", SettingsAccess::Create), nullptr);
}

TEST_F(SettingsKeyTest, BinariesOfBothSizesRoundTripThroughTheFile) {
    const std::vector<uint8_t> commData = Pattern(52);
    const std::vector<uint8_t> history = Pattern(7680);
    {
        auto key = Create();
        ASSERT_NE(key, nullptr);
        ASSERT_TRUE(key->SetBinary("Comm data", commData.data(), commData.size()));
        ASSERT_TRUE(key->SetBinary("CmdSave", history.data(), history.size()));
    }
    auto key = Reopen();
    ASSERT_NE(key, nullptr);
    std::vector<uint8_t> read(7680);
    size_t size = 0;
    ASSERT_TRUE(key->ReadBinary("Comm Data", read.data(), 52, &size));
    EXPECT_EQ(size, 52u);
    EXPECT_TRUE(std::equal(commData.begin(), commData.end(), read.begin()));
    ASSERT_TRUE(key->ReadBinary("CmdSave", read.data(), read.size(), &size));
    EXPECT_EQ(size, 7680u);
    EXPECT_EQ(read, history);
    // A buffer too small fails and reports the stored size, as the registry's read does.
    size_t stored = 0;
    SettingsValueType type = SettingsValueType::String;
    EXPECT_FALSE(key->Query("CmdSave", read.data(), 1000, &stored, &type));
    EXPECT_EQ(stored, 7680u);
    EXPECT_EQ(type, SettingsValueType::Binary);
}

TEST_F(SettingsKeyTest, NamesIgnoreCaseAndKeepTheirFirstSpelling) {
    auto key = Create();
    ASSERT_NE(key, nullptr);
    ASSERT_TRUE(key->SetDword("ResetWait", 1));
    ASSERT_TRUE(key->SetDword("RESETWAIT", 2));
    uint32_t value = 0;
    ASSERT_TRUE(key->ReadDword("resetwait", &value));
    EXPECT_EQ(value, 2u);
    const std::string text = ReadWholeFile(m_path);
    EXPECT_NE(text.find("\"ResetWait\"=dword:00000002\n"), std::string::npos) << text;
    EXPECT_EQ(text.find("RESETWAIT"), std::string::npos) << text;
    ASSERT_TRUE(key->DeleteValue("RESETwait"));
    EXPECT_FALSE(key->ReadDword("ResetWait", &value));
    EXPECT_FALSE(key->DeleteValue("ResetWait"));
}

TEST_F(SettingsKeyTest, DwordReadsTakeOnlyFourByteValues) {
    auto key = Create();
    ASSERT_NE(key, nullptr);
    const uint8_t four[4] = {0x78, 0x56, 0x34, 0x12};
    ASSERT_TRUE(key->SetBinary("Four", four, sizeof four));
    ASSERT_TRUE(key->SetString("Text", "abc", 3));
    ASSERT_TRUE(key->SetBinary("Eight", Pattern(8).data(), 8));
    uint32_t value = 7;
    ASSERT_TRUE(key->ReadDword("Four", &value));  // the type is not checked
    EXPECT_EQ(value, 0x12345678u);
    value = 7;
    EXPECT_FALSE(key->ReadDword("Text", &value));
    EXPECT_FALSE(key->ReadDword("Eight", &value));
    EXPECT_FALSE(key->ReadDword("Missing", &value));
    EXPECT_EQ(value, 7u);
}

TEST_F(SettingsKeyTest, StringsKeepTheirStoredLength) {
    {
        auto key = Create();
        ASSERT_NE(key, nullptr);
        ASSERT_TRUE(key->SetString("PortName", "COM3", 4));  // no terminator
        ASSERT_TRUE(key->SetString("COM1", "/dev/pts/7", 11));
        const char odd[] = {'a', 0, '\n', 'b'};
        ASSERT_TRUE(key->SetString("Odd", odd, sizeof odd));
    }
    const std::string text = ReadWholeFile(m_path);
    EXPECT_NE(text.find("\"COM1\"=\"/dev/pts/7\"\n"), std::string::npos) << text;
    auto key = Reopen();
    char buffer[32] = {};
    size_t size = 0;
    SettingsValueType type = SettingsValueType::Binary;
    ASSERT_TRUE(key->Query("PortName", buffer, sizeof buffer, &size, &type));
    EXPECT_EQ(size, 4u);
    EXPECT_EQ(type, SettingsValueType::String);
    EXPECT_EQ(std::string(buffer, size), "COM3");
    ASSERT_TRUE(key->Query("COM1", buffer, sizeof buffer, &size, &type));
    EXPECT_EQ(std::string(buffer, size), std::string("/dev/pts/7", 11));
    ASSERT_TRUE(key->Query("Odd", buffer, sizeof buffer, &size, &type));
    EXPECT_EQ(std::string(buffer, size), std::string("a\0\nb", 4));
}

TEST_F(SettingsKeyTest, DamagedFileKeepsItsGoodValuesThroughAWrite) {
    ASSERT_NE(Create(), nullptr);
    WriteWholeFile(m_path,
                   "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Quillon\\IOCommKestrel]\n"
                   "\"ResetWait\"=dword:00000005\n"
                   "\"Comm Data\"=hex:01,02,0\n"
                   "\xff\xfe\x00\x01 binary garbage \x80\x81\n"
                   "\"PortType\"=dword:123456789\n"
                   "\"PortName\"=\"COM4\"\n"
                   "\"TCP\"=hex:41,42,\\\n  4"s);
    auto key = Reopen();
    ASSERT_NE(key, nullptr);
    uint32_t value = 0;
    EXPECT_TRUE(key->ReadDword("ResetWait", &value));
    EXPECT_EQ(value, 5u);
    uint8_t bytes[64];
    EXPECT_FALSE(key->ReadBinary("Comm Data", bytes, sizeof bytes));
    EXPECT_FALSE(key->ReadDword("PortType", &value));
    EXPECT_FALSE(key->ReadBinary("TCP", bytes, sizeof bytes));
    ASSERT_TRUE(key->SetDword("DebugMode", 1));

    auto again = Reopen();
    ASSERT_NE(again, nullptr);
    EXPECT_TRUE(again->ReadDword("ResetWait", &value));
    EXPECT_EQ(value, 5u);
    EXPECT_TRUE(again->ReadDword("DebugMode", &value));
    char name[8] = {};
    EXPECT_TRUE(again->ReadBinary("PortName", name, sizeof name));
    EXPECT_STREQ(name, "COM4");
}

TEST_F(SettingsKeyTest, GarbageAndNonRegularFilesReadAsEmpty) {
    ASSERT_NE(Create(), nullptr);
    std::string garbage(100000, '\0');
    for (size_t i = 0; i < garbage.size(); ++i) {
        garbage[i] = static_cast<char>(i * 131 + (i >> 3));
    }
    WriteWholeFile(m_path, garbage);
    auto key = Reopen();
    ASSERT_NE(key, nullptr);
    uint32_t value = 0;
    EXPECT_FALSE(key->ReadDword("ResetWait", &value));

    // A FIFO in place of the file must neither block nor be taken as settings.
    const std::string fifo = m_folder.File("fifo.reg");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(SettingsKey::Open(fifo, SettingsAccess::ReadOnly), nullptr);
}

TEST_F(SettingsKeyTest, WritesLeaveNoTemporaryFileBehind) {
    auto key = Create();
    ASSERT_NE(key, nullptr);
    for (uint32_t i = 0; i < 20; ++i) {
        ASSERT_TRUE(key->SetDword("Count", i));
    }
    EXPECT_EQ(FolderEntries(m_folder.File("Quillon")),
              std::vector<std::string>{"IOCommKestrel.reg"});
}

// A settings file reached through a link: the link stays, the file it names takes the write,
// and the temporary files that killed writes left beside it go (those of a write still going
// on, which holds its lock, and those of other files stay).
TEST_F(SettingsKeyTest, ALinkIsWrittenThroughAndStaleTemporariesGo) {
    const std::string real = m_folder.File("real");
    std::filesystem::create_directories(real);
    std::filesystem::create_directories(m_folder.File("Quillon"));
    ASSERT_EQ(symlink((real + "/IOCommKestrel.reg").c_str(), m_path.c_str()), 0);
    WriteWholeFile(real + "/.IOCommKestrel.reg.Ab12Cd", std::string(2 << 20, 'x'));  // killed
    WriteWholeFile(real + "/.other.reg.Ab12Cd", "not ours");
    const std::string live = real + "/.IOCommKestrel.reg.Zz99Yy";
    WriteWholeFile(live, "being written");
    const int held = open(live.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_EQ(flock(held, LOCK_EX), 0);

    auto key = Create();
    ASSERT_NE(key, nullptr);
    ASSERT_TRUE(key->SetDword("Count", 7));
    EXPECT_TRUE(std::filesystem::is_symlink(m_path));
    EXPECT_NE(ReadWholeFile(real + "/IOCommKestrel.reg").find("\"Count\"=dword:00000007"),
              std::string::npos);
    EXPECT_EQ(FolderEntries(m_folder.File("Quillon")),
              std::vector<std::string>{"IOCommKestrel.reg"});
    std::vector<std::string> left = FolderEntries(real);
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::string>{".IOCommKestrel.reg.Zz99Yy", ".other.reg.Ab12Cd",
                                              "IOCommKestrel.reg"}));
    close(held);
}

TEST_F(SettingsKeyTest, FailedWriteKeepsTheOldFileAndTheValuesInMemory) {
    auto key = Create();
    ASSERT_NE(key, nullptr);
    ASSERT_TRUE(key->SetBinary("TCP", Pattern(1000).data(), 1000));
    const std::string before = ReadWholeFile(m_path);

    // A file-size limit below the new file's size makes the write fail half-way, for root too.
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit previous{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &previous), 0);
    rlimit small = previous;
    small.rlim_cur = 100;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool written = key->SetBinary("CmdSave", Pattern(7680).data(), 7680);
    setrlimit(RLIMIT_FSIZE, &previous);
    std::signal(SIGXFSZ, previousHandler);

    EXPECT_FALSE(written);
    EXPECT_EQ(ReadWholeFile(m_path), before);
    EXPECT_EQ(FolderEntries(m_folder.File("Quillon")),
              std::vector<std::string>{"IOCommKestrel.reg"});
    std::vector<uint8_t> tcp(1000);
    EXPECT_TRUE(key->ReadBinary("TCP", tcp.data(), tcp.size()));
    EXPECT_EQ(tcp, Pattern(1000));
    uint8_t history[8];
    EXPECT_FALSE(key->ReadBinary("CmdSave", history, sizeof history));
}

TEST_F(SettingsKeyTest, ReadOnlyFolderRefusesWritesAndFallsBackToReadOnly) {
    {
        auto key = Create();
        ASSERT_NE(key, nullptr);
        ASSERT_TRUE(key->SetDword("ResetWait", 9));
    }
    const std::string folder = m_folder.File("Quillon");
    const std::string before = ReadWholeFile(m_path);
    // Each failing step reports its own number.
    const int failedStep = testing::RunUnprivileged(m_folder.Path(), [&] {
        auto writer = SettingsKey::Open(m_path, SettingsAccess::ReadWrite);
        if (writer == nullptr) {
            return 1;
        }
        if (chmod(folder.c_str(), 0555) != 0) {
            return 2;
        }
        if (writer->SetDword("ResetWait", 10)) {  // the rename target folder is read-only
            return 3;
        }
        if (SettingsKey::Open(m_path, SettingsAccess::ReadWrite) != nullptr) {
            return 4;
        }
        auto reader = SettingsKey::Open(m_path, SettingsAccess::ReadOnly);
        uint32_t value = 0;
        if (reader == nullptr || reader->SetDword("ResetWait", 11) ||
            !reader->ReadDword("ResetWait", &value) || value != 9) {
            return 5;
        }
        if (!writer->ReadDword("ResetWait", &value) || value != 9) {
            return 6;
        }
        return 0;
    });
    chmod(folder.c_str(), 0755);
    EXPECT_EQ(failedStep, 0);
    EXPECT_EQ(ReadWholeFile(m_path), before);
    EXPECT_EQ(FolderEntries(folder), std::vector<std::string>{"IOCommKestrel.reg"});
}

TEST_F(SettingsKeyTest, ReadOnlyKeyRefusesEveryChange) {
    {
        auto key = Create();
        ASSERT_TRUE(key->SetDword("ResetWait", 9));
    }
    auto reader = SettingsKey::Open(m_path, SettingsAccess::ReadOnly);
    ASSERT_NE(reader, nullptr);
    EXPECT_FALSE(reader->SetDword("ResetWait", 1));
    EXPECT_FALSE(reader->SetBinary("B", "x", 1));
    EXPECT_FALSE(reader->SetString("S", "x", 1));
    EXPECT_FALSE(reader->DeleteValue("ResetWait"));
    uint32_t value = 0;
    EXPECT_TRUE(reader->ReadDword("ResetWait", &value));
    EXPECT_EQ(value, 9u);
}

TEST_F(SettingsKeyTest, UnwritableNamesAreRefused) {
    auto key = Create();
    EXPECT_FALSE(key->SetDword(std::string_view("a\nb"), 1));
    EXPECT_FALSE(key->SetDword(std::string_view("a\0b", 3), 1));
    EXPECT_TRUE(key->SetDword("quote\"and\\slash", 1));
    uint32_t value = 0;
    EXPECT_TRUE(Reopen()->ReadDword("QUOTE\"AND\\SLASH", &value));
}

TEST_F(SettingsKeyTest, OpenKeysSeeEachOthersWrites) {
    auto first = Create();
    auto second = Reopen();
    ASSERT_NE(second, nullptr);
    ASSERT_TRUE(first->SetDword("A", 1));
    ASSERT_TRUE(second->SetDword("B", 2));  // must not drop A
    uint32_t value = 0;
    EXPECT_TRUE(first->ReadDword("B", &value));
    EXPECT_EQ(value, 2u);
    EXPECT_TRUE(Reopen()->ReadDword("A", &value));
    EXPECT_EQ(value, 1u);
}

class DefaultPathTest : public ::testing::Test {
  protected:
    void SetUp() override {
        for (const char* name : {"KESTREL_SETTINGS", "XDG_CONFIG_HOME", "HOME"}) {
            const char* value = std::getenv(name);
            m_saved.emplace_back(name, value ? std::optional<std::string>(value) : std::nullopt);
        }
    }
    void TearDown() override {
        for (const auto& [name, value] : m_saved) {
            if (value) {
                setenv(name.c_str(), value->c_str(), 1);
            } else {
                unsetenv(name.c_str());
            }
        }
    }
    std::vector<std::pair<std::string, std::optional<std::string>>> m_saved;
};

TEST_F(DefaultPathTest, EnvironmentDecidesInOrder) {
    setenv("HOME", "/home/op", 1);
    setenv("XDG_CONFIG_HOME", "/xdg", 1);
    setenv("KESTREL_SETTINGS", "/tmp/k.reg", 1);
    EXPECT_EQ(SettingsKey::DefaultPath(), "/tmp/k.reg");
    unsetenv("KESTREL_SETTINGS");
    EXPECT_EQ(SettingsKey::DefaultPath(), "/xdg/Quillon/IOCommKestrel.reg");
    setenv("XDG_CONFIG_HOME", "relative", 1);  // not absolute: ignored, as XDG says
    EXPECT_EQ(SettingsKey::DefaultPath(), "/home/op/.config/Quillon/IOCommKestrel.reg");
    unsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(SettingsKey::DefaultPath(), "/home/op/.config/Quillon/IOCommKestrel.reg");
}

}  // namespace
}  // namespace kestrel
