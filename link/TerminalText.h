#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <string_view>

// How raw line bytes look in the terminal log, and the log's bounds.
namespace terminal {
// A line feed breaks the line; a carriage return directly before it is part of that break.
inline constexpr char kLf = '\n';
inline constexpr char kCr = '\r';
// The log drops its oldest lines beyond this many: a line that chatters for hours must not
// grow the window's memory without end, and ten thousand lines is far more than anyone scrolls.
inline constexpr std::size_t kMaxLogLines = 10000;
// An unfinished line longer than this is broken onto a new log line. Every echo renders the
// unfinished line again (so that a CR LF split across two chunks is still one break), so its
// width bounds the work per echo; noise without line breaks would otherwise make each echo
// cost as much as everything received so far.
inline constexpr std::size_t kMaxLineWidth = 1024;
}  // namespace terminal

// Renders raw line bytes as UTF-8 text with '\n' at every line break: each LF is a break and
// a CR directly before it is part of that break. Printable ASCII stays as it is; 0x80..0xFF
// are the characters of code page 866 (what the readers' OEM terminals show); a lone CR, NUL
// and the other control bytes become the visible control pictures U+2400 + byte, 0x7F U+2421.
std::string RenderLogText(std::string_view raw);

// The inverse for the link's own notes in the log: UTF-8 text whose characters all exist in
// code page 866 becomes those bytes; any other character becomes '?'.
std::string Cp866FromUtf8(std::string_view utf8);

// What changed on the log's last line: keep its first `keep` characters, then add `text`
// (rendered UTF-8, each '\n' opening a new line). A text view applies it without redrawing
// the whole line; on the last line one raw byte is always one character.
struct LogEdit {
  std::size_t keep = 0;
  std::string text;
};

// Where a line of the log came from: its raw bytes, its break included, and when its first
// byte was shown (on the caller's clock; 0 while the line is empty).
struct LogLineSource {
  std::string raw;
  std::int64_t startMs = 0;
};

// The lines of a terminal log as a text view shows them, without the view: the link hands it
// the whole unfinished raw line at every echo, and it replaces its last line by the rendering.
// The raw line only grows between echoes (a trailing CR may still become part of a break), so
// only what is new is rendered. Each line keeps its raw bytes and start time, so that a view can
// show them again in another form.
class TerminalLog {
 public:
  explicit TerminalLog(std::size_t maxLines = terminal::kMaxLogLines) : maxLines_(maxLines) {}
  // Replaces the last line by the rendering of raw; each break in it opens a new line. nowMs
  // stamps the lines that get their first byte.
  LogEdit Show(std::string_view raw, std::int64_t nowMs = 0);
  void Clear();
  const std::deque<std::string>& Lines() const { return lines_; }
  // One per line, in the order of lines().
  const std::deque<LogLineSource>& sources() const { return sources_; }

 private:
  void AppendRaw(std::string_view raw, std::int64_t nowMs);

  std::size_t maxLines_;
  std::deque<std::string> lines_;
  std::deque<LogLineSource> sources_;  // the last one's raw is what the last line shows
};
