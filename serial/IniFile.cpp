#include "IniFile.h"

#include "SettingsValues.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace {

class TFileSystemStorage final : public TIniStorage {
 public:
  TReadResult Load(const QString& path) override {
    if (!QFileInfo::exists(path)) return {TReadState::Missing, {}};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {TReadState::Unreadable, {}};
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) return {TReadState::Unreadable, {}};
    return {TReadState::Read, bytes};
  }

  bool Replace(const QString& path, const QByteArray& content) override {
    // QSaveFile writes a temporary file beside the target and renames it over the target on
    // commit, so a crash or a full disk leaves either the old file or the new one.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return false;
    if (file.write(content) != content.size()) {
      file.cancelWriting();
      return false;
    }
    return file.commit();
  }
};

TIniStorage* defaultStorage = nullptr;

constexpr char kBom[] = "\xEF\xBB\xBF";

}  // namespace

TIniStorage& FileSystemStorage() {
  static TFileSystemStorage storage;
  return storage;
}

TIniStorage& DefaultIniStorage() { return defaultStorage ? *defaultStorage : FileSystemStorage(); }

void SetDefaultIniStorage(TIniStorage* storage) { defaultStorage = storage; }

TIniFile::TIniFile(const QString& path, TIniStorage& storage) : path_(path), storage_(storage) {
  TIniStorage::TReadResult read = storage_.Load(path_);
  if (read.state == TIniStorage::TReadState::Unreadable)
    throw EIniFile("cannot read " + path_.toStdString());
  QByteArray bytes = std::move(read.bytes);
  if (bytes.startsWith(kBom)) {
    bom_ = kBom;
    bytes.remove(0, bom_.size());
  }
  qsizetype start = 0;
  while (start < bytes.size()) {
    qsizetype lf = bytes.indexOf('\n', start);
    if (lf < 0) {
      lines_.push_back(Parse(bytes.mid(start), {}));
      break;
    }
    QByteArray raw = bytes.mid(start, lf - start);
    QByteArray ending = "\n";
    if (raw.endsWith('\r')) {
      raw.chop(1);
      ending = "\r\n";
    }
    lines_.push_back(Parse(std::move(raw), std::move(ending)));
    start = lf + 1;
  }
  // Lines we add follow the file's own convention.
  if (!lines_.empty() && !lines_.front().ending.isEmpty()) newline_ = lines_.front().ending;
}

TIniFile::TLine TIniFile::Parse(QByteArray raw, QByteArray ending) {
  TLine line{std::move(raw), std::move(ending), TKind::Other, {}, {}};
  const QByteArray text = line.raw.trimmed();
  if (text.isEmpty() || text.startsWith(';') || text.startsWith('#')) return line;
  if (text.startsWith('[')) {
    qsizetype close = text.indexOf(']');
    line.kind = TKind::Section;
    line.name = text.mid(1, close < 0 ? -1 : close - 1).trimmed();
    return line;
  }
  qsizetype eq = text.indexOf('=');
  if (eq <= 0) return line;
  line.name = text.left(eq).trimmed();
  if (line.name.isEmpty()) return line;
  line.kind = TKind::Key;
  line.value = text.mid(eq + 1).trimmed();
  if (line.value.size() >= 2 && line.value.startsWith('"') && line.value.endsWith('"'))
    line.value = line.value.mid(1, line.value.size() - 2);
  return line;
}

std::pair<int, int> TIniFile::FindSection(const QByteArray& section) const {
  const int count = static_cast<int>(lines_.size());
  for (int i = 0; i < count; ++i) {
    if (lines_[i].kind != TKind::Section || !SameTextIgnoringCase(lines_[i].name, section)) continue;
    int end = i + 1;
    while (end < count && lines_[end].kind != TKind::Section) ++end;
    return {i, end};
  }
  return {-1, -1};
}

int TIniFile::FindKey(int begin, int end, const QByteArray& key) const {
  for (int i = begin + 1; i < end; ++i)
    if (lines_[i].kind == TKind::Key && SameTextIgnoringCase(lines_[i].name, key)) return i;
  return -1;
}

TIniFile::TValue TIniFile::Lookup(const QByteArray& section, const QByteArray& key) const {
  auto [begin, end] = FindSection(section);
  if (begin < 0) return {};
  int at = FindKey(begin, end, key);
  if (at < 0) return {};
  const QByteArray& value = lines_[at].value;
  if (value.size() > kMaxValueLength) return {TLookup::Overlong, {}};
  return {TLookup::Found, value};
}

QByteArray TIniFile::ReadString(const QByteArray& section, const QByteArray& key,
                                const QByteArray& def) const {
  TValue value = Lookup(section, key);
  return value.lookup == TLookup::Found ? value.text : def;
}

void TIniFile::Insert(int at, QByteArray raw) {
  // A last line without a line ending gets one before anything follows it.
  if (at > 0 && lines_[at - 1].ending.isEmpty()) lines_[at - 1].ending = newline_;
  lines_.insert(lines_.begin() + at, Parse(std::move(raw), newline_));
}

void TIniFile::WriteString(const QByteArray& section, const QByteArray& key, const QByteArray& value) {
  // A line break would smuggle other lines into the file.
  if (value.contains('\n') || value.contains('\r'))
    throw EIniFile("line break in the value of " + key.toStdString());
  // Quotes keep blanks at the ends, and quotes of the value's own, through the next read.
  const bool quote = value != value.trimmed() ||
                     (value.size() >= 2 && value.startsWith('"') && value.endsWith('"'));
  const QByteArray raw = key + '=' + (quote ? '"' + value + '"' : value);
  auto [begin, end] = FindSection(section);
  if (begin < 0) {
    Insert(static_cast<int>(lines_.size()), '[' + section + ']');
    Insert(static_cast<int>(lines_.size()), raw);
    return;
  }
  if (int at = FindKey(begin, end, key); at >= 0) {
    QByteArray ending = lines_[at].ending;
    lines_[at] = Parse(raw, std::move(ending));
    return;
  }
  // After the section's last key, so that comments and blank lines before the next section stay there.
  int after = begin;
  for (int i = begin + 1; i < end; ++i)
    if (lines_[i].kind == TKind::Key) after = i;
  Insert(after + 1, raw);
}

QByteArray TIniFile::Content() const {
  QByteArray out = bom_;
  for (const TLine& line : lines_) out += line.raw + line.ending;
  return out;
}

void TIniFile::UpdateFile() {
  if (!storage_.Replace(path_, Content())) throw EIniFile("cannot write " + path_.toStdString());
}
