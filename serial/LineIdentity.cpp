#include "LineIdentity.h"

#include <QFile>

#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <vector>

#include "CPort.h"
#include "HostLookup.h"
#include "NetworkLineName.h"

namespace {

// Resolving is only asked for when two lines name one TCP port on hosts written otherwise.
constexpr auto kLookupBound = std::chrono::seconds(3);

bool SameHostText(const std::string& a, const std::string& b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
  });
}

bool ShareAnAddress(const TNetworkLineName& a, const TNetworkLineName& b) {
  const auto deadline = std::chrono::steady_clock::now() + kLookupBound;
  std::vector<TAddress> first, second;
  std::string reason;
  if (LookupHost(a.host, a.service, deadline, first, reason) != 0) return false;
  if (LookupHost(b.host, b.service, deadline, second, reason) != 0) return false;
  return std::any_of(first.begin(), first.end(), [&](const TAddress& x) {
    return std::any_of(second.begin(), second.end(), [&](const TAddress& y) { return SameAddress(x, y); });
  });
}

bool SameGateway(const TNetworkLineName& a, const TNetworkLineName& b) {
  if (std::stoi(a.service) != std::stoi(b.service)) return false;
  return SameHostText(a.host, b.host) || ShareAnAddress(a, b);
}

bool SameLocalDevice(const QString& first, const QString& second) {
  const QByteArray a = QFile::encodeName(TCustomComPort::DevicePath(first));
  const QByteArray b = QFile::encodeName(TCustomComPort::DevicePath(second));
  struct stat x {}, y {};
  if (::stat(a.constData(), &x) != 0 || ::stat(b.constData(), &y) != 0) return a == b;
  return x.st_dev == y.st_dev && x.st_ino == y.st_ino;
}

}  // namespace

bool ReachSameDevice(const QString& first, const QString& second) {
  const std::string a = first.toStdString();
  const std::string b = second.toStdString();
  if (!IsNetworkLineName(a) && !IsNetworkLineName(b)) return SameLocalDevice(first, second);
  const auto x = ParseNetworkLineName(a);
  const auto y = ParseNetworkLineName(b);
  if (!x || !y) return first == second;  // a name the port refuses anyway
  return SameGateway(*x, *y);
}
