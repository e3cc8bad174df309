#include "DeviceSpeed.h"

#include <asm/termbits.h>
#include <sys/ioctl.h>

int DeviceSpeed(int fd) {
  struct termios2 attributes {};
  if (ioctl(fd, TCGETS2, &attributes) != 0) return -1;
  return static_cast<int>(attributes.c_ospeed);
}
