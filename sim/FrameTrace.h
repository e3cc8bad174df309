#pragma once

#include <string>

#include "ReaderSimulator.h"

namespace sim {

// One line for a recorded frame: time since the line started, direction, bytes in hex and
// what they mean, e.g.
//   "   12.345678 <- 01 06 7C 02 A9 62  to 1: Изменение режима работы, data 02"
std::string TraceLine(const RecordEntry& entry);

}  // namespace sim
