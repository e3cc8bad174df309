#pragma once

#include <string>

#include "CliOptions.h"

// The help of the program (None) or of one command, built from the rows of its options.
std::string HelpText(TCliCommand command);
