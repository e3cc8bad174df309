#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "LinkHost.h"

// The terminal log's unfinished last line, built from the bytes the receive path echoes: the
// raw bytes since the last line feed. After every echo the host is handed the whole line
// again, so that a CR LF split across two echoes still makes one break; a line that reaches
// the log's width is broken, which bounds that work.
class LogLine {
 public:
  explicit LogLine(LinkHost& host) : host_(host) {}

  void Echo(std::string_view raw);
  // Notes on a line of its own that count bytes were lost at the receive buffer's bound.
  void NoteLoss(std::size_t count);
  std::string_view Unfinished() const { return line_; }

 private:
  LinkHost& host_;
  std::string line_;  // raw, cut after each line feed
};
