#include "SiteJournal.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSysInfo>

#include <fcntl.h>
#include <pwd.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "ReaderText.h"

namespace {

QString Text(const std::string& text) { return QString::fromStdString(text); }

QString UserName() {
  const passwd* user = getpwuid(geteuid());
  return user ? QString::fromLocal8Bit(user->pw_name) : QString::number(geteuid());
}

QJsonArray Lines(const std::vector<std::string>& lines) {
  QJsonArray array;
  for (const std::string& line : lines) array.append(Text(line));
  return array;
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
    line.insert("errors", Lines(WriteErrorLines(write)));
    return;
  }
  line.insert("outcome", "read back otherwise");
}

}  // namespace

std::vector<std::string> WriteErrorLines(const TVerifiedWrite& write) {
  std::vector<std::string> lines = RefusalLinesUtf8(write.refusals);
  const std::vector<std::string> written = ErrorLinesUtf8(write.writeErrors);
  lines.insert(lines.end(), written.begin(), written.end());
  const std::vector<std::string> readBack = ErrorLinesUtf8(write.readErrors);
  lines.insert(lines.end(), readBack.begin(), readBack.end());
  return lines;
}

QJsonObject JournalLine(const TJournalEntry& entry) {
  QJsonObject line{{"time", QDateTime::currentDateTime().toOffsetFromUtc(QDateTime::currentDateTime().offsetFromUtc())
                                .toString(Qt::ISODateWithMs)},
                   {"user", UserName()},
                   {"host", QSysInfo::machineHostName()},
                   {"site", Text(entry.site)},
                   {"port", Text(entry.port)},
                   {"address", entry.address},
                   {"serial", Text(entry.serial)},
                   {"fields", Fields(entry)}};
  AddOutcome(entry, line);
  return line;
}

TSiteJournal::TSiteJournal(const QString& path) : path_(path.toStdString()) {
  fd_ = ::open(path_.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
  if (fd_ < 0) Fail(errno);
}

TSiteJournal::~TSiteJournal() {
  if (fd_ >= 0) ::close(fd_);
}

void TSiteJournal::Append(const QJsonObject& line) {
  const QByteArray text = QJsonDocument(line).toJson(QJsonDocument::Compact) + '\n';
  std::lock_guard lock(mutex_);
  // O_APPEND puts each write at the end; a short write (a full disk) is carried on from where it
  // stopped, so that the line is whole or the journal tells why not.
  qsizetype done = 0;
  while (done < text.size()) {
    const ssize_t n = ::write(fd_, text.constData() + done, static_cast<std::size_t>(text.size() - done));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) Fail(errno);
    done += n;
  }
  if (::fsync(fd_) != 0) Fail(errno);
}

QString TSiteJournal::PathBeside(const QString& sitePath) {
  const QFileInfo site(sitePath);
  return site.dir().filePath(site.completeBaseName() + QStringLiteral(".journal.jsonl"));
}

void TSiteJournal::Fail(int error) const { throw ESiteJournal(path_ + ": " + std::strerror(error)); }
