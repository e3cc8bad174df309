#pragma once

#include <termios.h>

#include "ComTypes.h"
#include "DeviceSettings.h"

// Termios helpers with one job each; ComposeLineAttributes applies them all to one structure.
void ApplyRawMode(termios& t);
void ApplyDataBits(termios& t, TDataBits bits);
void ApplyParity(termios& t, TParityBits bits, bool check);
void ApplyStopBits(termios& t, TStopBits bits);
void ApplyFlowControl(termios& t, bool ctsRtsHandshake, bool xonXoffOut, bool xonXoffIn,
                      unsigned char xonChar, unsigned char xoffChar);
void ComposeLineAttributes(termios& t, const TLineSettings& line);

int BaudRateValue(TBaudRate rate, int customRate);  // bit/s
speed_t SpeedConstant(int rate);                     // the B constant, or B0 when there is none
int SpeedRate(speed_t speed);                        // the rate of a B constant, or 0 for none

// Why the settings cannot be put on a Linux line, or nullptr when they can.
const char* RefusedLineSetting(const TLineSettings& line);
