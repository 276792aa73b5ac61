#include "platform/AtomicFile.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstring>
#include <vector>

namespace kestrel {
namespace {

constexpr mode_t kNewFileMode = 0644;
constexpr mode_t kNewFolderMode = 0700;
constexpr size_t kReadChunk = 64 * 1024;
// The random part mkostemp puts at the end of a temporary file's name.
constexpr const char* kTemporarySuffix = "XXXXXX";
constexpr size_t kTemporarySuffixLength = 6;
// Links followed to the file a path names, as the kernel follows them.
constexpr int kMaxLinksFollowed = 40;

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

// The file `path` names once its links are followed: a link is written through, never replaced
// by a file of its own. A link to a file that is not there yet names where it is to be.
bool FollowLinks(std::string path, std::string* target) {
    for (int hop = 0; hop < kMaxLinksFollowed; ++hop) {
        struct stat info {};
        if (lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) {
            *target = path;
            return true;
        }
        std::vector<char> link(PATH_MAX + 1);
        const ssize_t length = readlink(path.c_str(), link.data(), link.size() - 1);
        if (length <= 0) {
            return false;
        }
        const std::string next(link.data(), static_cast<size_t>(length));
        path = next.front() == '/' ? next : FolderOf(path) + "/" + next;
    }
    errno = ELOOP;
    return false;
}

// The temporary file beside `path`, created and locked for as long as this write holds it: a
// lock that a killed write can no longer hold marks its temporary file as stale.
int CreateLockedTemporary(const std::string& path, std::string* temporary) {
    for (int attempt = 0; attempt < 2; ++attempt) {
        *temporary = FolderOf(path) + "/." + NameOf(path) + "." + kTemporarySuffix;
        const int fd = mkostemp(temporary->data(), O_CLOEXEC);
        if (fd < 0) {
            return -1;
        }
        struct stat info {};
        // Between the creation and the lock another write may have taken it for stale.
        if (flock(fd, LOCK_EX) == 0 && fstat(fd, &info) == 0 && info.st_nlink > 0) {
            return fd;
        }
        close(fd);
    }
    errno = EAGAIN;
    return -1;
}

bool IsTemporaryNameOf(const std::string& entry, const std::string& name) {
    const std::string prefix = "." + name + ".";
    if (entry.size() != prefix.size() + kTemporarySuffixLength || entry.rfind(prefix, 0) != 0) {
        return false;
    }
    return std::all_of(entry.begin() + static_cast<long>(prefix.size()), entry.end(),
                       [](char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0; });
}

// Removes the temporary files of earlier writes of `path` that were killed before their rename:
// those whose lock nobody holds any more. Temporaries of writes still going on stay.
void RemoveStaleTemporaries(const std::string& path) {
    const std::string folder = FolderOf(path);
    const std::string name = NameOf(path);
    DIR* listing = opendir(folder.c_str());
    if (listing == nullptr) {
        return;
    }
    while (const dirent* entry = readdir(listing)) {
        if (!IsTemporaryNameOf(entry->d_name, name)) {
            continue;
        }
        const std::string stale = folder + "/" + entry->d_name;
        const int fd = open(stale.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) {
            continue;
        }
        struct stat held {};
        struct stat named {};
        if (flock(fd, LOCK_EX | LOCK_NB) == 0 && fstat(fd, &held) == 0 && S_ISREG(held.st_mode) &&
            lstat(stale.c_str(), &named) == 0 && named.st_ino == held.st_ino &&
            named.st_dev == held.st_dev) {
            unlink(stale.c_str());
        }
        close(fd);
    }
    closedir(listing);
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
    std::string target;
    // The replacement goes beside the file a link names, so that folder must be writable.
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
           access(path.c_str(), R_OK | W_OK) == 0 && FollowLinks(path, &target) &&
           access(FolderOf(target).c_str(), W_OK | X_OK) == 0;
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
    std::string target;
    if (!FollowLinks(path, &target)) {
        return false;
    }
    std::string temporary;
    const int fd = CreateLockedTemporary(target, &temporary);
    if (fd < 0) {
        return false;
    }
    struct stat old {};
    const mode_t mode = stat(target.c_str(), &old) == 0 ? (old.st_mode & 07777) : kNewFileMode;
    // Renamed while the lock is held, so no other write takes it for stale; once fsync has
    // succeeded, the bytes are on disk whatever close says.
    const bool done = WriteAll(fd, text) && fchmod(fd, mode) == 0 && fsync(fd) == 0 &&
                      rename(temporary.c_str(), target.c_str()) == 0;
    const int failure = errno;
    if (!done) {
        unlink(temporary.c_str());
    }
    close(fd);
    if (!done) {
        errno = failure;
        return false;
    }
    SyncFolder(FolderOf(target));
    RemoveStaleTemporaries(target);
    return true;
}

}  // namespace kestrel
