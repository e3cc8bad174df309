#include "SiteJournal.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSysInfo>

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <map>

#include "ReaderFaultJson.h"

namespace {

QString Text(const std::string& text) { return QString::fromStdString(text); }

QString UserName() {
  const passwd* user = getpwuid(geteuid());
  return user ? QString::fromLocal8Bit(user->pw_name) : QString::number(geteuid());
}

// The changed fields: found before, and after the write what was read back (the planned value
// when it read back as written).
QJsonArray Fields(const TJournalEntry& entry) {
  QJsonArray fields;
  for (const TReadBackDifference& change : entry.before) {
    QJsonObject field{{"field", Text(change.field)}, {"before", change.read ? Text(*change.read) : QJsonValue()}};
    if (change.clockShift && *change.clockShift < 0) field.insert("clockBackDays", -*change.clockShift);
    if (entry.outcome) {
      std::optional<std::string> after = change.written;
      for (const TReadBackDifference& back : entry.outcome->differences)
        if (back.field == change.field) after = back.read;
      field.insert("after", after ? Text(*after) : QJsonValue());
    }
    fields.append(field);
  }
  return fields;
}

// Each field about to be written: found, and planned.
QJsonArray IntentFields(const TJournalEntry& entry) {
  QJsonArray fields;
  for (const TReadBackDifference& change : entry.before)
    fields.append(QJsonObject{{"field", Text(change.field)},
                              {"before", change.read ? Text(*change.read) : QJsonValue()},
                              {"planned", Text(change.written)}});
  return fields;
}

QString Now() {
  const QDateTime now = QDateTime::currentDateTime();
  return now.toOffsetFromUtc(now.offsetFromUtc()).toString(Qt::ISODateWithMs);
}

// Who, when, and which reader: what both lines of a reader begin with.
QJsonObject Header(const TJournalEntry& entry) {
  return {{"time", Now()},
          {"user", UserName()},
          {"host", QSysInfo::machineHostName()},
          {"site", Text(entry.site)},
          {"line", static_cast<qint64>(entry.line)},
          {"port", Text(entry.port)},
          {"address", entry.address},
          {"serial", Text(entry.serial)}};
}

void AddOutcome(const TJournalEntry& entry, QJsonObject& line) {
  if (!entry.outcome) {
    line.insert("outcome", "interrupted");
    line.insert("reason", Text(entry.interruption));
    return;
  }
  const TVerifiedWrite& write = *entry.outcome;
  if (write.Verified()) {
    line.insert("outcome", "verified");
    return;
  }
  if (!write.refusals.empty() || !write.writeErrors.empty() || !write.readErrors.empty()) {
    line.insert("outcome", "errors");
    line.insert("errors", FaultsJson(WriteFaults(write)));
    return;
  }
  line.insert("outcome", "read back otherwise");
}

}  // namespace

std::vector<TReaderFault> WriteFaults(const TVerifiedWrite& write) {
  std::vector<TReaderFault> faults = Faults(write.refusals);
  for (const ErrorList* errors : {&write.writeErrors, &write.readErrors}) {
    const std::vector<TReaderFault> more = Faults(*errors);
    faults.insert(faults.end(), more.begin(), more.end());
  }
  return faults;
}

QJsonObject IntentLine(const TJournalEntry& entry) {
  QJsonObject line = Header(entry);
  line.insert("intent", IntentFields(entry));
  return line;
}

QJsonObject JournalLine(const TJournalEntry& entry) {
  QJsonObject line = Header(entry);
  line.insert("fields", Fields(entry));
  AddOutcome(entry, line);
  return line;
}

std::string InterruptedWriteText(const TInterruptedWrite& write) {
  std::string text = "interrupted while writing on " + write.time.toLocalTime().toString("yyyy-MM-dd HH:mm").toStdString() +
                     " by " + write.user + "@" + write.host + ": ";
  text += write.line ? "line " + std::to_string(*write.line) : write.port;
  text += ", reader " + std::to_string(write.address) + ", fields ";
  for (std::size_t i = 0; i < write.fields.size(); ++i) text += (i ? ", " : "") + write.fields[i];
  return text;
}

namespace {

TInterruptedWrite InterruptedWrite(const QJsonObject& intent) {
  TInterruptedWrite write{QDateTime::fromString(intent["time"].toString(), Qt::ISODateWithMs),
                          intent["user"].toString().toStdString(),
                          intent["host"].toString().toStdString(),
                          std::nullopt,
                          intent["port"].toString().toStdString(),
                          intent["address"].toInt(),
                          {}};
  if (intent.contains("line")) write.line = static_cast<std::size_t>(intent["line"].toInteger());
  for (const QJsonValue& field : intent["intent"].toArray()) write.fields.push_back(field["field"].toString().toStdString());
  return write;
}

// The outcome that closes an intent the program never closed itself: its fields as found, what
// they hold now unknown.
QJsonObject InterruptedOutcome(const QJsonObject& intent) {
  QJsonObject line{{"time", Now()}, {"user", UserName()}, {"host", QSysInfo::machineHostName()}};
  for (const char* key : {"site", "line", "port", "address", "serial"})
    if (intent.contains(key)) line.insert(key, intent[key]);
  QJsonArray fields;
  for (const QJsonValue& field : intent["intent"].toArray())
    fields.append(QJsonObject{{"field", field["field"]}, {"before", field["before"]}, {"after", QJsonValue()}});
  line.insert("fields", fields);
  line.insert("outcome", "interrupted");
  line.insert("reason", "the program ended during the write begun " + intent["time"].toString());
  return line;
}

// The whole file through the descriptor, from the start.
std::string ReadAll(int fd) {
  std::string text;
  char buffer[65536];
  for (off_t at = 0;;) {
    const ssize_t n = ::pread(fd, buffer, sizeof buffer, at);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    text.append(buffer, static_cast<std::size_t>(n));
    at += n;
  }
  return text;
}

}  // namespace

TSiteJournal::TSiteJournal(const QString& path) : path_(path.toStdString()) {
  fd_ = ::open(path_.c_str(), O_RDWR | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
  if (fd_ < 0) Fail(errno);
  struct stat status {};
  regular_ = ::fstat(fd_, &status) == 0 && S_ISREG(status.st_mode);
  try {
    // Only a run that has the journal to itself may take an open intent for an interrupted
    // one: a run going on meanwhile holds it shared for its whole life.
    if (regular_ && ::flock(fd_, LOCK_EX | LOCK_NB) == 0) Mend();
  } catch (...) {
    ::close(fd_);
    throw;
  }
  if (regular_) ::flock(fd_, LOCK_SH);
}

TSiteJournal::~TSiteJournal() {
  if (fd_ >= 0) ::close(fd_);
}

void TSiteJournal::Mend() {
  std::string text = ReadAll(fd_);
  if (!text.empty() && text.back() != '\n') {
    const std::size_t whole = text.rfind('\n') + 1;  // 0 without any whole line
    if (::ftruncate(fd_, static_cast<off_t>(whole)) != 0 || ::fsync(fd_) != 0) Fail(errno);
    tornBytes_ = text.size() - whole;
    text.resize(whole);
  }
  CloseInterrupted(text);
}

void TSiteJournal::CloseInterrupted(const std::string& text) {
  std::map<std::pair<QString, int>, QJsonObject> open;  // (port, address) -> its intent not closed
  for (std::size_t start = 0; start < text.size();) {
    const std::size_t end = text.find('\n', start);
    const QJsonObject line = QJsonDocument::fromJson(QByteArray::fromRawData(text.data() + start, static_cast<qsizetype>(end - start))).object();
    start = end + 1;
    const std::pair key{line["port"].toString(), line["address"].toInt()};
    if (line.contains("intent")) open[key] = line;
    else if (line.contains("outcome")) open.erase(key);
  }
  for (const auto& [key, intent] : open) {
    interrupted_.push_back(InterruptedWrite(intent));
    AppendLocked(InterruptedOutcome(intent));
  }
}

void TSiteJournal::Append(const QJsonObject& line) {
  std::lock_guard lock(mutex_);
  AppendLocked(line);
}

bool TSiteJournal::Failed() const {
  std::lock_guard lock(mutex_);
  return failure_.has_value();
}

std::string TSiteJournal::Failure() const {
  std::lock_guard lock(mutex_);
  return failure_.value_or(std::string());
}

void TSiteJournal::AppendLocked(const QJsonObject& line) {
  if (failure_) throw ESiteJournal(*failure_);
  const QByteArray text = QJsonDocument(line).toJson(QJsonDocument::Compact) + '\n';
  const off_t end = regular_ ? ::lseek(fd_, 0, SEEK_END) : -1;
  // O_APPEND puts each write at the end; a short write is carried on from where it stopped.
  qsizetype done = 0;
  while (done < text.size()) {
    const ssize_t n = ::write(fd_, text.constData() + done, static_cast<std::size_t>(text.size() - done));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      const int error = errno;
      // Half a line is taken back, unless another run has appended behind it meanwhile.
      struct stat status {};
      if (done > 0 && end >= 0 && ::fstat(fd_, &status) == 0 && status.st_size == end + done &&
          ::ftruncate(fd_, end) != 0) {
        // Left as it is: the next open cuts the torn line off.
      }
      Fail(error);
    }
    done += n;
  }
  if (::fsync(fd_) != 0) Fail(errno);
}

QString TSiteJournal::PathBeside(const QString& sitePath) {
  const QFileInfo site(sitePath);
  return site.dir().filePath(site.completeBaseName() + QStringLiteral(".journal.jsonl"));
}

void TSiteJournal::Fail(int error) {
  failure_ = path_ + ": " + std::strerror(error);
  throw ESiteJournal(*failure_);
}
