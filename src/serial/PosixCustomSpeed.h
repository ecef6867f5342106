// Linux custom line speed (termios2 / BOTHER). Kept apart from <termios.h>,
// whose definitions clash with the kernel's <asm/termbits.h>.
#pragma once

#include <cstdint>

namespace kt::serial {

// Sets input and output speed of the open tty `fd` to `rate` bits per
// second; false when the system refuses it (or has no such interface).
bool SetCustomSpeed(int fd, uint32_t rate);

}  // namespace kt::serial
