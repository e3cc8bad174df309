#pragma once

#include <cstdint>

#include "ComTypes.h"

// The settings an open device is given, as plain values: the port's settings objects hold them
// and hand them over whole, so that the device knows nothing of the component. The defaults
// here are the settings model's own.

struct TFlowSettings {
  bool outCTSFlow = false;
  bool outDSRFlow = false;
  TDTRFlowControl controlDTR = dtrDisable;
  TRTSFlowControl controlRTS = rtsDisable;
  bool xonXoffOut = false;
  bool xonXoffIn = false;
  bool dsrSensitivity = false;
  bool txContinueOnXoff = false;
  std::uint8_t xonChar = 0x11;
  std::uint8_t xoffChar = 0x13;
};

// Read and write time-outs in milliseconds with the settings model's meanings (-1 stands for the
// largest 32-bit value): by default a read returns at once with what is queued.
struct TTimeouts {
  int readInterval = -1;
  int readTotalMultiplier = 0;
  int readTotalConstant = 0;
  int writeTotalMultiplier = 100;
  int writeTotalConstant = 1000;
};

// The line as a device runs it; the port composes it from its settings (LineSettings()).
struct TLineSettings {
  int rate = 0;  // bit/s, a custom rate resolved
  TDataBits dataBits{};
  TParityBits parity{};
  bool parityCheck = false;
  TStopBits stopBits{};
  TFlowSettings flow;
};
