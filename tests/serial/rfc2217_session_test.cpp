// The com-port session of a network line, byte by byte: what it offers and answers in the option
// negotiation, the requests that reach the far port, and how their answers are kept, against a
// gateway that answers every request and against ser2net on a pseudo-terminal, which leaves the
// requests for DTR and RTS unanswered.
#include <gtest/gtest.h>

#include <sys/ioctl.h>
#include <termios.h>

#include <cstdint>
#include <vector>

#include "ComPortOption.h"
#include "Rfc2217Session.h"
#include "TelnetCodec.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using telnet::kIac;
constexpr std::uint8_t kDo = telnet::kDo, kDont = telnet::kDont, kWill = telnet::kWill, kWont = telnet::kWont;
constexpr std::uint8_t kComPort = telnet::kComPort, kBinary = telnet::kBinary;
constexpr std::uint8_t kSuppressGoAhead = telnet::kSuppressGoAhead, kEcho = 1, kTerminalType = 24;

Bytes Negotiations(std::initializer_list<std::pair<std::uint8_t, std::uint8_t>> verbs) {
  Bytes out;
  for (const auto& [verb, option] : verbs) telnet::AppendNegotiation(out, verb, option);
  return out;
}

Bytes ComPortMessage(const Bytes& data) {
  Bytes out;
  telnet::AppendSubnegotiation(out, kComPort, data);
  return out;
}

// The server's side: the com-port requests in what the session sent, and its answers to them.
struct TServer {
  bool answersModemControl;  // false: ser2net on a pseudo-terminal

  static std::vector<Bytes> Requests(const Bytes& sent) {
    telnet::TDecoder decoder;
    Bytes line;
    std::vector<telnet::TCommand> commands;
    decoder.Decode(sent, line, commands);
    std::vector<Bytes> requests;
    for (const auto& command : commands)
      if (command.verb == telnet::kSb && command.option == kComPort) requests.push_back(command.data);
    return requests;
  }
  Bytes Answers(const Bytes& sent) const {
    Bytes out;
    for (Bytes request : Requests(sent)) {
      const bool modemControl = request[0] == comport::kSetControl && request[1] >= comport::kDtrOn &&
                                request[1] <= comport::kRtsOff;
      if (modemControl && !answersModemControl) continue;
      request[0] += comport::kAnswerOffset;
      const Bytes answer = ComPortMessage(request);
      out.insert(out.end(), answer.begin(), answer.end());
    }
    return out;
  }
};
void PrintTo(const TServer& row, std::ostream* os) { *os << (row.answersModemControl ? "a gateway with modem lines" : "ser2net on a pty"); }

class Rfc2217SessionTest : public ::testing::Test {
 protected:
  // Feeds the server's bytes in pieces of `piece` bytes (0: whole) and returns the line bytes.
  Bytes FromServer(const Bytes& bytes, std::size_t piece = 0) {
    Bytes line;
    const std::size_t step = piece == 0 ? bytes.size() : piece;
    for (std::size_t at = 0; at < bytes.size(); at += step)
      session.Receive(std::span(bytes).subspan(at, std::min(step, bytes.size() - at)), line);
    return line;
  }
  void Negotiate() {
    session.TakeOutgoing();
    FromServer(Negotiations({{kDo, kBinary}, {kWill, kBinary}, {kDo, kComPort}}));
    ASSERT_EQ(session.State(), TRfc2217Session::TState::Ready);
    ASSERT_TRUE(session.TakeOutgoing().empty());
  }

  TRfc2217Session session;
};

TEST_F(Rfc2217SessionTest, OffersItsOptionsAndAnswersTheServersWithoutLooping) {
  EXPECT_EQ(session.TakeOutgoing(), Negotiations({{kWill, kBinary}, {kDo, kBinary}, {kWill, kComPort}}));
  EXPECT_EQ(session.State(), TRfc2217Session::TState::Negotiating);
  // Consent to what it asked needs no answer; the server's own requests get one each, once.
  FromServer(Negotiations({{kDo, kBinary}, {kWill, kBinary}, {kDo, kComPort}, {kWill, kSuppressGoAhead},
                           {kWill, kEcho}, {kDo, kTerminalType}, {kWill, kSuppressGoAhead}, {kDo, kComPort}}),
             1);
  EXPECT_EQ(session.State(), TRfc2217Session::TState::Ready);
  EXPECT_EQ(session.TakeOutgoing(), Negotiations({{kDo, kSuppressGoAhead}, {kDont, kEcho}, {kWont, kTerminalType}}));
  // Switched off by the server, an option on is acknowledged once.
  FromServer(Negotiations({{kDont, kBinary}, {kDont, kBinary}}));
  EXPECT_EQ(session.TakeOutgoing(), Negotiations({{kWont, kBinary}}));
}

TEST_F(Rfc2217SessionTest, AServerWithoutTheComPortOptionRefusesIt) {
  session.TakeOutgoing();
  FromServer(Negotiations({{kDo, kBinary}, {kDont, kComPort}}));
  EXPECT_EQ(session.State(), TRfc2217Session::TState::Refused);
  EXPECT_TRUE(session.TakeOutgoing().empty());
}

TEST_F(Rfc2217SessionTest, LineBytesPassBothWaysAndNotificationsBetweenThemAreTaken) {
  Negotiate();
  const Bytes frame = {0xFF, 0x0A, 0x71, 0xFF, 0x12};
  session.SendLine(frame);
  EXPECT_EQ(session.TakeOutgoing(), (Bytes{0xFF, 0xFF, 0x0A, 0x71, 0xFF, 0xFF, 0x12}));

  Bytes stream = {0x01, 0xFF, 0xFF};
  const Bytes modemState = ComPortMessage({comport::kNotifyModemState, 0x90});  // CTS, DCD
  const Bytes lineState = ComPortMessage({106, 0x60});
  stream.insert(stream.end(), modemState.begin(), modemState.end());
  stream.push_back(0x02);
  stream.insert(stream.end(), lineState.begin(), lineState.end());
  for (const std::size_t piece : {std::size_t{0}, std::size_t{1}, std::size_t{3}}) {
    EXPECT_EQ(FromServer(stream, piece), (Bytes{0x01, 0xFF, 0x02})) << "in pieces of " << piece;
    EXPECT_EQ(session.ModemLines(), TIOCM_CTS | TIOCM_CAR);
    EXPECT_FALSE(session.AwaitingAnswers());
    EXPECT_TRUE(session.TakeOutgoing().empty());
  }
}

class FarPortRequests : public Rfc2217SessionTest, public ::testing::WithParamInterface<TServer> {};

TEST_P(FarPortRequests, ReachTheServerAndAreAwaitedUntilAnswered) {
  const TServer server = GetParam();
  Negotiate();
  // A rate with IAC in it travels doubled and arrives whole.
  comport::TFarLine line{0xFFFF, 8, 1, 1, comport::kNoFlowOut, comport::kNoFlowIn};
  session.PutFarLine(line);
  session.SetControlLines(TIOCM_DTR | TIOCM_RTS, false);
  session.SetControlLines(TIOCM_DTR, false);  // already low: nothing more is sent
  const Bytes sent = session.TakeOutgoing();
  EXPECT_EQ(TServer::Requests(sent), (std::vector<Bytes>{{1, 0, 0, 0xFF, 0xFF}, {2, 8}, {3, 1}, {4, 1}, {5, 1},
                                                          {5, 14}, {5, comport::kDtrOff}, {5, comport::kRtsOff}}));
  EXPECT_TRUE(session.AwaitingAnswers());
  FromServer(server.Answers(sent), 2);
  EXPECT_EQ(session.AwaitingAnswers(), !server.answersModemControl);

  // The port stops waiting; an answer that comes late is not taken for the next request's.
  session.StopAwaiting();
  const Bytes late = ComPortMessage({comport::kSetControl + comport::kAnswerOffset, comport::kDtrOff});
  FromServer(late);
  session.SetControlLines(TIOCM_DTR, true);
  const Bytes raise = session.TakeOutgoing();
  EXPECT_EQ(TServer::Requests(raise), (std::vector<Bytes>{{5, comport::kDtrOn}}));
  EXPECT_TRUE(session.AwaitingAnswers());
  FromServer(server.Answers(raise));
  EXPECT_EQ(session.AwaitingAnswers(), !server.answersModemControl);
  session.StopAwaiting();

  // Only what changed is asked for again; a purge is not awaited.
  line.parity = 3;
  session.PutFarLine(line);
  session.Purge(TCIOFLUSH);
  const Bytes changed = session.TakeOutgoing();
  EXPECT_EQ(TServer::Requests(changed), (std::vector<Bytes>{{3, 3}, {12, comport::kPurgeBoth}}));
  FromServer(server.Answers(changed));
  EXPECT_FALSE(session.AwaitingAnswers());
}

INSTANTIATE_TEST_SUITE_P(Servers, FarPortRequests,
                         ::testing::Values(TServer{true}, TServer{false}),
                         [](const auto& info) {
                           return info.param.answersModemControl ? "GatewayWithModemLines" : "Ser2netOnAPty";
                         });

}  // namespace
