#include "commlog/CommLogFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "commlog/RtfReader.h"
#include "platform/AtomicFile.h"

namespace kestrel {
namespace {

std::string Failure(const char* action, const std::string& path, const std::string& why) {
    return std::string("Cannot ") + action + " \"" + path + "\": " + why;
}

// Closes the descriptor however the read ends.
class FileDescriptor {
  public:
    explicit FileDescriptor(int fd) : m_fd(fd) {}
    ~FileDescriptor() {
        if (m_fd >= 0) {
            close(m_fd);
        }
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int Get() const { return m_fd; }

  private:
    int m_fd;
};

}  // namespace

bool ReadCommLogFile(const std::string& path, std::string* bytes, std::string* error) {
    // Non-blocking, so a FIFO given as the path cannot hang the open.
    const FileDescriptor file(open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (file.Get() < 0) {
        *error = Failure("read", path, std::strerror(errno));
        return false;
    }
    struct stat info {};
    if (fstat(file.Get(), &info) != 0 || !S_ISREG(info.st_mode)) {
        *error = Failure("read", path, "it is not a regular file");
        return false;
    }
    const auto size = static_cast<size_t>(info.st_size);
    if (size > kMaxRtfDocumentSize) {
        *error = Failure("read", path, "it is larger than the communication log can show");
        return false;
    }
    bytes->resize(size);
    size_t done = 0;
    while (done < size) {
        const ssize_t n = read(file.Get(), bytes->data() + done, size - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            *error = Failure("read", path, std::strerror(errno));
            return false;
        }
        if (n == 0) {
            break;  // the file shrank while being read: keep what was there
        }
        done += static_cast<size_t>(n);
    }
    bytes->resize(done);
    return true;
}

bool WriteCommLogFile(const std::string& path, const std::string& bytes, std::string* error) {
    if (!WriteFileAtomically(path, bytes)) {
        *error = Failure("save the communication log to", path, std::strerror(errno));
        return false;
    }
    return true;
}

}  // namespace kestrel
