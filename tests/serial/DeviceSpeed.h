#pragma once

// The output rate in bit/s that the terminal behind fd runs at, read through termios2.
int DeviceSpeed(int fd);
