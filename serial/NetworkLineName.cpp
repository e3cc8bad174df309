#include "NetworkLineName.h"

#include <algorithm>
#include <cctype>

namespace {

constexpr std::string_view kSeparator = "://";

bool SameText(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
         });
}

bool ValidService(std::string_view text) {
  if (text.empty() || text.size() > 5) return false;
  if (!std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; })) return false;
  const int port = std::stoi(std::string(text));
  return port >= 1 && port <= 65535;
}

bool ValidHost(std::string_view host) {
  return !host.empty() && std::none_of(host.begin(), host.end(), [](char c) {
    return c == '/' || c == '[' || c == ']' || std::isspace(static_cast<unsigned char>(c));
  });
}

}  // namespace

bool IsNetworkLineName(std::string_view name) { return name.find(kSeparator) != std::string_view::npos; }

std::optional<TNetworkLineName> ParseNetworkLineName(std::string_view name) {
  const std::size_t separator = name.find(kSeparator);
  if (separator == std::string_view::npos) return std::nullopt;
  const std::string_view scheme = name.substr(0, separator);
  std::string_view rest = name.substr(separator + kSeparator.size());
  TNetworkProtocol protocol;
  if (SameText(scheme, "rfc2217")) protocol = TNetworkProtocol::Rfc2217;
  else if (SameText(scheme, "tcp")) protocol = TNetworkProtocol::RawTcp;
  else return std::nullopt;

  std::string_view host;
  if (rest.starts_with('[')) {
    const std::size_t close = rest.find(']');
    if (close == std::string_view::npos) return std::nullopt;
    host = rest.substr(1, close - 1);
    rest = rest.substr(close + 1);
    if (!rest.starts_with(':')) return std::nullopt;
  } else {
    const std::size_t colon = rest.find(':');
    if (colon == std::string_view::npos) return std::nullopt;
    host = rest.substr(0, colon);
    rest = rest.substr(colon);
  }
  const std::string_view service = rest.substr(1);
  if (!ValidHost(host) || !ValidService(service)) return std::nullopt;
  return TNetworkLineName{protocol, std::string(host), std::string(service)};
}
