#pragma once

#include <vector>

#include "ReaderSimulator.h"

namespace sim {

// Three readers at addresses 1, 2 and 3 with different serial numbers and parameters.
// Reader 1 holds cash desk 0000012A, current date 31.12.2009, end date 29.02.2012 and the
// first three black-list rows filled.
std::vector<Reader> DemoReaders();

}  // namespace sim
