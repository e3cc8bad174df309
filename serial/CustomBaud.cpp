#include "CustomBaud.h"

#include <asm/termbits.h>
#include <sys/ioctl.h>

#include <cerrno>

int SetTerminalCustomSpeed(int fd, int rate) {
  struct termios2 attributes {};
  if (ioctl(fd, TCGETS2, &attributes) != 0) return -errno;
  attributes.c_cflag &= ~static_cast<tcflag_t>(CBAUD | (CBAUD << IBSHIFT));
  attributes.c_cflag |= BOTHER | (BOTHER << IBSHIFT);
  attributes.c_ispeed = static_cast<speed_t>(rate);
  attributes.c_ospeed = static_cast<speed_t>(rate);
  if (ioctl(fd, TCSETS2, &attributes) != 0) return -errno;
  return 0;
}
