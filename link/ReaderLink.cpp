#include "ReaderLink.h"

#include <algorithm>
#include <cstdio>

#include "CodeTables.h"
#include "TerminalText.h"
#include "crc16.h"

namespace {
constexpr char kLf = '\n';
constexpr char kCr = '\r';
// Compacting the receive buffer only once this much lies consumed in front of it keeps the
// scan's many small removals from moving the whole buffer each time.
constexpr std::size_t kCompactAfter = 4096;
constexpr std::uint8_t kSerialNumberCode = cmd::ReadSerialNumber;
constexpr std::size_t kSerialNumberSize = 2;
constexpr std::size_t kAckLength = 6;
constexpr std::size_t kAckStatusIndex = 3;
}  // namespace

std::string ReaderEntryText(const ReaderAnswer& answer) {
  char text[16];
  std::snprintf(text, sizeof text, "%d / %02X%02X", answer.address, answer.serialHigh, answer.serialLow);
  return text;
}

// --- receive path ---

void ReaderLink::ReceiveChunk(std::span<const std::uint8_t> bytes) {
  lastReceiveMs_ = host_.NowMs();
  ProcessInput(bytes, false);
}

void ReaderLink::Append(std::span<const std::uint8_t> bytes) {
  tally_.received += bytes.size();
  buffer_.insert(buffer_.end(), bytes.begin(), bytes.end());
  if (!slot_.empty()) KeepWithinBound();
}

void ReaderLink::KeepWithinBound() {
  const std::size_t held = Buffered();
  if (held <= readerlink::kReceiveBufferBound) return;
  const std::size_t excess = held - readerlink::kReceiveBufferBound;
  buffer_.resize(buffer_.size() - excess);
  tally_.droppedAtBound += excess;
  // The gap sits behind everything still held; consecutive losses make one gap.
  if (!drops_.empty() && drops_.back().position == readerlink::kReceiveBufferBound) {
    drops_.back().count += excess;
  } else {
    drops_.push_back({readerlink::kReceiveBufferBound, excess});
  }
}

void ReaderLink::DropFront(std::size_t count) {
  head_ += count;
  for (DropMark& mark : drops_) mark.position -= count;
  if (head_ == buffer_.size()) {
    buffer_.clear();
    head_ = 0;
  } else if (head_ >= kCompactAfter && head_ * 2 >= buffer_.size()) {
    buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(head_));
    head_ = 0;
  }
}

bool ReaderLink::IsDuplicate(const std::uint8_t* frame) {
  if (duplicates_.outstanding == 0) return false;
  if (host_.NowMs() > duplicates_.untilMs) {
    duplicates_.outstanding = 0;
    return false;
  }
  if (frame[0] != duplicates_.address || frame[2] != duplicates_.code) return false;
  --duplicates_.outstanding;
  return true;
}

bool ReaderLink::IsAwaited(const std::uint8_t* frame) const {
  return awaiting_ && frame[0] != frame::kBroadcastAddress && frame[2] == awaitedCode_ &&
         (exchangeAddress_ == frame::kBroadcastAddress || exchangeAddress_ == frame[0]);
}

void ReaderLink::ProcessInput(std::span<const std::uint8_t> bytes, bool final) {
  Append(bytes);
  // A full slot holds everything back until the exchange has taken its response.
  if (!slot_.empty()) return;
  std::size_t p = 0;
  while (Buffered() >= p + frame::kMinLength) {
    const std::uint8_t* at = buffer_.data() + head_;
    const std::size_t length = at[p + 1];
    if (length < frame::kMinLength || length > frame::kMaxLength) {
      ++p;
      continue;
    }
    if (Buffered() < p + length) {
      if (!final) {
        ConsumeInput(p, true);  // the candidate waits at the front for its remaining bytes
        return;
      }
      ++p;
      continue;
    }
    if (!FrameCrcMatches(at + p, length)) {
      ++p;
      continue;
    }
    ConsumeInput(p, true);
    p = 0;
    at = buffer_.data() + head_;
    if (!IsDuplicate(at) && IsAwaited(at)) {
      slot_.assign(at, at + length);
      tally_.handedToSlot += length;
      ConsumeInput(length, false);
      KeepWithinBound();
      return;
    }
    tally_.droppedInFrames += length;
    ConsumeInput(length, false);
  }
  ConsumeInput(p, true);
}

void ReaderLink::ConsumeInput(std::size_t count, bool echo) {
  std::size_t n = std::min(count, Buffered());
  for (;;) {
    // A gap left at the bound is noted where it sits in the stream.
    if (!drops_.empty() && drops_.front().position == 0) {
      NoteDrop(drops_.front().count);
      drops_.pop_front();
      continue;
    }
    if (n == 0) return;
    const std::size_t piece = drops_.empty() ? n : std::min(n, drops_.front().position);
    if (echo) {
      Echo(std::string_view(reinterpret_cast<const char*>(buffer_.data() + head_), piece));
      tally_.echoed += piece;
    }
    DropFront(piece);
    n -= piece;
  }
}

void ReaderLink::Echo(std::string_view raw) {
  const std::size_t unfinished = logLine_.size();
  std::size_t width = unfinished;  // the buffer holds only the text after the last LF
  for (const char c : raw) {
    // A CR may stand one past the width, since a following LF makes it part of a break.
    const bool crAtWidth = c == kCr && width == terminal::kMaxLineWidth;
    if (c != kLf && width >= terminal::kMaxLineWidth && !crAtWidth) {
      // Break before this byte, or before a CR that ends the line, so that the CR stays
      // visible instead of becoming part of the break.
      if (logLine_.back() == kCr) {
        logLine_.insert(logLine_.size() - 1, 1, kLf);
        width = 1;
      } else {
        logLine_ += kLf;
        width = 0;
      }
    }
    logLine_ += c;
    width = c == kLf ? 0 : width + 1;
  }
  host_.ShowLogLine(logLine_);
  // Only the bytes just added can hold a line feed; the rest is the unfinished line.
  // (A width break may have gone in just before the old line's last byte, a CR.)
  const std::size_t from = unfinished > 0 ? unfinished - 1 : 0;
  const std::size_t lastLf = std::string_view(logLine_).substr(from).rfind(kLf);
  if (lastLf != std::string_view::npos) logLine_.erase(0, from + lastLf + 1);
}

void ReaderLink::NoteDrop(std::size_t count) {
  std::string note;
  if (!logLine_.empty()) note += kLf;
  note += Cp866FromUtf8("[потеряно байт: " + std::to_string(count) + "]");
  note += kLf;
  Echo(note);
}

void ReaderLink::IdleFlush() {
  if (exchanging_ || Buffered() == 0) return;
  if (host_.NowMs() - lastReceiveMs_ > readerlink::kIdleFlushMs) ConsumeInput(Buffered(), true);
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
                               std::vector<std::uint8_t>& response, bool send) {
  response.clear();
  const std::vector<std::uint8_t> request = BuildRequest(address, code, data);
  slot_.clear();
  exchangeAddress_ = address;
  awaitedCode_ = static_cast<std::uint8_t>(code + 1);
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
    if (slot_.empty()) ProcessInput({}, true);
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
  ProcessInput({}, false);  // what came behind the answer may hold them already
  host_.Wait(duplicates_.untilMs, [this] { return duplicates_.outstanding == 0; });
  duplicates_.outstanding = 0;
}

bool ReaderLink::ReadCommand(std::uint8_t address, std::uint8_t code, std::span<const std::uint8_t> data,
                             std::vector<std::uint8_t>& result, std::size_t expected, bool send) {
  result.clear();
  std::vector<std::uint8_t> frame;
  if (!ExchangeFrame(address, code, data, frame, send)) {
    if (!send) return false;
    errors_.AddError(code, status::Timeout);
    return Ended(code, TCommandOutcome::Timeout, {});
  }
  if (frame.size() != expected + 6) {
    errors_.AddError(code, status::WrongFormat);
    return Ended(code, TCommandOutcome::WrongLength, frame);
  }
  const std::uint8_t status = frame[frame.size() - 3];
  if (status != frame::kSuccessStatus) {
    errors_.AddError(code, status);
    return Ended(code, TCommandOutcome::ReaderStatus, frame);
  }
  Ended(code, TCommandOutcome::Accepted, frame);
  exchangeAddress_ = frame[0];
  result.assign(frame.begin() + 3, frame.begin() + 3 + static_cast<std::ptrdiff_t>(expected));
  return true;
}

bool ReaderLink::WriteCommand(std::uint8_t address, std::uint8_t code, std::span<const std::uint8_t> data) {
  std::vector<std::uint8_t> ack;
  if (!ExchangeFrame(address, code, data, ack, true)) {
    errors_.AddError(code, status::Timeout);
    return Ended(code, TCommandOutcome::Timeout, {});
  }
  if (ack.size() != kAckLength) {
    errors_.AddError(code, status::WrongFormat);
    return Ended(code, TCommandOutcome::WrongLength, ack);
  }
  if (ack[kAckStatusIndex] != frame::kSuccessStatus) {
    errors_.AddError(code, ack[kAckStatusIndex]);
    return Ended(code, TCommandOutcome::ReaderStatus, ack);
  }
  return Ended(code, TCommandOutcome::Accepted, ack);
}

bool ReaderLink::Ended(std::uint8_t code, TCommandOutcome outcome, std::span<const std::uint8_t> response) {
  if (observer_) observer_->CommandEnded(code, outcome, response);
  return outcome == TCommandOutcome::Accepted;
}

bool ReaderLink::WriteByteCommand(std::uint8_t address, std::uint8_t code, std::uint8_t value) {
  const std::uint8_t data[1] = {value};
  return WriteCommand(address, code, data);
}

// --- search ---

std::vector<ReaderAnswer> ReaderLink::CollectReaderAnswers() {
  errors_.ClearErrors();
  std::vector<ReaderAnswer> answers;
  std::vector<std::uint8_t> serial;
  // The first call broadcasts; the later ones take the next answer already received.
  while (ReadCommand(frame::kBroadcastAddress, kSerialNumberCode, {}, serial, kSerialNumberSize,
                     answers.empty())) {
    answers.push_back({exchangeAddress_, serial[0], serial[1]});
  }
  return answers;
}
