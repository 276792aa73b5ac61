// The one thin seam between the port object and the kernel: every open, read, write, wait,
// control call and socket call of the port code goes through here. The real implementation
// passes straight to the system; tests derive from it to refuse, shorten or fail calls that no
// real device here can be made to fail.
#pragma once

#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/types.h>

#include <cerrno>
#include <cstddef>
#include <ctime>

namespace kestrel {

class SystemCalls {
  public:
    virtual ~SystemCalls() = default;

    virtual int Open(const char* path, int flags);
    virtual int Close(int fd);
    virtual ssize_t Read(int fd, void* buffer, size_t size);
    virtual ssize_t Write(int fd, const void* bytes, size_t size);
    // Waits for the events of `fds`; `timeout` null waits without limit. EINTR is retried
    // by the caller's loop, not here.
    virtual int Poll(pollfd* fds, nfds_t count, const timespec* timeout);
    virtual int Ioctl(int fd, unsigned long request, void* argument);
    virtual int Flock(int fd, int operation);
    virtual int Fcntl(int fd, int command, int argument);
    virtual int Fstat(int fd, struct stat* info);

    virtual int Socket(int domain, int type, int protocol);
    virtual int Connect(int fd, const sockaddr* address, socklen_t length);
    virtual ssize_t Send(int fd, const void* bytes, size_t size, int flags);
    virtual ssize_t Recv(int fd, void* buffer, size_t size, int flags);
    virtual int SetSocketOption(int fd, int level, int option, const void* value, socklen_t length);
    virtual int GetSocketOption(int fd, int level, int option, void* value, socklen_t* length);
    virtual int Shutdown(int fd, int how);
};

// An error that means "not now" rather than a failure: try again after a wait.
inline bool IsTransientError(int error) {
    return error == EAGAIN || error == EWOULDBLOCK || error == EINTR;
}

// The process's real system calls.
SystemCalls& RealSystemCalls();

// Moves a new descriptor that landed on 0, 1 or 2 (possible when a standard stream was closed)
// above them, so a port is never mistaken for a stream nor a stream closed as a port. Returns
// the descriptor to use, or -1 (errno set); `fd` < 0 is passed through.
int KeepAboveStandardStreams(SystemCalls& sys, int fd);

// A wait of `milliseconds` for Poll.
timespec MillisecondsToTimespec(int milliseconds);

}  // namespace kestrel
