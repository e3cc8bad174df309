#pragma once

// Setting a rate that has no B constant needs termios2 with BOTHER, whose kernel header
// cannot share a translation unit with <termios.h>; the call lives alone in CustomBaud.cpp.
// Returns 0 or minus errno.
int SetTerminalCustomSpeed(int fd, int rate);
