#pragma once

// Resolving and connecting a network line: the name looked up, each of its addresses tried, the
// connection watched for a gateway that vanishes without closing it, and a connection the
// server turns away tried again while the open's bound lasts. Nothing here reads or writes the
// line: what takes a fresh connection up is given.

#include <chrono>
#include <cstdint>
#include <functional>
#include <span>
#include <string>

#include "NetworkLineName.h"

using TNetworkClock = std::chrono::steady_clock;

// Milliseconds left until deadline, 0 when passed.
int RemainingMs(TNetworkClock::time_point deadline);

// Takes a fresh connection up within deadline (the telnet options, a moment for the server to
// turn it away): 0, or minus errno with the reason; -ECONNRESET when the server closed it.
using TTakeUp = std::function<int(int fd, TNetworkClock::time_point deadline, std::string& reason)>;

// The connected socket, taken up, within 3 s from the call, the name lookup included; else minus
// errno, with reason holding the resolver's or the server's own words where errno alone would
// mislead. A connection the server turned away is closed and tried again after a pause; when
// the bound runs out meanwhile, the refusal is told in the server's words, not the time.
int ConnectNetworkLine(const TNetworkLineName& name, const TTakeUp& takeUp, std::string& reason);

// Why the server closed a connection while it was taken up: its own words, when it sent any.
std::string TurnedAwayReason(std::span<const std::uint8_t> received);
