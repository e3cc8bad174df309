#include "SiteDiscovery.h"

#include "CPort.h"
#include "SerialPortWatch.h"

TSiteDiscovery::TSiteDiscovery(std::string siteName, std::vector<std::string> ports, std::vector<std::uint32_t> bauds,
                               QObject* parent)
    : QObject(parent), ports_(std::move(ports)), bauds_(std::move(bauds)), found_(ports_.size(), false) {
  site_.name = std::move(siteName);
  result_.site = site_.name;
}

TSiteDiscovery::~TSiteDiscovery() = default;

void TSiteDiscovery::Start() { StartRate(); }

void TSiteDiscovery::Cancel() {
  cancelled_ = true;
  if (run_) run_->Cancel();
}

void TSiteDiscovery::StartRate() {
  round_ = {};
  searched_.clear();
  while (!cancelled_ && nextBaud_ < bauds_.size() && round_.lines.empty()) {
    const std::uint32_t baud = bauds_[nextBaud_++];
    for (std::size_t i = 0; i < ports_.size(); ++i) {
      if (found_[i]) continue;
      searched_.push_back(i);
      TSiteLine& line = round_.lines.emplace_back();
      line.port = ports_[i];
      line.baud = baud;
    }
  }
  if (round_.lines.empty()) {
    result_.cancelled = cancelled_;
    QMetaObject::invokeMethod(this, &TSiteDiscovery::Finished, Qt::QueuedConnection);
    return;
  }
  emit RateStarted(round_.lines.front().baud, round_.lines.size());
  run_ = std::make_unique<TSiteRun>(round_, TSiteTask::Snapshot, nullptr);
  run_->SetAdapterWait(adapterWait_);
  connect(run_.get(), &TSiteRun::Progress, this, [this](TReaderProgress progress) {
    progress.line = searched_[progress.line];
    emit Progress(progress);
  });
  connect(run_.get(), &TSiteRun::Finished, this, &TSiteDiscovery::RateEnded, Qt::QueuedConnection);
  run_->Start();
}

void TSiteDiscovery::RateEnded() {
  const TSiteResult round = run_->Join();
  run_.reset();
  for (const TLineResult& line : round.lines) {
    const std::string& port = ports_[searched_[line.index]];
    if (line.status == TLineStatus::CannotOpen) unopened_[port] = line.failure;
    if (line.readers.empty()) continue;
    unopened_.erase(port);
    found_[searched_[line.index]] = true;
    TLineResult found = line;
    found.index = site_.lines.size();
    site_.lines.push_back(round_.lines[line.index]);
    result_.lines.push_back(std::move(found));
  }
  if (round.cancelled) cancelled_ = true;
  StartRate();
}

std::vector<std::string> PluggedInPorts() {
  std::vector<std::string> ports;
  const std::unique_ptr<TSerialPortWatch> watch = MakeSerialPortWatch();
  for (const TSerialAdapter& adapter : watch->Adapters())
    ports.push_back((adapter.byId.isEmpty() ? adapter.device : adapter.byId).toStdString());
  return ports;
}
