#pragma once

#include <cstdint>
#include <string>
#include <vector>

// One failed command and the status it failed with (a reader's, or the link's own timeout).
struct CommandFailure {
  std::uint8_t command;  // the request (even) code
  std::uint8_t status;
};

// The failures collected during one multi-command operation. They are kept as codes, so that
// each front end tells them in the language it shows.
class ErrorList {
 public:
  void ClearErrors() { failures_.clear(); }
  // Always called with the request (even) code, never the response code.
  void AddError(std::uint8_t command, std::uint8_t status) { failures_.push_back({command, status}); }
  bool empty() const { return failures_.empty(); }
  const std::vector<CommandFailure>& failures() const { return failures_; }
  // One "command text - status text" line per failure, in the code tables' own words.
  std::vector<std::string> lines() const;

 private:
  std::vector<CommandFailure> failures_;
};

// "command text - status text"
std::string ErrorLine(std::uint8_t command, std::uint8_t status);
