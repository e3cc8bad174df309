#pragma once

#include <poll.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "NetworkLineName.h"
#include "Rfc2217Session.h"

// The byte pump of one network connection: it takes what the socket holds without waiting and,
// with rfc2217, passes it through the com-port session (telnet commands consumed, line bytes
// kept for the port); it sends what is queued as far as the socket takes it. The connection
// closing or breaking ends it, for good. It does not lock: the line around it does.
class TNetworkPump {
 public:
  TNetworkPump(int fd, TNetworkProtocol protocol);

  int Socket() const { return fd_; }
  bool Ended() const { return ended_; }
  TRfc2217Session* Session() { return session_ ? &*session_ : nullptr; }  // rfc2217 only
  std::span<const std::uint8_t> Input() const { return input_; }

  // Reads what the connection holds, a slice at a time at most: a server that never stops
  // sending must not hold the caller past its deadline. Sends what is queued after it.
  void Receive();
  void Transmit();
  void QueueSessionOutput();  // what the session has to send goes into the queue

  // The port's side, as a device's calls answer: minus errno, kHangUpError once ended.
  long Read(void* buffer, std::size_t count);
  long Write(const void* buffer, std::size_t count);  // taken whole, or not at all
  int InputQueued();
  int Flush(int queueSelector);

  // What the socket must be watched for, serving what it reported, and what the port may be
  // told is ready of what it asked for.
  short Watch() const;
  void Serve(short revents);
  short Ready(short requested) const;

 private:
  void Take(std::span<const std::uint8_t> chunk);

  const int fd_;
  bool ended_ = false;
  std::vector<std::uint8_t> input_;   // line bytes for the port
  std::vector<std::uint8_t> output_;  // what the socket has not taken yet
  std::optional<TRfc2217Session> session_;
};
