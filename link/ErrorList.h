#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The lines collected during one multi-command operation, one per failed command.
class ErrorList {
 public:
  void ClearErrors() { lines_.clear(); }
  // Always called with the request (even) code, never the response code.
  void AddError(std::uint8_t command, std::uint8_t status);
  bool empty() const { return lines_.empty(); }
  const std::vector<std::string>& lines() const { return lines_; }

 private:
  std::vector<std::string> lines_;
};

// "command text - status text"
std::string ErrorLine(std::uint8_t command, std::uint8_t status);

// The heading (which ends in CR LF) followed by every line, each ended by CR LF.
std::string ComposeErrorMessage(std::string_view heading, const ErrorList& errors);
