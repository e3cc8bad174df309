#include "FrameTrace.h"

#include <cstdio>
#include <span>

#include "CodeTables.h"
#include "Frame.h"

namespace sim {
namespace {

std::string Hex(std::span<const std::uint8_t> bytes) {
  std::string out;
  char buf[4];
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    std::snprintf(buf, sizeof buf, i ? " %02X" : "%02X", bytes[i]);
    out += buf;
  }
  return out;
}

}  // namespace

std::string TraceLine(const RecordEntry& entry) {
  const bool request = entry.direction == Direction::Request;
  char stamp[32];
  std::snprintf(stamp, sizeof stamp, "%12.6f %s ", std::chrono::duration<double>(entry.at).count(),
                request ? "<-" : "->");
  std::string line = stamp + Hex(entry.frame);
  if (entry.frame.size() < (request ? frame::RequestLength(0) : frame::ResponseLength(0))) return line;

  const FrameView f(entry.frame);
  const std::uint8_t code = request ? f.Code() : static_cast<std::uint8_t>(f.Code() - 1);
  const std::span<const std::uint8_t> data = request ? f.RequestData() : f.ResponseData();
  line += request ? "  to " : "  from ";
  line += entry.reader == frame::kBroadcastAddress ? std::string("all") : std::to_string(entry.reader);
  line += ": ";
  line += CommandText(code);
  if (!data.empty()) line += ", data " + Hex(data);
  if (!request) {
    const std::uint8_t status = f.Status();
    line += status == frame::kSuccessStatus ? std::string(", ok") : ", status " + Hex({&status, 1}) + " " + std::string(StatusText(status));
  }
  if (!f.CrcMatches()) line += ", bad CRC";
  return line;
}

}  // namespace sim
