#include "TerminalText.h"

#include <array>
#include <cstdint>

namespace {

// Code page 866, bytes 0x80..0xFF.
constexpr std::array<char16_t, 128> kCp866High = {
    0x0410, 0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417,
    0x0418, 0x0419, 0x041A, 0x041B, 0x041C, 0x041D, 0x041E, 0x041F,
    0x0420, 0x0421, 0x0422, 0x0423, 0x0424, 0x0425, 0x0426, 0x0427,
    0x0428, 0x0429, 0x042A, 0x042B, 0x042C, 0x042D, 0x042E, 0x042F,
    0x0430, 0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436, 0x0437,
    0x0438, 0x0439, 0x043A, 0x043B, 0x043C, 0x043D, 0x043E, 0x043F,
    0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x2561, 0x2562, 0x2556,
    0x2555, 0x2563, 0x2551, 0x2557, 0x255D, 0x255C, 0x255B, 0x2510,
    0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x255E, 0x255F,
    0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0x2567,
    0x2568, 0x2564, 0x2565, 0x2559, 0x2558, 0x2552, 0x2553, 0x256B,
    0x256A, 0x2518, 0x250C, 0x2588, 0x2584, 0x258C, 0x2590, 0x2580,
    0x0440, 0x0441, 0x0442, 0x0443, 0x0444, 0x0445, 0x0446, 0x0447,
    0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F,
    0x0401, 0x0451, 0x0404, 0x0454, 0x0407, 0x0457, 0x040E, 0x045E,
    0x00B0, 0x2219, 0x00B7, 0x221A, 0x2116, 0x00A4, 0x25A0, 0x00A0,
};

using terminal::kCr;
using terminal::kLf;
constexpr char16_t kControlPictures = 0x2400;
constexpr char16_t kDeletePicture = 0x2421;

char16_t CharOf(std::uint8_t b) {
  if (b >= 0x80) return kCp866High[b - 0x80];
  if (b == 0x7F) return kDeletePicture;
  if (b < 0x20) return static_cast<char16_t>(kControlPictures + b);
  return b;
}

void AppendUtf8(std::string& out, char16_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

}  // namespace

std::string RenderLogText(std::string_view raw) {
  std::string out;
  out.reserve(raw.size() * 2);
  for (std::size_t i = 0; i < raw.size(); ++i) {
    const char c = raw[i];
    if (c == kLf) {
      out += '\n';
    } else if (c == kCr && i + 1 < raw.size() && raw[i + 1] == kLf) {
      // part of the CR LF break that the LF writes
    } else {
      AppendUtf8(out, CharOf(static_cast<std::uint8_t>(c)));
    }
  }
  return out;
}

std::string Cp866FromUtf8(std::string_view utf8) {
  std::string out;
  for (std::size_t i = 0; i < utf8.size();) {
    const auto lead = static_cast<std::uint8_t>(utf8[i]);
    char32_t c = lead;
    std::size_t len = 1;
    if (lead >= 0xF0) {
      len = 4;
      c = 0xFFFD;
    } else if (lead >= 0xE0 && i + 2 < utf8.size()) {
      len = 3;
      c = ((lead & 0x0F) << 12) | ((utf8[i + 1] & 0x3F) << 6) | (utf8[i + 2] & 0x3F);
    } else if (lead >= 0xC0 && i + 1 < utf8.size()) {
      len = 2;
      c = ((lead & 0x1F) << 6) | (utf8[i + 1] & 0x3F);
    }
    i += len;
    if (c < 0x80) {
      out += static_cast<char>(c);
      continue;
    }
    char byte = '?';
    for (std::size_t k = 0; k < kCp866High.size(); ++k) {
      if (kCp866High[k] == c) byte = static_cast<char>(0x80 + k);
    }
    out += byte;
  }
  return out;
}

void TerminalLog::Clear() {
  lines_.clear();
  sources_.clear();
}

LogEdit TerminalLog::Show(std::string_view raw, std::int64_t nowMs) {
  LogEdit edit;
  if (lines_.empty()) {
    lines_.emplace_back();
    sources_.emplace_back();
  }
  const std::string& lastRaw = sources_.back().raw;
  // What the last line shows stays, but for a trailing CR, whose meaning the next byte decides.
  std::size_t stable = lastRaw.size();
  std::size_t stableBytes = lines_.back().size();
  if (stable > 0 && lastRaw.back() == kCr) {
    --stable;
    stableBytes -= 3;  // the CR's control picture
  }
  // The link always hands the shown line again with the new bytes behind it.
  const bool continues = raw.size() >= stable && (stable == 0 || raw[stable - 1] == lastRaw[stable - 1]);
  if (!continues) {
    stable = 0;
    stableBytes = 0;
  }
  edit.keep = stable;
  const std::string_view fresh = raw.substr(stable);
  edit.text = RenderLogText(fresh);
  lines_.back().resize(stableBytes);
  sources_.back().raw.resize(stable);
  AppendRaw(fresh, nowMs);
  std::size_t start = 0;
  for (;;) {
    const std::size_t brk = edit.text.find('\n', start);
    lines_.back().append(edit.text, start, brk == std::string::npos ? std::string::npos : brk - start);
    if (brk == std::string::npos) break;
    lines_.emplace_back();
    start = brk + 1;
  }
  while (lines_.size() > maxLines_) {
    lines_.pop_front();
    sources_.pop_front();
  }
  return edit;
}

// Splits fresh raw bytes over the lines as the rendering does: each LF ends a line.
void TerminalLog::AppendRaw(std::string_view fresh, std::int64_t nowMs) {
  for (;;) {
    LogLineSource& line = sources_.back();
    if (line.raw.empty()) line.startMs = fresh.empty() ? 0 : nowMs;
    const std::size_t lf = fresh.find(kLf);
    line.raw.append(fresh.substr(0, lf == std::string_view::npos ? lf : lf + 1));
    if (lf == std::string_view::npos) return;
    fresh.remove_prefix(lf + 1);
    sources_.emplace_back();
  }
}
