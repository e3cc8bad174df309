#include "LogLine.h"

#include "TerminalText.h"

using terminal::kCr;
using terminal::kLf;

void LogLine::Echo(std::string_view raw) {
  const std::size_t unfinished = line_.size();
  std::size_t width = unfinished;  // the line holds only the text after the last LF
  for (const char c : raw) {
    // A CR may stand one past the width, since a following LF makes it part of a break.
    const bool crAtWidth = c == kCr && width == terminal::kMaxLineWidth;
    if (c != kLf && width >= terminal::kMaxLineWidth && !crAtWidth) {
      // Break before this byte, or before a CR that ends the line, so that the CR stays
      // visible instead of becoming part of the break.
      if (line_.back() == kCr) {
        line_.insert(line_.size() - 1, 1, kLf);
        width = 1;
      } else {
        line_ += kLf;
        width = 0;
      }
    }
    line_ += c;
    width = c == kLf ? 0 : width + 1;
  }
  host_.ShowLogLine(line_);
  // Only the bytes just added can hold a line feed; the rest is the unfinished line.
  // (A width break may have gone in just before the old line's last byte, a CR.)
  const std::size_t from = unfinished > 0 ? unfinished - 1 : 0;
  const std::size_t lastLf = std::string_view(line_).substr(from).rfind(kLf);
  if (lastLf != std::string_view::npos) line_.erase(0, from + lastLf + 1);
}

void LogLine::NoteLoss(std::size_t count) {
  std::string note;
  if (!line_.empty()) note += kLf;
  note += Cp866FromUtf8("[потеряно байт: " + std::to_string(count) + "]");
  note += kLf;
  Echo(note);
}
