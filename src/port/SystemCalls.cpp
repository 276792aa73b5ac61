#include "port/SystemCalls.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>

namespace kestrel {

namespace {
constexpr long kNanosecondsPerMillisecond = 1000000;
constexpr int kMillisecondsPerSecond = 1000;
constexpr int kFirstPortDescriptor = 3;
}  // namespace

int SystemCalls::Open(const char* path, int flags) {
    return ::open(path, flags);
}

int SystemCalls::Close(int fd) {
    return ::close(fd);
}

ssize_t SystemCalls::Read(int fd, void* buffer, size_t size) {
    return ::read(fd, buffer, size);
}

ssize_t SystemCalls::Write(int fd, const void* bytes, size_t size) {
    return ::write(fd, bytes, size);
}

int SystemCalls::Poll(pollfd* fds, nfds_t count, const timespec* timeout) {
    return ::ppoll(fds, count, timeout, nullptr);
}

int SystemCalls::Ioctl(int fd, unsigned long request, void* argument) {
    return ::ioctl(fd, request, argument);
}

int SystemCalls::Flock(int fd, int operation) {
    return ::flock(fd, operation);
}

int SystemCalls::Fcntl(int fd, int command, int argument) {
    return ::fcntl(fd, command, argument);
}

int SystemCalls::Fstat(int fd, struct stat* info) {
    return ::fstat(fd, info);
}

int SystemCalls::Socket(int domain, int type, int protocol) {
    return ::socket(domain, type, protocol);
}

int SystemCalls::Connect(int fd, const sockaddr* address, socklen_t length) {
    return ::connect(fd, address, length);
}

ssize_t SystemCalls::Send(int fd, const void* bytes, size_t size, int flags) {
    return ::send(fd, bytes, size, flags);
}

ssize_t SystemCalls::Recv(int fd, void* buffer, size_t size, int flags) {
    return ::recv(fd, buffer, size, flags);
}

int SystemCalls::SetSocketOption(int fd, int level, int option, const void* value,
                                 socklen_t length) {
    return ::setsockopt(fd, level, option, value, length);
}

int SystemCalls::GetSocketOption(int fd, int level, int option, void* value, socklen_t* length) {
    return ::getsockopt(fd, level, option, value, length);
}

int SystemCalls::Shutdown(int fd, int how) {
    return ::shutdown(fd, how);
}

SystemCalls& RealSystemCalls() {
    static SystemCalls calls;
    return calls;
}

int KeepAboveStandardStreams(SystemCalls& sys, int fd) {
    if (fd < 0 || fd >= kFirstPortDescriptor) {
        return fd;
    }
    const int moved = sys.Fcntl(fd, F_DUPFD_CLOEXEC, kFirstPortDescriptor);
    const int error = errno;
    sys.Close(fd);
    errno = error;
    return moved;
}

timespec MillisecondsToTimespec(int milliseconds) {
    timespec wait{};
    wait.tv_sec = milliseconds / kMillisecondsPerSecond;
    wait.tv_nsec =
        static_cast<long>(milliseconds % kMillisecondsPerSecond) * kNanosecondsPerMillisecond;
    return wait;
}

}  // namespace kestrel
