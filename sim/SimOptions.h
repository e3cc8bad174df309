#pragma once

#include <optional>
#include <string>
#include <vector>

#include "ReaderSimulator.h"

namespace sim {

struct SimOptions {
  LineSettings line;
  std::vector<Reader> readers;  // the demo line when none was given
  std::optional<std::string> link;
  bool trace = false;
  bool today = false;  // the readers' clocks start at the computer's date
  bool help = false;
  bool version = false;
};

// Parses the command line (without the program name). Throws std::invalid_argument with a
// message naming the offending option.
SimOptions ParseOptions(const std::vector<std::string>& args);

std::string HelpText();

}  // namespace sim
