#pragma once

// A real serial device server: ser2net on free loopback ports in front of a serial device (a
// pseudo-terminal), with an RFC 2217 accepter and a raw TCP accepter, its configuration in a
// temporary folder. Started by the constructor, stopped by the destructor.

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QTemporaryDir>
#include <QThread>

#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <string>

// A gateway whose name no resolver asks a name server about: it is not a valid host name, so the
// C library answers "not found" itself, whatever this machine's resolver would answer.
inline QString UnknownGatewayLine() { return QStringLiteral("tcp://no-such-gateway!:4001"); }

class Ser2netServer {
 public:
  explicit Ser2netServer(const std::string& device) {
    const QString program = QStandardPaths::findExecutable(QStringLiteral("ser2net"), {"/usr/sbin", "/usr/bin"});
    if (program.isEmpty() || !dir_.isValid()) {
      failure_ = QStringLiteral("ser2net is not installed (scripts/setup installs it)");
      return;
    }
    // Both taken while both are held, so that the two accepters never get the same port.
    const int held = HoldLoopbackPort(rfc2217Port_);
    tcpPort_ = FreeLoopbackPort();
    ::close(held);
    const QString config = dir_.filePath(QStringLiteral("ser2net.yaml"));
    QFile file(config);
    if (!file.open(QIODevice::WriteOnly)) {
      failure_ = QStringLiteral("cannot write ") + config;
      return;
    }
    const QString connector = QStringLiteral("serialdev,%1,9600n81,local").arg(QString::fromStdString(device));
    file.write(QStringLiteral("connection: &rfc2217\n"
                              "  accepter: telnet(rfc2217),tcp,127.0.0.1,%1\n"
                              "  connector: %3\n"
                              "connection: &raw\n"
                              "  accepter: tcp,127.0.0.1,%2\n"
                              "  connector: %3\n")
                   .arg(rfc2217Port_)
                   .arg(tcpPort_)
                   .arg(connector)
                   .toUtf8());
    file.close();
    process_.setProgram(program);
    process_.setArguments({"-n", "-u", "-c", config});
    process_.setProcessChannelMode(QProcess::MergedChannels);
    process_.start();
    if (!process_.waitForStarted()) {
      failure_ = QStringLiteral("ser2net did not start: ") + process_.errorString();
      return;
    }
    QDeadlineTimer bound(10000);
    while (!(ListeningHere(rfc2217Port_) && ListeningHere(tcpPort_))) {
      if (bound.hasExpired() || process_.state() != QProcess::Running) {
        failure_ = QStringLiteral("ser2net does not listen: ") + QString::fromLocal8Bit(process_.readAll());
        return;
      }
      QThread::msleep(20);
    }
  }
  ~Ser2netServer() {
    if (process_.state() == QProcess::NotRunning) return;
    process_.terminate();
    if (!process_.waitForFinished(5000)) {
      process_.kill();
      process_.waitForFinished(5000);
    }
  }
  Ser2netServer(const Ser2netServer&) = delete;
  Ser2netServer& operator=(const Ser2netServer&) = delete;

  // Empty when the server listens; else why it does not.
  const QString& Failure() const { return failure_; }
  QString Rfc2217Line() const { return QStringLiteral("rfc2217://127.0.0.1:%1").arg(rfc2217Port_); }
  QString TcpLine() const { return QStringLiteral("tcp://127.0.0.1:%1").arg(tcpPort_); }
  // The server dies as a gateway that loses its power: no goodbye on the line.
  void Kill() {
    process_.kill();
    process_.waitForFinished(5000);
  }
  // The server stops answering and keeps its connections open, as a gateway whose serial side
  // lost its power; Thaw lets it go on (and be stopped).
  void Freeze() { ::kill(static_cast<pid_t>(process_.processId()), SIGSTOP); }
  void Thaw() { ::kill(static_cast<pid_t>(process_.processId()), SIGCONT); }

  // A loopback port that nothing listens on now; nothing will while the test runs, short of a
  // race with another program taking the same free port.
  static int FreeLoopbackPort() {
    int port = 0;
    ::close(HoldLoopbackPort(port));
    return port;
  }

 private:
  // A socket bound to a free loopback port, which it holds until closed.
  static int HoldLoopbackPort(int& port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    port = 0;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0)
      port = ntohs(address.sin_port);
    return fd;
  }
  // Whether this server listens on the loopback port, from the kernel's table and the server's
  // descriptors: a trial connection would make ser2net open the device, and another test's
  // server may have taken the same free port meanwhile.
  bool ListeningHere(int port) const {
    QFile table(QStringLiteral("/proc/net/tcp"));
    if (!table.open(QIODevice::ReadOnly)) return false;
    const QByteArray local = QStringLiteral("0100007F:%1").arg(port, 4, 16, QLatin1Char('0')).toUpper().toLatin1();
    for (const QByteArray& line : table.readAll().split('\n')) {  // a /proc file tells no size
      const QList<QByteArray> fields = line.simplified().split(' ');
      if (fields.size() > 9 && fields[1] == local && fields[3] == "0A") return HoldsSocket(fields[9]);
    }
    return false;
  }
  bool HoldsSocket(const QByteArray& inode) const {
    const std::string socket = "socket:[" + inode.toStdString() + "]";
    const QDir descriptors(QStringLiteral("/proc/%1/fd").arg(process_.processId()));
    for (const QString& fd : descriptors.entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)) {
      char target[64] = {};
      if (::readlink(descriptors.filePath(fd).toLocal8Bit().constData(), target, sizeof target - 1) > 0 && socket == target)
        return true;
    }
    return false;
  }

  QTemporaryDir dir_;
  QProcess process_;
  int rfc2217Port_ = 0;
  int tcpPort_ = 0;
  QString failure_;
};
