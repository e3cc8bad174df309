#include "LineRun.h"

#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <memory>
#include <utility>
#include <set>
#include <optional>
#include <stdexcept>

#include "CPort.h"
#include "ParameterJson.h"
#include "PortFailure.h"
#include "PortSession.h"
#include "SerialPortWatch.h"
#include "SiteJournal.h"
#include "VerifiedWrite.h"

namespace {

// Unanswered commands in a row, across more than one reader, after which a line is given up:
// a gateway that lost its power must not hold the run for every reader's own timeouts. One
// reader that falls silent is that reader's failure alone.
constexpr int kSilentCommandsToGiveUp = 6;

// While a line waits for its adapter, it tries to open it again at least this often.
constexpr std::chrono::milliseconds kAdapterRetry{1000};

struct ELineSilent : std::runtime_error {
  ELineSilent() : std::runtime_error("no reader answers any more: the line is given up") {}
};

// Watches the line's commands for silence across readers.
class TSilenceWatch : public ExchangeObserver {
 public:
  void StartReader(std::uint8_t address) { reader_ = address; }
  void FrameSent(std::span<const std::uint8_t>, int) override {}
  void CommandEnded(std::uint8_t, CommandOutcome outcome, std::span<const std::uint8_t>) override {
    if (outcome != CommandOutcome::Timeout) {
      silentCommands_ = 0;
      silentReaders_.clear();
      return;
    }
    ++silentCommands_;
    silentReaders_.insert(reader_);
    if (silentCommands_ >= kSilentCommandsToGiveUp && silentReaders_.size() > 1) throw ELineSilent();
  }

 private:
  std::uint8_t reader_ = 0;
  int silentCommands_ = 0;
  std::set<std::uint8_t> silentReaders_;
};

void ConfigureLine(TComPort& port, const TSiteLine& line) {
  port.SetPort(QString::fromStdString(line.port));
  TPortSession::SetBaud(port, line.baud);
  port.SetDataBits(line.dataBits);
  port.Parity()->SetBits(line.parity);
  port.SetStopBits(line.stopBits);
}

class TLineRun {
 public:
  explicit TLineRun(const TLineJob& job)
      : job_(job), line_(job.site.lines[job.index]), session_(port_, idleTimer_) {
    result_.index = job.index;
    result_.port = line_.port;
    for (const TPlannedReader& reader : line_.readers) result_.readers.emplace_back().address = reader.address;
    ConfigureLine(port_, line_);
    session_.DriveDirectly();
  }
  ~TLineRun() { session_.Link().SetObserver(nullptr); }
  TLineRun(const TLineRun&) = delete;
  TLineRun& operator=(const TLineRun&) = delete;

  TLineResult Run() {
    try {
      port_.SetConnected(true);
    } catch (const EComPort& e) {
      result_.status = TLineStatus::CannotOpen;
      result_.failure = PortFailureText(e, DevicePath());
      return result_;
    }
    session_.Link().SetObserver(&watch_);
    // Each pass goes on from where the one before left off: an adapter pulled and plugged in
    // again costs the reader it was on a second survey, nothing more.
    for (;;) {
      try {
        session_.TakeStaleInput();
        Survey();
        if (job_.task == TSiteTask::Apply) Apply();
        return result_;
      } catch (const ELineSilent& e) {
        Stop(TLineStatus::GivenUp, e.what());
      } catch (const EComPort& e) {
        const std::string failure = PortFailureText(e, DevicePath());
        try {
          if (AdapterBack(failure)) continue;
          Stop(TLineStatus::Lost, failure);
        } catch (const ESiteJournal& journal) {
          Stop(TLineStatus::JournalFailed, journal.what());
        }
      } catch (const ESiteJournal& e) {
        Stop(TLineStatus::JournalFailed, e.what());
      } catch (const std::exception& e) {  // a write cut short
        Stop(TLineStatus::Lost, e.what());
      }
      return result_;
    }
  }

 private:
  QString DevicePath() const { return TCustomComPort::DevicePath(QString::fromStdString(line_.port)); }

  bool Cancelled() {
    if (job_.cancel) result_.cancelled = true;
    return result_.cancelled;
  }

  void Tell(TReaderResult& reader, std::optional<TReaderState> state) {
    if (job_.progress) job_.progress({job_.index, line_.port, reader.address, state, {}});
  }
  void Tell(TLineEvent event, std::uint8_t address) {
    if (job_.progress) job_.progress({job_.index, line_.port, address, std::nullopt, event});
  }

  // The line's device failed under it: it is closed and opened again once it is back (the
  // adapter plugged in again, the gateway accepting again), within the job's wait. A write it
  // cut short is in the journal as interrupted, and its reader is surveyed again before it is
  // written. False when the wait is over first, or the run was cancelled meanwhile.
  bool AdapterBack(const std::string& failure) {
    if (job_.adapterWait.count() <= 0) return false;
    const std::uint8_t address = inProgress_ ? inProgress_->address : 0;
    if (std::exchange(writing_, false)) job_.journal->Append(JournalLine(Entry(*inProgress_, nullptr, failure)));
    // Cut short in its write or in its survey before it: the reader is surveyed again.
    if (applying_) resurvey_ = applied_;
    inProgress_ = nullptr;
    Tell(TLineEvent::AdapterGone, address);
    try {
      port_.SetConnected(false);
    } catch (const EComPort&) {
      // Closing a device that is gone may fail too; it is closed all the same.
    }
    if (!AwaitAdapter()) return false;
    Tell(TLineEvent::AdapterBack, address);
    return true;
  }

  // Opens the line again as soon as it can be: tried when the kernel announces an adapter, and
  // every second besides (a network line, a device the watch does not see).
  bool AwaitAdapter() {
    std::unique_ptr<TSerialPortWatch> adapters;
    try {
      adapters = MakeSerialPortWatch();
    } catch (const EComPort&) {
      // Without the kernel's announcements the tries alone find it.
    }
    QEventLoop loop;
    QTimer retry;
    retry.setSingleShot(true);
    QObject::connect(&retry, &QTimer::timeout, &loop, &QEventLoop::quit);
    if (adapters) QObject::connect(adapters.get(), &TSerialPortWatch::Arrived, &loop, &QEventLoop::quit);
    const auto deadline = std::chrono::steady_clock::now() + job_.adapterWait;
    for (;;) {
      try {
        port_.SetConnected(true);
        return true;
      } catch (const EComPort&) {
      }
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
      if (left.count() <= 0 || Cancelled()) return false;
      retry.start(std::min(left, kAdapterRetry));
      loop.exec();
    }
  }
  void Set(TReaderResult& reader, TReaderState state) {
    reader.state = state;
    Tell(reader, state);
  }

  // What the operator agreed to, when asked: this reader, answering with this serial.
  bool Approved(const TReaderResult& reader) const {
    return !job_.approved || job_.approved->contains({job_.index, reader.address, reader.serial.value_or("")});
  }

  // Reads the reader whole; false (the reader failed, with its error lines) when any read failed.
  bool Read(TReaderResult& reader) {
    inProgress_ = &reader;
    watch_.StartReader(reader.address);
    const TReaderParameters values =
        ReadParameters(session_.Link(), session_.Errors(), reader.address, [](const TReaderParameters&, TParameter, int) {})
            .values;
    inProgress_ = nullptr;
    if (!session_.Errors().empty()) {
      reader.faults = Faults(session_.Errors());
      Set(reader, TReaderState::Failed);
      return false;
    }
    reader.values = values;
    return true;
  }

  void SurveyPlanned(TReaderResult& reader, const TPlannedReader& plan, const std::vector<ReaderAnswer>& answers) {
    const auto answer = std::find_if(answers.begin(), answers.end(),
                                     [&](const ReaderAnswer& a) { return a.address == reader.address; });
    if (answer == answers.end()) return Set(reader, TReaderState::Missing);
    reader.serial = SerialText(answer->serialHigh, answer->serialLow);
    if (plan.serial && *plan.serial != *reader.serial) {
      // A backup keeps every reader that answered: this one, pinned by the serial found.
      if (job_.task == TSiteTask::Snapshot && !Read(reader)) return;
      return Set(reader, TReaderState::OtherReader);
    }
    if (!Read(reader)) return;
    // A plan that names a field the reader's mode does not use does not fit this reader.
    if (const auto refusals = WriteRefusals(reader.address, ForReader(plan.plan, *reader.values)); !refusals.empty()) {
      reader.faults = Faults(refusals);
      return Set(reader, TReaderState::Failed);
    }
    reader.differences = ReadBackMismatches(plan.plan, *reader.values);
    if (job_.task == TSiteTask::Survey) reader.values.reset();  // an apply writes from them
    Set(reader, reader.differences.empty() ? TReaderState::Matches : TReaderState::Differs);
  }

  void SurveyUnplanned(const ReaderAnswer& answer) {
    // Found again after the adapter came back, when its survey was cut short.
    const auto before = std::find_if(result_.readers.begin(), result_.readers.end(),
                                     [&](const TReaderResult& r) { return r.address == answer.address; });
    TReaderResult& reader = before != result_.readers.end() ? *before : result_.readers.emplace_back();
    reader.address = answer.address;
    reader.serial = SerialText(answer.serialHigh, answer.serialLow);
    reader.planned = false;
    if (job_.task == TSiteTask::Snapshot && !Read(reader)) return;
    Set(reader, TReaderState::Unplanned);
  }

  void Survey() {
    if (!answers_) {
      watch_.StartReader(0);
      answers_ = session_.Link().CollectReaderAnswers();
    }
    for (; surveyed_ < line_.readers.size(); ++surveyed_) {
      if (Cancelled()) return;
      SurveyPlanned(result_.readers[surveyed_], line_.readers[surveyed_], *answers_);
    }
    for (const ReaderAnswer& answer : *answers_) {
      if (Told(answer.address)) continue;
      if (Cancelled()) return;
      SurveyUnplanned(answer);
    }
  }

  // A reader of the line that has its state: planned, or found and surveyed before.
  bool Told(std::uint8_t address) const {
    return std::any_of(result_.readers.begin(), result_.readers.end(), [&](const TReaderResult& reader) {
      return reader.address == address && (reader.planned || reader.state != TReaderState::NotReached);
    });
  }

  TJournalEntry Entry(const TReaderResult& reader, const TVerifiedWrite* outcome, const std::string& interruption) const {
    return {job_.site.name, job_.index, line_.port, reader.address, reader.serial.value_or(""), reader.differences,
            outcome, interruption};
  }

  // On disk before the first request to the reader: what is about to be written.
  void Write(TReaderResult& reader, const TPlannedReader& plan) {
    job_.journal->Append(IntentLine(Entry(reader, nullptr, {})));
    Tell(reader, std::nullopt);
    inProgress_ = &reader;
    writing_ = true;
    watch_.StartReader(reader.address);
    const TVerifiedWrite write = ApplyPlan(session_.Link(), session_.Errors(), reader.address, plan.plan, *reader.values);
    writing_ = false;
    inProgress_ = nullptr;
    const TJournalEntry outcome = Entry(reader, &write, {});
    reader.differences = write.differences;
    reader.faults = WriteFaults(write);
    // The reader's state is told whether or not its outcome reaches the journal.
    std::optional<ESiteJournal> unjournaled;
    try {
      job_.journal->Append(JournalLine(outcome));
    } catch (const ESiteJournal& e) {
      unjournaled = e;
      reader.outcomeUnjournaled = true;
    }
    Set(reader, write.Verified() ? TReaderState::Written : TReaderState::Failed);
    if (unjournaled) throw *unjournaled;
  }

  void Apply() {
    applying_ = true;
    for (; applied_ < line_.readers.size(); ++applied_) {
      TReaderResult& reader = result_.readers[applied_];
      if (resurvey_ == applied_) {
        resurvey_.reset();
        SurveyPlanned(reader, line_.readers[applied_], *answers_);
      }
      if (reader.state != TReaderState::Differs || !Approved(reader)) continue;
      if (Cancelled()) return;
      // Another line's journal failure stops this one too: no reader is written unrecorded.
      if (job_.journal->Failed()) throw ESiteJournal(job_.journal->Failure());
      Write(reader, line_.readers[applied_]);
    }
  }

  // The line cannot go on: the reader in progress failed with the line's message, and one whose
  // write was cut short is in the journal as interrupted, as it may hold part of its plan.
  void Stop(TLineStatus status, const std::string& failure) {
    result_.status = status;
    result_.failure = failure;
    if (!inProgress_) return;
    TReaderResult& reader = *inProgress_;
    if (writing_) {
      try {
        job_.journal->Append(JournalLine(Entry(reader, nullptr, failure)));
      } catch (const ESiteJournal& e) {
        result_.failure += "; " + std::string(e.what());
      }
    }
    reader.faults.push_back(TLineFailure{failure});
    Set(reader, TReaderState::Failed);
  }

  const TLineJob& job_;
  const TSiteLine& line_;
  TLineResult result_;
  TComPort port_;
  QTimer idleTimer_;
  TSilenceWatch watch_;
  TPortSession session_;
  TReaderResult* inProgress_ = nullptr;
  bool writing_ = false;
  // How far the run has come, for it to go on after an adapter came back.
  std::optional<std::vector<ReaderAnswer>> answers_;  // the search's
  std::size_t surveyed_ = 0;  // planned readers surveyed
  bool applying_ = false;     // the survey is over, the writes have begun
  std::size_t applied_ = 0;   // planned readers the apply has passed
  std::optional<std::size_t> resurvey_;  // a planned reader whose write the adapter's loss cut short
};

}  // namespace

TLineResult RunLine(const TLineJob& job) { return TLineRun(job).Run(); }
