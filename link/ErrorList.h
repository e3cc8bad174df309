#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// One failed command: its codes beside the line that tells it.
struct ErrorEntry {
  std::uint8_t command;
  std::uint8_t status;
  std::string line;
  friend bool operator==(const ErrorEntry&, const ErrorEntry&) = default;
};

// The lines collected during one multi-command operation, one per failed command.
class ErrorList {
 public:
  void ClearErrors() { entries_.clear(); }
  // Always called with the request (even) code, never the response code.
  void AddError(std::uint8_t command, std::uint8_t status);
  bool empty() const { return entries_.empty(); }
  const std::vector<ErrorEntry>& Entries() const { return entries_; }
  std::vector<std::string> lines() const;  // the entries' lines, in order

 private:
  std::vector<ErrorEntry> entries_;
};

// "command text - status text"
std::string ErrorLine(std::uint8_t command, std::uint8_t status);

// The heading (which ends in CR LF) followed by every line, each ended by CR LF.
std::string ComposeErrorMessage(std::string_view heading, const ErrorList& errors);
