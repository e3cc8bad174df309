#pragma once

#include <cstdint>
#include <string>
#include <vector>

// One failed command: the request (even) code and the status it failed with (a reader's, or
// the link's own timeout).
struct ErrorEntry {
  std::uint8_t command;
  std::uint8_t status;
  friend bool operator==(const ErrorEntry&, const ErrorEntry&) = default;
};

// The failures collected during one multi-command operation, one per failed command. They are
// kept as codes, so that each front end tells them in the language it shows.
class ErrorList {
 public:
  void ClearErrors() { entries_.clear(); }
  // Always called with the request (even) code, never the response code.
  void AddError(std::uint8_t command, std::uint8_t status) { entries_.push_back({command, status}); }
  bool empty() const { return entries_.empty(); }
  const std::vector<ErrorEntry>& Entries() const { return entries_; }
  std::vector<std::string> Lines() const;  // the entries told in the code tables' own words, in order

 private:
  std::vector<ErrorEntry> entries_;
};

// "command text - status text"
std::string ErrorLine(std::uint8_t command, std::uint8_t status);
