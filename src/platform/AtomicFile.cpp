#include "platform/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <vector>

namespace kestrel {
namespace {

constexpr mode_t kNewFileMode = 0644;
constexpr mode_t kNewFolderMode = 0700;
constexpr size_t kReadChunk = 64 * 1024;

std::string FolderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool WriteAll(int fd, const std::string& text) {
    size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = write(fd, text.data() + done, text.size() - done);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        done += static_cast<size_t>(n);
    }
    return true;
}

void SyncFolder(const std::string& folder) {
    const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        fsync(fd);  // makes the rename durable; a failure here cannot undo it
        close(fd);
    }
}

}  // namespace

bool MakeFolders(const std::string& folder) {
    struct stat info {};
    if (stat(folder.c_str(), &info) == 0) {
        return S_ISDIR(info.st_mode);
    }
    const std::string parent = FolderOf(folder);
    if (parent != folder && !MakeFolders(parent)) {
        return false;
    }
    return mkdir(folder.c_str(), kNewFolderMode) == 0 || errno == EEXIST;
}

bool ReadBoundedFile(const std::string& path, std::string* text, size_t maxSize,
                     BoundedReadOutcome* outcome) {
    BoundedReadOutcome local;
    BoundedReadOutcome& result = outcome != nullptr ? *outcome : local;
    result = BoundedReadOutcome{};
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        result.error = errno;
        return false;
    }
    struct stat info {};
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        result.error = errno;
        result.notRegularFile = true;
        close(fd);
        return false;
    }
    result.cutShort = static_cast<uint64_t>(info.st_size) > maxSize;
    text->clear();
    std::vector<char> chunk(kReadChunk);
    bool failed = false;
    while (text->size() < maxSize) {
        const size_t want = std::min(chunk.size(), maxSize - text->size());
        const ssize_t n = read(fd, chunk.data(), want);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            result.error = errno;
            failed = true;
        }
        if (n <= 0) {
            break;  // an end of file earlier than the size: the file shrank, keep what was there
        }
        text->append(chunk.data(), static_cast<size_t>(n));
    }
    close(fd);
    return !failed;
}

bool IsRegularFile(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool FileWritable(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
           access(path.c_str(), R_OK | W_OK) == 0 &&
           access(FolderOf(path).c_str(), W_OK | X_OK) == 0;
}

bool CreateFileWithFolders(const std::string& path, const std::string& initialText) {
    if (!MakeFolders(FolderOf(path))) {
        return false;
    }
    struct stat info {};
    if (stat(path.c_str(), &info) == 0) {
        return FileWritable(path);
    }
    return WriteFileAtomically(path, initialText);
}

bool WriteFileAtomically(const std::string& path, const std::string& text) {
    const std::string folder = FolderOf(path);
    std::string temporary = folder + "/." + NameOf(path) + ".XXXXXX";
    const int fd = mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    struct stat old {};
    const mode_t mode = stat(path.c_str(), &old) == 0 ? (old.st_mode & 07777) : kNewFileMode;
    const bool written = WriteAll(fd, text) && fchmod(fd, mode) == 0 && fsync(fd) == 0;
    const int savedErrno = errno;
    if (close(fd) != 0 || !written || rename(temporary.c_str(), path.c_str()) != 0) {
        const int failure = written ? errno : savedErrno;
        unlink(temporary.c_str());
        errno = failure;
        return false;
    }
    SyncFolder(folder);
    return true;
}

}  // namespace kestrel
