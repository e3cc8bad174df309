#pragma once

#include <cstdint>

constexpr std::int64_t kFarAway = 60000;  // a deadline no correct wait comes near
