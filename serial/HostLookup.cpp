#include "HostLookup.h"

#include <netdb.h>

#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <memory>
#include <mutex>
#include <thread>

namespace {

// A lookup failure as the closest errno; its own text is the reason shown.
struct TLookupError {
  int code;
  int error;
};
constexpr TLookupError kLookupErrors[] = {
    {EAI_NONAME, ENOENT},   {EAI_NODATA, ENOENT}, {EAI_ADDRFAMILY, ENOENT}, {EAI_FAIL, ENOENT},
    {EAI_AGAIN, EAGAIN},    {EAI_MEMORY, ENOMEM}, {EAI_SERVICE, EINVAL},   {EAI_FAMILY, EINVAL},
    {EAI_SOCKTYPE, EINVAL}, {EAI_BADFLAGS, EINVAL}};

int LookupErrno(int code, int systemError) {
  if (code == EAI_SYSTEM) return systemError;
  for (const auto& row : kLookupErrors)
    if (row.code == code) return row.error;
  return EINVAL;
}

// getaddrinfo cannot be bounded, so it runs on a thread of its own that outlives a caller who
// stopped waiting; what it finds then goes nowhere.
struct TLookup {
  std::mutex mutex;
  std::condition_variable done;
  bool finished = false;
  int code = 0;
  int systemError = 0;
  std::vector<TAddress> addresses;
};

}  // namespace

int LookupHost(const std::string& host, const std::string& service, std::chrono::steady_clock::time_point deadline,
               std::vector<TAddress>& addresses, std::string& reason) {
  auto lookup = std::make_shared<TLookup>();
  std::thread([lookup, host, service] {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_NUMERICSERV;
    addrinfo* list = nullptr;
    const int code = ::getaddrinfo(host.c_str(), service.c_str(), &hints, &list);
    const int systemError = errno;
    std::vector<TAddress> found;
    for (const addrinfo* entry = list; code == 0 && entry; entry = entry->ai_next) {
      TAddress address;
      std::memcpy(&address.address, entry->ai_addr, entry->ai_addrlen);
      address.length = entry->ai_addrlen;
      address.family = entry->ai_family;
      found.push_back(address);
    }
    if (list) ::freeaddrinfo(list);
    {
      std::lock_guard lock(lookup->mutex);
      lookup->code = code;
      lookup->systemError = systemError;
      lookup->addresses = std::move(found);
      lookup->finished = true;
    }
    lookup->done.notify_all();
  }).detach();

  std::unique_lock lock(lookup->mutex);
  if (!lookup->done.wait_until(lock, deadline, [&] { return lookup->finished; })) return -ETIMEDOUT;
  if (lookup->code != 0) {
    if (lookup->code != EAI_SYSTEM) reason = ::gai_strerror(lookup->code);
    return -LookupErrno(lookup->code, lookup->systemError);
  }
  addresses = std::move(lookup->addresses);
  return addresses.empty() ? -ENOENT : 0;
}

bool SameAddress(const TAddress& first, const TAddress& second) {
  return first.length == second.length && std::memcmp(&first.address, &second.address, first.length) == 0;
}
