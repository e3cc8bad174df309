#include "IniFile.h"
#include "MemoryStorage.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class ProfileFile : public ::testing::Test {
 protected:
  TMemoryStorage storage;
  const QString path = "/settings/Parvex.ini";

  TIniFile Open(const QByteArray& content) {
    storage.files[path] = content;
    return TIniFile(path, storage);
  }
  QByteArray Saved() const { return storage.files.value(path); }
};

TEST_F(ProfileFile, MatchesSectionsAndKeysWithoutCaseAndBlanks) {
  TIniFile ini = Open("  [ comport ]  \n  baudRATE =  19200  \nPort=\"  COM3 \"\n");
  EXPECT_EQ(ini.ReadString("ComPort", "BaudRate", "x"), "19200");
  EXPECT_EQ(ini.ReadString("COMPORT", "port", "x"), "  COM3 ");
  EXPECT_EQ(ini.ReadString("ComPort", "Parity", "dflt"), "dflt");
  EXPECT_EQ(ini.ReadString("Other", "BaudRate", "dflt"), "dflt");
}

TEST_F(ProfileFile, FirstOfDuplicatesCountsAndCommentsNeverMatch) {
  TIniFile ini = Open(
      "[ComPort]\n;Port=COM7\n#Port=COM8\nPort=COM1\nPort=COM2\n"
      "[ComPort]\nBaudRate=300\n[Other]\nBaudRate=600\n");
  EXPECT_EQ(ini.ReadString("ComPort", "Port", "x"), "COM1");
  EXPECT_EQ(ini.ReadString("ComPort", "BaudRate", "dflt"), "dflt");
  EXPECT_EQ(ini.ReadString("ComPort", ";Port", "dflt"), "dflt");
}

TEST_F(ProfileFile, EmptyValueIsNotTheDefault) {
  TIniFile ini = Open("[ComPort]\nPort=\nParity=\"\"\n");
  EXPECT_EQ(ini.Lookup("ComPort", "Port").lookup, TIniFile::TLookup::Found);
  EXPECT_EQ(ini.ReadString("ComPort", "Port", "COM1"), "");
  EXPECT_EQ(ini.ReadString("ComPort", "Parity", "None"), "");
}

TEST_F(ProfileFile, ValueBeyondTheLengthLimitIsOverlongNotCut) {
  const QByteArray limit(TIniFile::kMaxValueLength, 'a');
  TIniFile ini = Open("[ComPort]\nA=" + limit + "\nB=" + limit + "b\n");
  EXPECT_EQ(ini.ReadString("ComPort", "A", "x"), limit);
  EXPECT_EQ(ini.Lookup("ComPort", "B").lookup, TIniFile::TLookup::Overlong);
  EXPECT_EQ(ini.ReadString("ComPort", "B", "kept"), "kept");
}

TEST_F(ProfileFile, SkipsByteOrderMarkAndCarriageReturns) {
  TIniFile ini = Open("\xEF\xBB\xBF[ComPort]\r\nPort=COM4\r\n");
  EXPECT_EQ(ini.ReadString("ComPort", "Port", "x"), "COM4");
}

TEST_F(ProfileFile, NewFileGetsSectionAndKeysWithLineFeeds) {
  TIniFile ini(path, storage);
  ini.WriteString("ComPort", "Port", "COM1");
  ini.WriteString("ComPort", "BaudRate", "9600");
  ini.UpdateFile();
  EXPECT_EQ(Saved(), "[ComPort]\nPort=COM1\nBaudRate=9600\n");
}

TEST_F(ProfileFile, WritingKeepsEveryOtherLineByteForByte) {
  // Another program's section in CP1251 with CRLF endings, comments and a BOM.
  const QByteArray before =
      "\xEF\xBB\xBF; \xCD\xE0\xF1\xF2\xF0\xEE\xE9\xEA\xE8\r\n[Other]\r\nName=\xCF\xF0\xE8\r\n\r\n"
      "[comport]\r\n  PORT = COM9 ; old\r\n; note\r\nZ=1\r\n\r\n[Tail]\r\nk=v";
  TIniFile ini = Open(before);
  ini.WriteString("ComPort", "Port", "COM2");
  ini.WriteString("ComPort", "Parity", "Even");
  ini.WriteString("Tail", "New", "1");
  ini.WriteString("Fresh", "A", "b");
  ini.UpdateFile();
  EXPECT_EQ(Saved(),
            "\xEF\xBB\xBF; \xCD\xE0\xF1\xF2\xF0\xEE\xE9\xEA\xE8\r\n[Other]\r\nName=\xCF\xF0\xE8\r\n\r\n"
            "[comport]\r\nPort=COM2\r\n; note\r\nZ=1\r\nParity=Even\r\n\r\n[Tail]\r\nk=v\r\nNew=1\r\n"
            "[Fresh]\r\nA=b\r\n");
}

TEST_F(ProfileFile, ValuesWithBlanksQuotesOrLineBreaksRoundTripOrAreRefused) {
  TIniFile ini(path, storage);
  ini.WriteString("S", "Blank", " a ");
  ini.WriteString("S", "Quoted", "\"q\"");
  EXPECT_THROW(ini.WriteString("S", "Evil", "x\n[ComPort]\nPort=/dev/sda"), EIniFile);
  ini.UpdateFile();
  TIniFile again(path, storage);
  EXPECT_EQ(again.ReadString("S", "Blank", "x"), " a ");
  EXPECT_EQ(again.ReadString("S", "Quoted", "x"), "\"q\"");
  EXPECT_EQ(again.ReadString("S", "Evil", "none"), "none");
}

TEST_F(ProfileFile, UnreadableFileRefusesLoadingAndFailedReplaceThrows) {
  storage.files[path] = "[ComPort]\nPort=COM1\n";
  storage.failLoad = true;
  EXPECT_THROW(TIniFile(path, storage), EIniFile);
  storage.failLoad = false;
  storage.failReplace = true;
  TIniFile ini(path, storage);
  ini.WriteString("ComPort", "Port", "COM5");
  EXPECT_THROW(ini.UpdateFile(), EIniFile);
  EXPECT_EQ(Saved(), "[ComPort]\nPort=COM1\n");
}

TEST_F(ProfileFile, BinaryGarbageLoadsWithoutHarm) {
  QByteArray garbage(10 * 1024 * 1024, '\0');
  std::uint32_t x = 12345;
  for (char& c : garbage) {
    x = x * 1103515245u + 12345u;
    c = static_cast<char>(x >> 24);
  }
  garbage += "\n[ComPort]\nPort=COM6\n";
  TIniFile ini = Open(garbage);
  // The garbage may happen to hold a [ComPort] line; whatever it holds, lookups answer.
  (void)ini.ReadString("ComPort", "Port", "x");
  EXPECT_EQ(ini.Content(), garbage);
}

// The real file system: a directory in place of the file cannot be read or replaced, and a
// replace leaves no temporary file behind.
TEST(ProfileFileOnDisk, DirectoryInPlaceOfTheFileAndAtomicReplace) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString asDir = dir.filePath("Dir.ini");
  ASSERT_TRUE(QDir().mkdir(asDir));
  EXPECT_THROW(TIniFile{asDir}, EIniFile);
  EXPECT_FALSE(FileSystemStorage().Replace(asDir, "x"));

  const QString file = dir.filePath("Parvex.ini");
  {
    TIniFile ini(file);
    ini.WriteString("ComPort", "Port", "COM1");
    ini.UpdateFile();
  }
  {
    TIniFile ini(file);
    EXPECT_EQ(ini.ReadString("ComPort", "Port", "x"), "COM1");
    ini.WriteString("ComPort", "Port", "COM2");
    ini.UpdateFile();
  }
  QFile f(file);
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  EXPECT_EQ(f.readAll(), "[ComPort]\nPort=COM2\n");
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"Parvex.ini"});
}

}  // namespace
