// Line rates without a B-constant, through the kernel's termios2 (BOTHER). Its own file because
// the kernel's termios headers cannot share a translation unit with the C library's.
#pragma once

#include <cstdint>

namespace kestrel {

// Sets input and output rate of the tty `fd` to `rate`; false (errno kept) on failure.
bool SetCustomLineSpeed(int fd, uint32_t rate);

// The tty's output rate in bits per second, whatever way it was set.
bool GetLineSpeed(int fd, uint32_t* rate);

}  // namespace kestrel
