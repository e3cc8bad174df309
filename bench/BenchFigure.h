#pragma once

// One figure of a benchmark beside its limit, as a tab-separated line that scripts/bench
// gathers into one table:  FIGURE <what> <figure> <limit> <within: yes|no>
#include <cstdarg>
#include <cstdio>
#include <string>

inline std::string BenchText(const char* format, ...) {
  char text[256];
  va_list args;
  va_start(args, format);
  std::vsnprintf(text, sizeof text, format, args);
  va_end(args);
  return text;
}

inline void PrintFigure(const std::string& what, const std::string& figure, const std::string& limit, bool within) {
  std::printf("FIGURE\t%s\t%s\t%s\t%s\n", what.c_str(), figure.c_str(), limit.c_str(), within ? "yes" : "no");
  std::fflush(stdout);
}
