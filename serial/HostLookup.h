#pragma once

#include <sys/socket.h>

#include <chrono>
#include <string>
#include <vector>

// A host's addresses for a TCP port, found within a bound: what a network line connects to, and
// what tells two names of one gateway apart.

struct TAddress {
  sockaddr_storage address{};
  socklen_t length = 0;
  int family = 0;
};

// The addresses of host (a name or a numeric address) for the TCP port service (digits). Returns
// 0, or minus errno when the lookup failed (reason: the resolver's own text, when it has one) or
// did not end by the deadline (-ETIMEDOUT).
int LookupHost(const std::string& host, const std::string& service, std::chrono::steady_clock::time_point deadline,
               std::vector<TAddress>& addresses, std::string& reason);

// The same address, family and port included.
bool SameAddress(const TAddress& first, const TAddress& second);
