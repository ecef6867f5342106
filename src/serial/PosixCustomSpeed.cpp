#include "serial/PosixCustomSpeed.h"

#if defined(__linux__)
#include <asm/termbits.h>
#include <sys/ioctl.h>
#endif

namespace kt::serial {

bool SetCustomSpeed(int fd, uint32_t rate) {
#if defined(__linux__) && defined(BOTHER) && defined(TCGETS2)
    struct termios2 t {};
    if (ioctl(fd, TCGETS2, &t) != 0) return false;
    t.c_cflag &= ~(CBAUD | (CBAUD << IBSHIFT));
    t.c_cflag |= BOTHER | (BOTHER << IBSHIFT);
    t.c_ispeed = rate;
    t.c_ospeed = rate;
    // A UART may settle on the nearest rate its clock divides to; that is
    // what a Win32 driver does too, so no exact read-back check.
    return ioctl(fd, TCSETS2, &t) == 0;
#else
    (void)fd;
    (void)rate;
    return false;
#endif
}

}  // namespace kt::serial
