// Any bytes as the settings file. Loading never fails on content, and an untouched file is
// written back byte for byte, so the lines of other programs survive a save. A key written
// into it reads back as written after the content is loaded again, and the other keys of
// the section keep their values.
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include <QByteArray>
#include <QMap>
#include <QString>

#include "IniFile.h"

namespace {

void Require(bool condition, const char* what) {
  if (!condition) {
    std::fprintf(stderr, "invariant broken: %s\n", what);
    std::abort();
  }
}

class FuzzStorage : public TIniStorage {
 public:
  QByteArray content;
  bool present = true;
  TReadResult Load(const QString&) override {
    return present ? TReadResult{TReadState::Read, content} : TReadResult{TReadState::Missing, {}};
  }
  bool Replace(const QString&, const QByteArray& bytes) override {
    content = bytes;
    present = true;
    return true;
  }
};

const QByteArray kSection = "ComPort";
const char* const kKeys[] = {"Port", "BaudRate", "CustomBaudRate", "StopBits", "DataBits", "Parity", "FlowControl"};
constexpr std::size_t kKeyCount = sizeof kKeys / sizeof kKeys[0];

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // The first byte picks the key to write, the next up to 64 bytes its value; the rest is the file.
  if (size < 2) return 0;
  const std::size_t keyIndex = data[0] % kKeyCount;
  const std::size_t valueSize = std::min<std::size_t>(data[1] % 65, size - 2);
  QByteArray value(reinterpret_cast<const char*>(data + 2), static_cast<qsizetype>(valueSize));
  value.replace('\n', ' ').replace('\r', ' ');
  FuzzStorage storage;
  storage.content = QByteArray(reinterpret_cast<const char*>(data + 2 + valueSize),
                               static_cast<qsizetype>(size - 2 - valueSize));
  const QByteArray original = storage.content;

  TIniFile file(QStringLiteral("Parvex.ini"), storage);
  Require(file.Content() == original, "an untouched file is written back unchanged");

  QMap<QByteArray, TIniFile::TValue> before;
  for (const char* key : kKeys) {
    const TIniFile::TValue found = file.Lookup(kSection, key);
    if (found.lookup == TIniFile::TLookup::Found)
      Require(found.text.size() <= TIniFile::kMaxValueLength, "a value found is within its length");
    before.insert(key, found);
  }

  const QByteArray key = kKeys[keyIndex];
  file.WriteString(kSection, key, value);
  file.UpdateFile();

  const TIniFile again(QStringLiteral("Parvex.ini"), storage);
  const TIniFile::TValue written = again.Lookup(kSection, key);
  Require(written.lookup == TIniFile::TLookup::Found, "a written key is found");
  Require(written.text == value, "a written key reads back as written");
  for (const char* other : kKeys) {
    if (QByteArray(other) == key) continue;
    const TIniFile::TValue now = again.Lookup(kSection, other);
    Require(now.lookup == before[other].lookup && now.text == before[other].text,
            "writing one key leaves the others as they were");
  }
  return 0;
}
