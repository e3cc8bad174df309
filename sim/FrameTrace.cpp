#include "FrameTrace.h"

#include <cstdio>

#include "CodeTables.h"
#include "crc16.h"

namespace sim {
namespace {

std::string Hex(const std::uint8_t* bytes, std::size_t count) {
  std::string out;
  char buf[4];
  for (std::size_t i = 0; i < count; ++i) {
    std::snprintf(buf, sizeof buf, i ? " %02X" : "%02X", bytes[i]);
    out += buf;
  }
  return out;
}

}  // namespace

std::string TraceLine(const RecordEntry& entry) {
  const auto& f = entry.frame;
  const bool request = entry.direction == Direction::Request;
  char stamp[32];
  std::snprintf(stamp, sizeof stamp, "%12.6f %s ", std::chrono::duration<double>(entry.at).count(),
                request ? "<-" : "->");
  std::string line = stamp + Hex(f.data(), f.size());
  if (f.size() < frame::kMinLength) return line;

  const std::uint8_t code = request ? f[2] : static_cast<std::uint8_t>(f[2] - 1);
  const std::size_t dataEnd = f.size() - (request ? 2 : 3);
  line += request ? "  to " : "  from ";
  line += entry.reader == frame::kBroadcastAddress ? std::string("all") : std::to_string(entry.reader);
  line += ": ";
  line += CommandText(code);
  if (dataEnd > 3) line += ", data " + Hex(f.data() + 3, dataEnd - 3);
  if (!request) {
    const std::uint8_t status = f[f.size() - 3];
    line += status == frame::kSuccessStatus ? std::string(", ok") : ", status " + Hex(&status, 1) + " " + std::string(StatusText(status));
  }
  if (!FrameCrcMatches(f.data(), f.size())) line += ", bad CRC";
  return line;
}

}  // namespace sim
