#pragma once

// Servers on loopback that a network line cannot get an answer from: one that never says a
// word, and one that floods the connection with a subnegotiation it never ends.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

// A TCP server on loopback that never says a word: the kernel completes the connection, no
// telnet negotiation ever comes.
class TSilentServer {
 public:
  TSilentServer() : fd_(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0)) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (::bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 && ::listen(fd_, 4) == 0 &&
        ::getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length) == 0)
      port_ = ntohs(address.sin_port);
  }
  ~TSilentServer() { ::close(fd_); }
  TSilentServer(const TSilentServer&) = delete;
  TSilentServer& operator=(const TSilentServer&) = delete;
  int Port() const { return port_; }

 protected:
  int Fd() const { return fd_; }

 private:
  int fd_;
  int port_ = 0;
};

// A server that opens a subnegotiation and never ends it, sending as fast as the connection
// takes it until the client gives up.
class TFloodingServer : public TSilentServer {
 public:
  TFloodingServer() : thread_([this] { Serve(); }) {}
  ~TFloodingServer() {
    stop_ = true;
    thread_.join();
  }

 private:
  void Serve() {
    for (pollfd listening{Fd(), POLLIN, 0}; !stop_;) {
      const int connection = ::poll(&listening, 1, 20) > 0 ? ::accept(Fd(), nullptr, nullptr) : -1;
      std::vector<unsigned char> flood(4096, 'x');
      flood[0] = 0xFF, flood[1] = 0xFA, flood[2] = 44;  // IAC SB COM-PORT
      for (pollfd writable{connection, POLLOUT, 0}; connection >= 0 && !stop_; flood.assign(4096, 'x'))
        if (::poll(&writable, 1, 20) > 0 && ::send(connection, flood.data(), flood.size(), MSG_NOSIGNAL) < 0) break;
      if (connection >= 0) ::close(connection);
    }
  }

  std::atomic<bool> stop_{false};
  std::thread thread_;
};

// A gateway that turns the first connection away in its own words, as ser2net does while the
// line serves another connection, and never answers a later one.
class TTurningAwayServer : public TSilentServer {
 public:
  static constexpr char kWords[] = "Port already in use";

  TTurningAwayServer()
      : thread_([this] {
          pollfd listening{Fd(), POLLIN, 0};
          if (::poll(&listening, 1, 10000) <= 0) return;
          const int connection = ::accept(Fd(), nullptr, nullptr);
          if (connection < 0) return;
          const std::string words = std::string(kWords) + "\r\n";
          ::send(connection, words.data(), words.size(), MSG_NOSIGNAL);
          ::close(connection);
        }) {}
  ~TTurningAwayServer() { thread_.join(); }

 private:
  std::thread thread_;
};
