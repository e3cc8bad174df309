#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "FakeLine.h"

namespace {

struct Rendering {
  const char* name;
  std::string raw;
  std::string shown;
};
void PrintTo(const Rendering& row, std::ostream* os) { *os << row.name; }

class RenderedBytes : public ::testing::TestWithParam<Rendering> {};

TEST_P(RenderedBytes, LookAsTheTerminalShowsThem) { EXPECT_EQ(RenderLogText(GetParam().raw), GetParam().shown); }

INSTANTIATE_TEST_SUITE_P(
    TerminalText, RenderedBytes,
    ::testing::Values(Rendering{"PrintableAscii", " Az~", " Az~"}, Rendering{"CrLfIsOneBreak", "a\r\nb", "a\nb"},
                      Rendering{"LoneLfIsABreak", "a\nb", "a\nb"}, Rendering{"LoneCrIsVisible", "a\rb", "a␍b"},
                      Rendering{"CrBeforeCrLf", "\r\r\n", "␍\n"}, Rendering{"TrailingCrIsVisible", "a\r", "a␍"},
                      Rendering{"Nul", std::string(1, '\0'), "␀"}, Rendering{"Tab", "\t", "␉"},
                      Rendering{"Escape", "\x1b", "␛"}, Rendering{"Delete", "\x7f", "␡"},
                      Rendering{"CapitalA", "\x80", "А"}, Rendering{"SmallPe", "\xAF", "п"},
                      Rendering{"SmallEr", "\xE0", "р"}, Rendering{"SmallYa", "\xEF", "я"},
                      Rendering{"LightShade", "\xB0", "░"}, Rendering{"FullBlock", "\xDB", "█"},
                      Rendering{"CapitalYo", "\xF0", "Ё"}, Rendering{"Numero", "\xFC", "№"},
                      Rendering{"NoBreakSpace", "\xFF", "\u00A0"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(TerminalText, OemTextRoundTrips) {
  const std::string text = "Привет, ёж № 5 ░▒▓";
  EXPECT_EQ(RenderLogText(Cp866FromUtf8(text)), text);
  EXPECT_EQ(Cp866FromUtf8("€"), "?");
}

TEST(TerminalText, LogDropsItsOldestLinesBeyondItsBound) {
  TerminalLog log(3);
  log.Show("1\n2\n3\n4\n5");
  EXPECT_EQ(log.Lines(), (std::deque<std::string>{"3", "4", "5"}));
}

// The edit a text view applies: only the new characters, a trailing CR taken back when the
// next byte makes it part of a break, everything again when the line is not a continuation.
TEST(TerminalText, LogEditsCarryOnlyWhatChanged) {
  TerminalLog log;
  auto edit = log.Show("ab\r");
  EXPECT_EQ(edit.keep, 0u);
  EXPECT_EQ(edit.text, "ab␍");
  edit = log.Show("ab\r\ncd");
  EXPECT_EQ(edit.keep, 2u);
  EXPECT_EQ(edit.text, "\ncd");
  edit = log.Show("cdef");
  EXPECT_EQ(edit.keep, 2u);
  EXPECT_EQ(edit.text, "ef");
  edit = log.Show("xy");
  EXPECT_EQ(edit.keep, 0u);
  EXPECT_EQ(log.Lines(), (std::deque<std::string>{"ab", "xy"}));
}

// Chunks echoed through the link, each flushed by a quiet line, as a terminal shows them.
class TerminalEcho : public ::testing::Test {
 protected:
  void Echo(const std::string& chunk) {
    line.At(line.now + 1, Text(chunk));
    line.RunUntil(line.now + 30);
  }
  std::vector<std::string> Lines() const { return {line.log.Lines().begin(), line.log.Lines().end()}; }
  FakeLine line;
};

TEST_F(TerminalEcho, ChunksContinueTheLineAndBreaksOpenNewOnes) {
  Echo("ab");
  Echo("c\r\nd");
  Echo("e\r\n");
  EXPECT_EQ(Lines(), (std::vector<std::string>{"abc", "de", ""}));
  EXPECT_EQ(line.link.LogLineBuffer(), "");
}

TEST_F(TerminalEcho, CrLfSplitAcrossChunksIsStillOneBreak) {
  Echo("ab\r");
  EXPECT_EQ(Lines(), (std::vector<std::string>{"ab␍"}));
  Echo("\ncd");
  EXPECT_EQ(Lines(), (std::vector<std::string>{"ab", "cd"}));
}

TEST_F(TerminalEcho, LoneLfBreaksAndLoneCrStays) {
  Echo("ab\ncd");
  Echo("e\rf");
  EXPECT_EQ(Lines(), (std::vector<std::string>{"ab", "cde␍f"}));
}

TEST_F(TerminalEcho, ClearedLogStartsWithTheUnfinishedLine) {
  Echo("one\r\nabc");
  line.log.Clear();
  Echo("def");
  EXPECT_EQ(Lines(), (std::vector<std::string>{"abcdef"}));
}

TEST_F(TerminalEcho, LongLineIsBrokenAtTheWidth) {
  const std::size_t w = terminal::kMaxLineWidth;
  Echo(std::string(2 * w + 452, 'x'));
  EXPECT_EQ(Lines(), (std::vector<std::string>{std::string(w, 'x'), std::string(w, 'x'), std::string(452, 'x')}));
}

// A CR LF right at the width is one break, not a width break and then another; a lone CR
// there moves to the next line instead of vanishing into a break.
TEST_F(TerminalEcho, CrAtTheWidthKeepsItsMeaning) {
  const std::size_t w = terminal::kMaxLineWidth;
  Echo(std::string(w, 'x') + "\r");
  Echo("\ny");
  EXPECT_EQ(Lines(), (std::vector<std::string>{std::string(w, 'x'), "y"}));
  line.log.Clear();
  // Built by append: g++ 12 at -O3 takes "\n" + std::string(w, 'x') for an overlapping copy (-Wrestrict).
  Echo(std::string("\n").append(w, 'x').append("\rz"));
  EXPECT_EQ(Lines(), (std::vector<std::string>{"y", std::string(w, 'x'), "␍z"}));
}

TEST_F(TerminalEcho, RunOfCrsStaysWithinTheWidth) {
  Echo(std::string(3 * terminal::kMaxLineWidth, '\r'));
  EXPECT_LE(line.link.LogLineBuffer().size(), terminal::kMaxLineWidth + 1);
  for (const std::string& shown : line.log.Lines()) EXPECT_LE(shown.size(), (terminal::kMaxLineWidth + 1) * 3);
}

}  // namespace
