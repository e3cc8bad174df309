#pragma once

// Port names of network lines: rfc2217://HOST:PORT and tcp://HOST:PORT, HOST a name, an IPv4
// address or an IPv6 address in brackets.

#include <optional>
#include <string>
#include <string_view>

enum class TNetworkProtocol { Rfc2217, RawTcp };

struct TNetworkLineName {
  TNetworkProtocol protocol;
  std::string host;     // without the brackets of an IPv6 address
  std::string service;  // the TCP port, 1 to 65535, as digits
  friend bool operator==(const TNetworkLineName&, const TNetworkLineName&) = default;
};

// Any name with "://" is meant as a network line, also one that is malformed.
bool IsNetworkLineName(std::string_view name);
std::optional<TNetworkLineName> ParseNetworkLineName(std::string_view name);

// What a malformed network line name is told.
inline constexpr char kNetworkLineNameForm[] = "a network line is rfc2217://HOST:PORT or tcp://HOST:PORT";
