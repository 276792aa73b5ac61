#include "packets/RecordingFolder.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "packets/RecordingFormat.h"
#include "platform/UserFolders.h"

namespace kestrel {
namespace {

constexpr const char* kRecordingsUnderState = "/Norvane/Kestrel/recordings";

bool KeepsCharacter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '.' ||
           c == '-' || c == '_';
}

}  // namespace

std::string DefaultRecordingFolder() {
    const std::string state = XdgBaseFolder("XDG_STATE_HOME", ".local/state");
    return state.empty() ? std::string() : state + kRecordingsUnderState;
}

std::string RecordingFileName(const std::string& localStartTime, const std::string& port) {
    std::string name = localStartTime + "-";
    for (const char c : port.empty() ? std::string("no-port") : port) {
        name += KeepsCharacter(c) ? c : '_';
    }
    return name + std::string(kRecordingExtension);
}

std::vector<RecordingFile> ListRecordings(const std::string& folder) {
    std::vector<RecordingFile> files;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        std::error_code ignored;
        const std::string path = entry.path().string();
        if (entry.is_regular_file(ignored) && entry.path().extension() == kRecordingExtension) {
            files.push_back(RecordingFile{path, entry.file_size(ignored)});
        }
    }
    std::sort(files.begin(), files.end(),
              [](const RecordingFile& a, const RecordingFile& b) { return a.path < b.path; });
    return files;
}

bool RecordingInUse(const std::string& path) {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0) {
        return false;
    }
    const bool locked = flock(fd, LOCK_SH | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    close(fd);
    return locked;
}

uint64_t TrimRecordings(const std::string& folder, const std::string& keep, uint64_t limitBytes) {
    std::vector<RecordingFile> files = ListRecordings(folder);
    uint64_t total = 0;
    for (const RecordingFile& file : files) {
        total += file.size;
    }
    for (const RecordingFile& file : files) {
        if (total <= limitBytes) {
            break;
        }
        if (file.path == keep || RecordingInUse(file.path)) {
            continue;
        }
        if (unlink(file.path.c_str()) == 0) {
            total -= file.size;
        }
    }
    return total;
}

}  // namespace kestrel
