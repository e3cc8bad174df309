#pragma once

// The telnet com-port session of a network line (RFC 2217), without its socket: the bytes the
// server sent go in; line bytes, the bytes to send and the far line's state come out. Option
// negotiation, the requests that put settings on the far port and the bookkeeping of their
// answers live here; the network line only pumps bytes between this and its connection.

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "ComPortOption.h"
#include "TelnetCodec.h"

class TRfc2217Session {
 public:
  enum class TState : std::uint8_t { Negotiating, Ready, Refused };

  TRfc2217Session();  // offers BINARY both ways and the com-port option

  // What the server sent: line bytes are appended to lineBytes (doubled IACs single), the
  // negotiation is answered and the far port's answers and notifications are taken.
  void Receive(std::span<const std::uint8_t> bytes, std::vector<std::uint8_t>& lineBytes);
  void SendLine(std::span<const std::uint8_t> bytes);  // IACs doubled

  // Requests to the far port, awaited until their answers come or StopAwaiting.
  void PutFarLine(const comport::TFarLine& line);  // only what differs from the last one
  void SetControlLines(int lines, bool on);        // TIOCM_DTR, TIOCM_RTS; only a change is sent
  void Purge(int queueSelector);                   // TCIFLUSH, TCOFLUSH, TCIOFLUSH; not awaited
  bool AwaitingAnswers() const;
  void StopAwaiting();  // late answers are ignored

  TState State() const;
  int ModemLines() const { return modemLines_; }  // TIOCM_* lines the server last notified

  // The bytes to send to the server; the caller takes them all.
  std::vector<std::uint8_t> TakeOutgoing();

 private:
  enum class TOption : std::uint8_t { Off, Asked, On };
  using TOptions = std::array<TOption, 256>;

  void Ask(TOptions& side, std::uint8_t verb, std::uint8_t option);
  void Negotiation(std::uint8_t verb, std::uint8_t option);
  void Subnegotiation(const telnet::TCommand& command);
  void SendRequest(const comport::TRequest& request);

  std::vector<std::uint8_t> outgoing_;
  telnet::TDecoder decoder_;
  std::vector<telnet::TCommand> commands_;
  TOptions us_{}, him_{};
  bool comPortRefused_ = false;
  std::optional<comport::TFarLine> farLine_;  // what the far port was last asked for
  std::optional<bool> dtr_, rts_;
  int modemLines_ = 0;
  std::array<int, comport::kPurgeData + 1> pending_{};  // requests awaiting an answer, by code
};
