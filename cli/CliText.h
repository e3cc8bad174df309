#pragma once

#include <string>
#include <string_view>
#include <vector>

// The wording that the command line's refusals and help share.

// What the user typed, in quotes.
std::string Quoted(std::string_view text);

std::string Joined(const std::vector<std::string>& items, std::string_view separator);

// "1, 2 or 3" with last = " or "
std::string Listed(std::vector<std::string> items, std::string_view last);

// Throws EUsageError: "OPTION: WHY".
[[noreturn]] void Fail(std::string_view option, std::string_view why);
