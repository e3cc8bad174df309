#include "SiteHistory.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <map>
#include <utility>

#include "ReaderFaultJson.h"
#include "SiteJournal.h"

namespace {

std::string Text(const QJsonValue& value) { return value.toString().toStdString(); }

std::optional<std::string> Optional(const QJsonValue& value) {
  return value.isString() ? std::optional(value.toString().toStdString()) : std::nullopt;
}

THistoryEntry Begun(const QJsonObject& line) {
  THistoryEntry entry{QDateTime::fromString(line["time"].toString(), Qt::ISODateWithMs),
                      Text(line["user"]),
                      Text(line["host"]),
                      Text(line["serial"]),
                      {},
                      {},
                      {},
                      {}};
  for (const QJsonValue& field : line["intent"].toArray())
    entry.fields.push_back({Text(field["field"]), Optional(field["before"]), std::nullopt});
  return entry;
}

// The outcome completes the entry its intent began (or makes one of its own in an older journal).
void Close(THistoryEntry& entry, const QJsonObject& line) {
  entry.outcome = Text(line["outcome"]);
  entry.reason = Text(line["reason"]);
  entry.faults = FaultsFromJson(line["errors"].toArray());
  entry.fields.clear();
  for (const QJsonValue& field : line["fields"].toArray())
    entry.fields.push_back({Text(field["field"]), Optional(field["before"]), Optional(field["after"])});
}

class THistoryReader {
 public:
  explicit THistoryReader(const THistoryFilter& filter) : filter_(filter) {}

  void Take(const QJsonObject& line) {
    const bool intent = line.contains("intent");
    if (!intent && !line.contains("outcome")) return;
    const std::string port = Text(line["port"]);
    const int address = line["address"].toInt();
    if ((filter_.port && *filter_.port != port) || (filter_.address && *filter_.address != address)) return;
    TReaderHistory& reader = Reader(port, address, line);
    auto& open = open_[{port, address}];
    if (intent) {
      reader.entries.push_back(Begun(line));
      open = reader.entries.size();  // its place, plus one
      return;
    }
    if (open == 0) reader.entries.push_back(Begun(line));  // a journal written before intents
    Close(open ? reader.entries[open - 1] : reader.entries.back(), line);
    open = 0;
  }

  std::vector<TReaderHistory> Result() {
    std::vector<TReaderHistory> result;
    for (TReaderHistory& reader : readers_) {
      if (filter_.since)
        std::erase_if(reader.entries, [&](const THistoryEntry& e) { return e.time.toLocalTime().date() < *filter_.since; });
      if (!reader.entries.empty()) result.push_back(std::move(reader));
    }
    return result;
  }

 private:
  TReaderHistory& Reader(const std::string& port, int address, const QJsonObject& line) {
    auto [it, added] = index_.try_emplace({port, address}, readers_.size());
    if (added) readers_.push_back({std::nullopt, port, address, {}});
    TReaderHistory& reader = readers_[it->second];
    if (line.contains("line")) reader.line = static_cast<std::size_t>(line["line"].toInteger());
    return reader;
  }

  const THistoryFilter& filter_;
  std::vector<TReaderHistory> readers_;
  std::map<std::pair<std::string, int>, std::size_t> index_;
  std::map<std::pair<std::string, int>, std::size_t> open_;  // the entry an intent began, plus one
};

}  // namespace

std::vector<TReaderHistory> ReadHistory(const QString& journalPath, const THistoryFilter& filter) {
  QFile file(journalPath);
  if (!file.exists()) return {};
  if (!file.open(QIODevice::ReadOnly))
    throw ESiteJournal(journalPath.toStdString() + ": " + file.errorString().toStdString());
  const QByteArray text = file.readAll();
  THistoryReader reader(filter);
  for (qsizetype start = 0; start < text.size();) {
    qsizetype end = text.indexOf('\n', start);
    if (end < 0) end = text.size();
    const QJsonDocument line = QJsonDocument::fromJson(QByteArray::fromRawData(text.constData() + start, end - start));
    if (line.isObject()) reader.Take(line.object());
    start = end + 1;
  }
  return reader.Result();
}
