#pragma once

#include <QByteArray>
#include <QString>

#include <memory>
#include <stdexcept>
#include <vector>

// The settings file: INI lines kept as bytes, so that lines other programs wrote (in any encoding,
// with their own comments and order) survive a save unchanged. Only the keys we write are touched.

// Where the bytes come from and go to. Tests replace it to make reading or writing fail, which
// permission bits cannot do for root.
class TIniStorage {
 public:
  enum class TReadState { Missing, Read, Unreadable };
  struct TReadResult {
    TReadState state = TReadState::Missing;
    QByteArray bytes;
  };
  virtual ~TIniStorage() = default;
  virtual TReadResult Load(const QString& path) = 0;
  // Replaces the whole file at once (temporary file in the same folder, then rename); false on failure.
  virtual bool Replace(const QString& path, const QByteArray& content) = 0;
};

// The storage of the real file system.
TIniStorage& FileSystemStorage();
// The storage a settings file uses unless it is given one: the file system, or what a test put in
// its place (nullptr puts the file system back).
TIniStorage& DefaultIniStorage();
void SetDefaultIniStorage(TIniStorage* storage);

class EIniFile : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class TIniFile {
 public:
  static constexpr int kMaxValueLength = 2047;

  enum class TLookup { Found, Missing, Overlong };
  struct TValue {
    TLookup lookup = TLookup::Missing;
    QByteArray text;
  };

  // Loads the file; a missing file is an empty one. Throws EIniFile when the file exists but
  // cannot be read: neither reading nor a later save may then pretend it was empty.
  explicit TIniFile(const QString& path, TIniStorage& storage = DefaultIniStorage());

  // Section and key match without regard to ASCII case; the first of duplicates counts.
  // A value longer than kMaxValueLength is Overlong: cut short it could name something else.
  TValue Lookup(const QByteArray& section, const QByteArray& key) const;
  // The value, or the default when the key is missing or overlong.
  QByteArray ReadString(const QByteArray& section, const QByteArray& key, const QByteArray& def) const;
  // Replaces the key's line or adds one at the end of the section (adding the section when needed).
  void WriteString(const QByteArray& section, const QByteArray& key, const QByteArray& value);
  // Writes the whole content back at once; throws EIniFile on failure.
  void UpdateFile();

  QByteArray Content() const;

 private:
  enum class TKind { Other, Section, Key };
  struct TLine {
    QByteArray raw;        // as in the file, without its line ending
    QByteArray ending;     // "\n", "\r\n" or empty for a last line without one
    TKind kind = TKind::Other;
    QByteArray name;       // section or key name, blanks trimmed
    QByteArray value;      // key value, blanks and one pair of enclosing quotes removed
  };
  static TLine Parse(QByteArray raw, QByteArray ending);
  // Index range [begin, end) of the lines of the first section with this name; begin == -1 if none.
  std::pair<int, int> FindSection(const QByteArray& section) const;
  int FindKey(int begin, int end, const QByteArray& key) const;
  void Insert(int at, QByteArray raw);

  QString path_;
  TIniStorage& storage_;
  QByteArray bom_;
  QByteArray newline_ = "\n";
  std::vector<TLine> lines_;
};
