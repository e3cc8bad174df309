#include "ReaderLink.h"

#include <cstdio>

#include "CodeTables.h"

namespace {
constexpr std::uint8_t kSerialNumberCode = cmd::ReadSerialNumber;
constexpr std::size_t kSerialNumberSize = 2;
constexpr std::size_t kAckDataSize = 0;

CommandOutcome OutcomeOf(std::span<const std::uint8_t> response, std::size_t dataSize) {
  if (response.empty()) return CommandOutcome::Timeout;
  const FrameView frame(response);
  // A wrong length is reported before the reader's status is looked at.
  if (!frame.IsResponseWith(dataSize)) return CommandOutcome::WrongLength;
  if (frame.Status() != frame::kSuccessStatus) return CommandOutcome::ReaderStatus;
  return CommandOutcome::Accepted;
}

// The status an error line names for a failed command.
std::uint8_t FailureStatus(CommandOutcome outcome, std::span<const std::uint8_t> response) {
  switch (outcome) {
    case CommandOutcome::Timeout:
      return status::Timeout;
    case CommandOutcome::WrongLength:
      return status::WrongFormat;
    case CommandOutcome::ReaderStatus:
    case CommandOutcome::Accepted:
      break;
  }
  return FrameView(response).Status();
}

}  // namespace

std::string ReaderEntryText(const ReaderAnswer& answer) {
  char text[16];
  std::snprintf(text, sizeof text, "%d / %02X%02X", answer.address, answer.serialHigh, answer.serialLow);
  return text;
}

// --- receive path ---

void ReaderLink::ReceiveChunk(std::span<const std::uint8_t> bytes) {
  lastReceiveMs_ = host_.NowMs();
  ProcessInput(bytes, ScanMode::MoreToCome);
}

void ReaderLink::ProcessInput(std::span<const std::uint8_t> bytes, ScanMode scan) {
  assembler_.Append(bytes);
  // A full slot holds everything back until the exchange has taken its response.
  if (!slot_.empty()) {
    assembler_.KeepWithinBound();
    return;
  }
  while (const std::optional<FrameView> frame = assembler_.NextFrame(scan)) {
    if (!IsDuplicate(*frame) && IsAwaited(*frame)) {
      slot_.assign(frame->Bytes().begin(), frame->Bytes().end());
      assembler_.HandOverFrame(*frame);
      assembler_.KeepWithinBound();
      return;
    }
    assembler_.DropFrame(*frame);
  }
}

bool ReaderLink::IsDuplicate(const FrameView& frame) {
  if (duplicates_.outstanding == 0) return false;
  if (host_.NowMs() > duplicates_.untilMs) {
    duplicates_.outstanding = 0;
    return false;
  }
  if (frame.Address() != duplicates_.address || frame.Code() != duplicates_.code) return false;
  --duplicates_.outstanding;
  return true;
}

bool ReaderLink::IsAwaited(const FrameView& frame) const {
  return awaiting_ && frame.Address() != frame::kBroadcastAddress && frame.Code() == awaitedCode_ &&
         (exchangeAddress_ == frame::kBroadcastAddress || exchangeAddress_ == frame.Address());
}

void ReaderLink::IdleFlush() {
  if (exchanging_ || assembler_.Buffered() == 0) return;
  if (host_.NowMs() - lastReceiveMs_ > readerlink::kIdleFlushMs) assembler_.FlushToLog();
}

// --- exchange ---

std::size_t ReaderLink::SendFrame(std::span<const std::uint8_t> frame) {
  const std::size_t written = host_.WriteLine(frame);
  if (written < frame.size()) {
    // Half a frame on the line would later look like a reader that did not answer.
    host_.FailShortWrite(written, frame.size());
    throw ShortWriteError();
  }
  return written;
}

std::int64_t ReaderLink::WireTimeMs(std::size_t bytes) {
  const std::uint32_t baud = host_.BaudRate();
  if (baud == 0) return 0;
  const std::uint64_t bitMs = static_cast<std::uint64_t>(bytes) * readerlink::kBitsPerByte * 1000;
  return static_cast<std::int64_t>((bitMs + baud - 1) / baud);
}

bool ReaderLink::ExchangeFrame(std::uint8_t address, std::uint8_t code, std::span<const std::uint8_t> data,
                               std::vector<std::uint8_t>& response, Sending sending) {
  response.clear();
  const std::vector<std::uint8_t> request = BuildRequest(address, code, data);
  slot_.clear();
  exchangeAddress_ = address;
  awaitedCode_ = frame::AnswerCode(code);
  awaiting_ = true;
  exchanging_ = true;
  // Every exchange ends with nobody awaiting and the slot empty, however it ends: a flag
  // left set would stop the idle flush, and a late frame in the slot would hold back every
  // later byte until some other exchange happened to run.
  struct EndOfExchange {
    ReaderLink& link;
    ~EndOfExchange() {
      link.awaiting_ = false;
      link.exchanging_ = false;
      link.slot_.clear();
    }
  } endOfExchange{*this};

  const bool send = sending == Sending::SendRequest;
  const bool broadcast = address == frame::kBroadcastAddress;
  const std::int64_t waitMs = readerlink::kUnicastWaitMs * (broadcast ? readerlink::kBroadcastWaits : 1);
  int sendings = 0;
  std::int64_t firstSentMs = 0;
  std::int64_t lastSentMs = 0;
  for (int attempt = 0; attempt < readerlink::kAttempts; ++attempt) {
    if (send) {
      SendFrame(request);
      if (observer_) observer_->FrameSent(request, attempt + 1);
      lastSentMs = host_.NowMs();
      if (sendings++ == 0) firstSentMs = lastSentMs;
      const std::int64_t deadline = lastSentMs + WireTimeMs(request.size()) + waitMs;
      // A broadcast always waits to its deadline: every reader's answer is wanted.
      host_.Wait(deadline, [this, broadcast] { return !broadcast && !slot_.empty(); });
    }
    if (slot_.empty()) ProcessInput(host_.TakeArrived(), ScanMode::Final);
    if (!slot_.empty()) {
      response = slot_;
      if (!broadcast && sendings > 1) AwaitRepeatedAnswers(address, sendings - 1, firstSentMs, lastSentMs);
      return true;
    }
    if (!send) return false;
  }
  return false;
}

void ReaderLink::AwaitRepeatedAnswers(std::uint8_t address, int outstanding, std::int64_t firstSentMs,
                                      std::int64_t lastSentMs) {
  // The accepted answer is taken as the one to the first sending; the answers to the others
  // are due as late after their own sendings, plus one unicast wait of slack. They are waited
  // for and dropped here, before the next exchange can await the same code from the same
  // reader (the black-list rows do): one that never comes as a frame (cut short by the final
  // scan, not sent by a busy reader) then costs this wait, never the next exchange's answer.
  const std::int64_t answerDelayMs = host_.NowMs() - firstSentMs;
  duplicates_ = {address, awaitedCode_, outstanding, lastSentMs + answerDelayMs + readerlink::kUnicastWaitMs};
  awaiting_ = false;
  slot_.clear();
  ProcessInput({}, ScanMode::MoreToCome);  // what came behind the answer may hold them already
  host_.Wait(duplicates_.untilMs, [this] { return duplicates_.outstanding == 0; });
  duplicates_.outstanding = 0;
}

// --- commands ---

bool ReaderLink::ReadCommand(std::uint8_t address, std::uint8_t code, std::span<const std::uint8_t> data,
                             std::vector<std::uint8_t>& result, std::size_t expected, Sending sending) {
  result.clear();
  std::vector<std::uint8_t> response;
  // No further answer in the buffer ends a search's answers; it is no failure.
  if (!ExchangeFrame(address, code, data, response, sending) && sending == Sending::TakeNextAnswer) return false;
  if (!EndCommand(code, response, expected)) return false;
  const FrameView frame(response);
  exchangeAddress_ = frame.Address();
  const std::span<const std::uint8_t> answered = frame.ResponseData();
  result.assign(answered.begin(), answered.end());
  return true;
}

bool ReaderLink::WriteCommand(std::uint8_t address, std::uint8_t code, std::span<const std::uint8_t> data) {
  std::vector<std::uint8_t> ack;
  ExchangeFrame(address, code, data, ack, Sending::SendRequest);
  return EndCommand(code, ack, kAckDataSize);
}

bool ReaderLink::WriteByteCommand(std::uint8_t address, std::uint8_t code, std::uint8_t value) {
  const std::uint8_t data[1] = {value};
  return WriteCommand(address, code, data);
}

bool ReaderLink::EndCommand(std::uint8_t code, std::span<const std::uint8_t> response, std::size_t dataSize) {
  const CommandOutcome outcome = OutcomeOf(response, dataSize);
  if (outcome != CommandOutcome::Accepted) errors_.AddError(code, FailureStatus(outcome, response));
  if (observer_) observer_->CommandEnded(code, outcome, response);
  return outcome == CommandOutcome::Accepted;
}

// --- search ---

std::vector<ReaderAnswer> ReaderLink::CollectReaderAnswers() {
  errors_.ClearErrors();
  std::vector<ReaderAnswer> answers;
  std::vector<std::uint8_t> serial;
  // The first call broadcasts; the later ones take the next answer already received.
  while (ReadCommand(frame::kBroadcastAddress, kSerialNumberCode, {}, serial, kSerialNumberSize,
                     answers.empty() ? Sending::SendRequest : Sending::TakeNextAnswer)) {
    answers.push_back({exchangeAddress_, serial[0], serial[1]});
  }
  return answers;
}
