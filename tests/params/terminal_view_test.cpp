// The terminal log on a real text view: the view shows what the log's lines say, however the
// bytes were cut into chunks, and stays bounded.
#include "QtTestApp.h"
#include "TerminalView.h"

#include "ErrorList.h"
#include "ReaderLink.h"

#include <QAction>
#include <QApplication>
#include <QDateTime>
#include <QPlainTextEdit>
#include <QTextDocument>
#include <QStringList>

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace {

// Only the log matters here: nothing is ever sent or awaited.
class LogOnlyHost : public LinkHost {
 public:
  explicit LogOnlyHost(TTerminalView& view) : view_(view) {}
  std::size_t WriteLine(std::span<const std::uint8_t> bytes) override { return bytes.size(); }
  void FailShortWrite(std::size_t, std::size_t) override {}
  void ShowLogLine(std::string_view raw) override { view_.Show(raw); }
  std::int64_t NowMs() override { return now; }
  void Wait(std::int64_t, const std::function<bool()>&) override {}
  std::uint32_t BaudRate() override { return 9600; }
  std::int64_t now = 0;

 private:
  TTerminalView& view_;
};

class TerminalViewTest : public ::testing::Test {
 protected:
  void Feed(std::string_view text) {
    link.ReceiveChunk({reinterpret_cast<const std::uint8_t*>(text.data()), text.size()});
  }
  // Lets the line go quiet, so that the idle flush shows the last few bytes too.
  void Flush() {
    host.now += 100;
    link.IdleFlush();
  }
  // The document's own characters: toPlainText would turn a no-break space (0xFF) into a blank.
  QString Shown() {
    view.Apply();
    return edit.document()->toRawText().replace(QChar::ParagraphSeparator, '\n');
  }
  QString Expected() const {
    QStringList lines;
    for (const std::string& line : view.Log().Lines()) lines << QString::fromStdString(line);
    return lines.join('\n');
  }

  QPlainTextEdit edit;
  TTerminalView view{edit};
  LogOnlyHost host{view};
  ErrorList errors;
  ReaderLink link{host, errors};
};

TEST_F(TerminalViewTest, TheViewShowsTheLogWhateverTheChunksAndHowOftenItCatchesUp) {
  // Text, both kinds of break, a CR LF split across chunks, a lone CR, control and OEM bytes,
  // and a line longer than the width limit.
  std::string stream = "ab" "c\r\nd" "e\r" "\nf\rg\x01\x7f\n" "\x80\xe0\xff|";
  stream += std::string(3000, 'w') + "\r\nend\r\n";
  std::mt19937 random(7);
  for (int round = 0; round < 20; ++round) {
    edit.clear();
    view.Clear();
    Flush();
    for (std::size_t at = 0; at < stream.size();) {
      const std::size_t size = std::min<std::size_t>(stream.size() - at, 1 + random() % 9);
      Feed(std::string_view(stream).substr(at, size));
      at += size;
      if (random() % 3 == 0) view.Apply();  // else the next edits fold into the pending one
    }
    Flush();
    ASSERT_EQ(Shown(), Expected()) << "round " << round;
  }
  EXPECT_TRUE(Shown().startsWith(QStringLiteral("abc\nde\nf\u240dg\u2401\u2421\nАр\u00a0|")));
}

TEST_F(TerminalViewTest, ClearingKeepsTheUnfinishedLineForTheNextEcho) {
  Feed("first\r\nhalf");
  Flush();
  view.Clear();
  EXPECT_TRUE(Shown().isEmpty());
  Feed(" more");
  Flush();
  EXPECT_EQ(Shown(), QStringLiteral("half more"));
}

TEST_F(TerminalViewTest, TheViewKeepsABoundedNumberOfLinesWithTheNewestAtTheEnd) {
  for (std::size_t i = 0; i < terminal::kMaxLogLines + 50; ++i) Feed("line " + std::to_string(i) + "\n");
  Flush();
  view.Apply();
  EXPECT_LE(static_cast<std::size_t>(edit.blockCount()), terminal::kMaxLogLines);
  EXPECT_TRUE(Shown().endsWith(
      QString::fromStdString("line " + std::to_string(terminal::kMaxLogLines + 49) + "\n")));
}

// "Время" and "HEX" show every line again, those already shown included, with the time its
// first byte came and its bytes; switched off, the log is the plain one again.
TEST_F(TerminalViewTest, TimeAndHexDecorateEveryLineAndLeaveThePlainLogWhenOff) {
  qint64 clock = 1'700'000'000'000;
  view.SetClock([&] { return clock; });
  const auto time = [](qint64 ms) { return QDateTime::fromMSecsSinceEpoch(ms).toString("hh:mm:ss.zzz"); };
  Feed("OK\r\n");
  Flush();
  clock += 1500;
  Feed("ER");
  Flush();
  const QString plain = Shown();
  EXPECT_EQ(plain, QStringLiteral("OK\nER"));

  view.acLogHex->setChecked(true);
  const QString okHex = QStringLiteral("OK").leftJustified(24) + "  4F 4B 0D 0A";
  EXPECT_EQ(Shown(), okHex + "\n" + QStringLiteral("ER").leftJustified(24) + "  45 52");
  view.acLogTime->setChecked(true);
  clock += 250;
  Feed("R\n\x01");  // the unfinished line goes on: its time stays that of its first byte
  Flush();
  EXPECT_EQ(Shown(), time(1'700'000'000'000) + "  " + okHex + "\n" + time(1'700'000'001'500) + "  " +
                         QStringLiteral("ERR").leftJustified(24) + "  45 52 52 0A\n" + time(1'700'000'001'750) +
                         "  " + QStringLiteral("\u2401").leftJustified(24) + "  01");
  EXPECT_EQ(view.Text(), Shown());  // what "Сохранить журнал…" writes

  view.acLogTime->setChecked(false);
  view.acLogHex->setChecked(false);
  EXPECT_EQ(Shown(), Expected());
  EXPECT_EQ(Shown(), QStringLiteral("OK\nERR\n\u2401"));
}

// With the decorations on, edits that fold into one another still leave the view as the log says.
TEST_F(TerminalViewTest, DecoratedViewShowsTheLogWhateverTheChunks) {
  view.acLogHex->setChecked(true);
  const std::string stream = "ab\r\ncd\re\n\x80" "f\r\n\r\ng";
  std::mt19937 random(11);
  for (int round = 0; round < 10; ++round) {
    view.Clear();
    Flush();
    for (std::size_t at = 0; at < stream.size();) {
      const std::size_t size = std::min<std::size_t>(stream.size() - at, 1 + random() % 4);
      Feed(std::string_view(stream).substr(at, size));
      at += size;
      if (random() % 2 == 0) view.Apply();
    }
    Flush();
    ASSERT_EQ(Shown(), view.Text()) << "round " << round;
  }
}

}  // namespace
