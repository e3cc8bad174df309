#pragma once

#include <QObject>

#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "SiteFile.h"
#include "SiteResult.h"
#include "SiteRun.h"

// The rates a discovery tries unless told others: those readers are set to.
inline constexpr std::uint32_t kDiscoveryRates[] = {9600, 19200, 38400, 57600, 115200};

// A site found on what is plugged in: every port searched at each rate in turn, all ports at
// once, and read whole where readers answered. A port's line is the first rate at which any
// reader answered: one device is one line.
class TSiteDiscovery : public QObject {
  Q_OBJECT

 public:
  // ports: the names the lines will carry (a by-id name where the adapter has one).
  TSiteDiscovery(std::string siteName, std::vector<std::string> ports, std::vector<std::uint32_t> bauds,
                 QObject* parent = nullptr);
  ~TSiteDiscovery() override;

  void SetAdapterWait(std::chrono::seconds wait) { adapterWait_ = wait; }
  void Start();
  // The rate being searched ends with the readers in progress, and no further one is tried.
  void Cancel();
  bool Cancelled() const { return cancelled_; }

  // Once Finished: the lines where readers answered and what was read on them (its site file:
  // SnapshotFile, every reader pinned and carrying what it holds).
  const TSiteFile& Site() const { return site_; }
  const TSiteResult& Result() const { return result_; }
  // Each port that could not be opened at the last rate it was tried, with why.
  const std::map<std::string, std::string>& Unopened() const { return unopened_; }

 signals:
  void RateStarted(std::uint32_t baud, std::size_t ports);
  // line: the port's index among those given.
  void Progress(const TReaderProgress& progress);
  void Finished();

 private:
  void StartRate();
  void RateEnded();

  std::vector<std::string> ports_;
  std::vector<std::uint32_t> bauds_;
  std::size_t nextBaud_ = 0;
  std::vector<std::size_t> searched_;  // the ports searched at the current rate, by index
  std::vector<bool> found_;            // a port where readers answered
  TSiteFile round_;                    // the current rate's lines
  std::unique_ptr<TSiteRun> run_;
  std::chrono::seconds adapterWait_{30};
  bool cancelled_ = false;
  TSiteFile site_;
  TSiteResult result_;
  std::map<std::string, std::string> unopened_;
};

// Every serial adapter plugged in, each by the name that stays (/dev/serial/by-id) where it has one.
std::vector<std::string> PluggedInPorts();
