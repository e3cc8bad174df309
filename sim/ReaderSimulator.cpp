#include "ReaderSimulator.h"

#include <algorithm>
#include <stdexcept>

#include "ReaderCommands.h"
#include "Frame.h"

namespace sim {

ReaderSimulator::ReaderSimulator(LineSettings settings) : settings_(settings) {
  if (settings_.baud == 0) throw std::invalid_argument("baud rate must be positive");
}

Reader& ReaderSimulator::AddReader(Reader reader) {
  if (reader.address == frame::kBroadcastAddress)
    throw std::invalid_argument("address 255 is the broadcast address");
  if (FindReader(reader.address))
    throw std::invalid_argument("two readers with address " + std::to_string(reader.address));
  return readers_.emplace_back(std::move(reader));
}

Reader* ReaderSimulator::FindReader(std::uint8_t address) {
  const auto it = std::find_if(readers_.begin(), readers_.end(),
                               [address](const Reader& r) { return r.address == address; });
  return it == readers_.end() ? nullptr : &*it;
}

Nanos ReaderSimulator::ByteTime() const {
  // Start bit, 8 data bits, stop bit.
  return Nanos(10'000'000'000LL / settings_.baud);
}

void ReaderSimulator::Receive(std::span<const std::uint8_t> bytes, Nanos now) {
  Idle(now);
  lastReceive_ = now;
  Serve(scanner_.Feed(bytes), now);
}

std::optional<Nanos> ReaderSimulator::QuietDeadline() const {
  if (scanner_.Pending() == 0 || !lastReceive_) return std::nullopt;
  return *lastReceive_ + settings_.quietGap;
}

void ReaderSimulator::Idle(Nanos now) {
  latest_ = std::max(latest_, now);
  const auto deadline = QuietDeadline();
  if (deadline && now >= *deadline) Serve(scanner_.Flush(), now);
}

void ReaderSimulator::Serve(const std::vector<std::vector<std::uint8_t>>& requests, Nanos now) {
  for (const auto& request : requests) {
    record_.push_back({now, Direction::Request, FrameView(request).Address(), request});
    if (settings_.echo) Transmit(request, now);
    Answer(request, now);
  }
}

void ReaderSimulator::Answer(const std::vector<std::uint8_t>& request, Nanos now) {
  const std::uint8_t address = FrameView(request).Address();
  for (Reader& reader : readers_) {
    if (address != frame::kBroadcastAddress && address != reader.address) continue;
    if (reader.faults.silent) continue;
    const std::vector<std::uint8_t> response = AnswerOf(reader, request);
    const Nanos earliest = now + settings_.turnaround + reader.faults.delay;
    const auto& noise = reader.faults.noise;
    Transmit({reinterpret_cast<const std::uint8_t*>(noise.data()), noise.size()}, earliest);
    const Nanos start = Transmit(response, earliest);  // after the noise: the line is busy till then
    record_.push_back({start, Direction::Response, reader.address, response});
  }
}

std::vector<std::uint8_t> ReaderSimulator::AnswerOf(Reader& reader, const std::vector<std::uint8_t>& request) {
  const FrameView heard(request);
  const std::uint8_t code = heard.Code();
  const std::span<const std::uint8_t> data = heard.RequestData();
  sim::Answer answer;
  if (const auto forced = reader.faults.statusFor.find(code); forced != reader.faults.statusFor.end())
    answer = {forced->second, std::vector<std::uint8_t>(AnswerDataSize(code).value_or(0), 0)};
  else
    answer = Execute(reader.state, code, data);
  if (reader.faults.wrongLength) answer.data.push_back(0);
  auto response = BuildResponse(reader.address, frame::AnswerCode(code), answer.data, answer.status);
  if (reader.faults.wrongCrc) response.back() ^= 0x01;
  return response;
}

// Queues the bytes to start no earlier than `earliest` and not before the line is free; returns
// when the first byte starts. Each byte counts as arrived once its stop bit is through.
Nanos ReaderSimulator::Transmit(std::span<const std::uint8_t> bytes, Nanos earliest) {
  const Nanos start = std::max(earliest, lineFreeAt_);
  if (bytes.empty()) return start;
  const Nanos byteTime = ByteTime();
  Nanos at = start;
  for (const std::uint8_t b : bytes) {
    at += byteTime;
    scheduled_.push_back({at, b});
  }
  lineFreeAt_ = at;
  return start;
}

std::vector<std::uint8_t> ReaderSimulator::TakeDue(Nanos now) {
  latest_ = std::max(latest_, now);
  std::vector<std::uint8_t> due;
  while (!scheduled_.empty() && scheduled_.front().at <= now) {
    due.push_back(scheduled_.front().value);
    scheduled_.pop_front();
  }
  return due;
}

std::optional<Nanos> ReaderSimulator::NextDue() const {
  if (scheduled_.empty()) return std::nullopt;
  return scheduled_.front().at;
}

std::vector<std::vector<std::uint8_t>> ReaderSimulator::Requests() const {
  std::vector<std::vector<std::uint8_t>> frames;
  for (const RecordEntry& entry : record_)
    if (entry.direction == Direction::Request) frames.push_back(entry.frame);
  return frames;
}

}  // namespace sim
