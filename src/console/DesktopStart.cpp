#include "console/DesktopStart.h"

#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "console/TicketFile.h"
#include "platform/AsciiText.h"
#include "platform/AtomicFile.h"
#include "platform/CurrentDirectory.h"
#include "platform/UserFolders.h"

namespace kestrel {
namespace {

namespace fs = std::filesystem;

constexpr const char* kUserDemoUnderData = "/Norvane/Kestrel/demo";
constexpr const char* kInstalledDemoUnderPrefix = "/share/kestrel/demo";

// The same folder, however it was named ("" never is).
bool SameFolder(const std::string& a, const std::string& b) {
    std::error_code error;
    return !a.empty() && !b.empty() && fs::equivalent(a, b, error);
}

bool HoldsDemoTickets(const std::string& folder) {
    size_t found = 0;
    ListDemoTitles(folder, 1, &found);
    return found > 0;
}

bool NamesAFile(const std::vector<std::string>& args) {
    for (const std::string& arg : args) {
        const std::string_view param = !arg.empty() && (arg.front() == '-' || arg.front() == '/')
                                           ? std::string_view(arg).substr(1)
                                           : std::string_view(arg);
        if (StartsWithNoCase(param, "file:")) {
            return true;
        }
    }
    return false;
}

// Copies the regular files of `from` into the new folder `to`.
bool CopyDemoFiles(const std::string& from, const std::string& to, std::error_code& error) {
    for (const fs::directory_entry& entry : fs::directory_iterator(from, error)) {
        if (!entry.is_regular_file(error)) {
            continue;
        }
        if (!fs::copy_file(entry.path(), fs::path(to) / entry.path().filename(), error)) {
            return false;
        }
    }
    return !error;
}

}  // namespace

bool IsDesktopStart(const StartFolders& folders, const std::vector<std::string>& args) {
    if (folders.installedDemo.empty() || NamesAFile(args)) {
        return false;
    }
    if (SameFolder(folders.start, folders.installedDemo)) {
        return true;
    }
    return !HoldsDemoTickets(folders.start) &&
           (SameFolder(folders.start, "/") || SameFolder(folders.start, folders.home));
}

std::string UserDemoFolder() {
    const std::string data = XdgBaseFolder("XDG_DATA_HOME", ".local/share");
    return data.empty() ? "" : data + kUserDemoUnderData;
}

std::string InstalledDemoFolder() {
    char executable[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", executable, sizeof executable - 1);
    if (length <= 0) {
        return "";
    }
    const fs::path prefix =
        fs::path(std::string(executable, static_cast<size_t>(length))).parent_path().parent_path();
    const std::string folder = prefix.string() + kInstalledDemoUnderPrefix;
    std::error_code error;
    return fs::is_directory(folder, error) ? folder : "";
}

std::string EnterUserDemoFolder(const std::string& folder, const std::string& installedDemo) {
    if (folder.empty()) {
        return "there is no home folder for the demo folder";
    }
    std::error_code error;
    if (!fs::is_directory(folder, error)) {
        const std::string parent = fs::path(folder).parent_path().string();
        if (!MakeFolders(parent)) {
            return "cannot make " + parent + " (" + std::strerror(errno) + ")";
        }
        std::string staging = folder + ".new-XXXXXX";
        if (mkdtemp(staging.data()) == nullptr) {
            return "cannot make a folder in " + parent + " (" + std::strerror(errno) + ")";
        }
        if (!CopyDemoFiles(installedDemo, staging, error) ||
            (fs::rename(staging, folder, error), error)) {
            const std::string why = error.message();
            std::error_code ignored;
            fs::remove_all(staging, ignored);
            // Another start may have made it meanwhile; otherwise the copy failed.
            if (!fs::is_directory(folder, ignored)) {
                return "cannot fill " + folder + " from " + installedDemo + " (" + why + ")";
            }
        }
    }
    if (!ChangeCurrentDirectory(folder)) {
        return "cannot enter " + folder + " (" + std::strerror(errno) + ")";
    }
    return "";
}

std::string ChooseWorkingFolder(const std::vector<std::string>& args) {
    const StartFolders folders{CurrentDirectory(), HomeFolder(), InstalledDemoFolder()};
    if (!IsDesktopStart(folders, args)) {
        return "";
    }
    const std::string problem = EnterUserDemoFolder(UserDemoFolder(), folders.installedDemo);
    return problem.empty() ? "" : problem + "; working in " + folders.start;
}

}  // namespace kestrel
