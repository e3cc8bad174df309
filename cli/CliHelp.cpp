#include "CliHelp.h"

#include <algorithm>
#include <string_view>

#include "CliRules.h"
#include "CliText.h"

namespace {

constexpr std::size_t kWidth = 88;  // no line of text reaches past this column
constexpr std::size_t kIndent = 2;
constexpr std::size_t kGap = 3;             // between an option and its text
constexpr std::size_t kCommandColumn = 32;  // where the program's list of commands says what each does

constexpr std::string_view kExitStatus = R"(
Exit status: 0 success, 1 a reader reported errors or a read-back differed,
2 wrong usage or a bad file, 3 the port cannot be opened.
)";

// An indented head and its text starting at column, wrapped there; a head too wide for the
// column puts the text on the next line. Each line break of the text starts a new line.
std::string Item(std::string_view head, std::string_view text, std::size_t column) {
  std::string out = std::string(kIndent, ' ').append(head);
  std::size_t length = out.size();  // of the line being written
  bool lineHasWord = false;
  const auto startLine = [&](bool newLine) {
    if (newLine) {
      out += '\n';
      length = 0;
    }
    out.append(column - length, ' ');
    length = column;
    lineHasWord = false;
  };
  startLine(length + 1 > column);
  for (std::size_t begin = 0; begin <= text.size();) {
    const std::size_t end = std::min(text.find_first_of(" \n", begin), text.size());
    const std::string_view word = text.substr(begin, end - begin);
    if (lineHasWord && length + 1 + word.size() > kWidth) startLine(true);
    if (lineHasWord) out += ' ', ++length;
    out += word;
    length += word.size();
    lineHasWord = true;
    if (end < text.size() && text[end] == '\n') startLine(true);
    begin = end + 1;
  }
  return out + "\n";
}

std::string Head(const TOptionRule& option) {
  std::string head = option.shortName.empty() ? "" : std::string(option.shortName) + ", ";
  head += option.name;
  return option.TakesValue() ? head + " " + option.placeholder : head;
}

// The options of a help under their title, after a blank line; nothing for none.
std::string Block(std::string_view title, const std::vector<const TOptionRule*>& options, std::size_t column) {
  if (options.empty()) return {};
  std::string text = "\n";
  if (!title.empty()) text.append(title).append("\n");
  for (const TOptionRule* option : options) text += Item(Head(*option), option->description, column);
  return text;
}

template <typename Names>
std::vector<const TOptionRule*> Rules(const Names& names) {
  std::vector<const TOptionRule*> rules;
  for (const std::string_view name : names) {
    const TOptionRule* rule = FindOption(name);
    if (!rule) throw std::logic_error("a command lists an option without its rule: " + std::string(name));
    rules.push_back(rule);
  }
  return rules;
}

std::string Usage(const TCommandRule& command) {
  std::vector<std::string> parts;
  for (const std::string_view part : {command.name, std::string_view(command.synopsis)})
    if (!part.empty()) parts.emplace_back(part);
  if (command.onLine && !command.name.empty()) parts.emplace_back("[LINE OPTIONS]");
  return "Usage: parvex-cli " + Joined(parts, " ") + "\n";
}

std::string CommandList() {
  std::string text = "\nCommands:\n";
  for (const TCommandRule& command : CommandRules()) {
    if (command.name.empty()) continue;
    const std::string head = command.synopsis.empty() ? std::string(command.name)
                                                      : std::string(command.name) + " " + command.synopsis;
    text += Item(head, command.summary, kCommandColumn);
  }
  return text + "\nRun parvex-cli COMMAND --help for the options of a command.\n";
}

}  // namespace

std::string HelpText(TCliCommand command) {
  const TCommandRule& rule = CommandRule(command);
  const std::vector<const TOptionRule*> own = Rules(rule.options);
  const std::vector<const TOptionRule*> line = rule.onLine ? Rules(kLineOptions) : std::vector<const TOptionRule*>{};
  const std::vector<const TOptionRule*> common = Rules(kCommonOptions);
  std::size_t widest = 0;
  for (const auto* options : {&own, &line, &common})
    for (const TOptionRule* option : *options) widest = std::max(widest, Head(*option).size());
  const std::size_t column = kIndent + widest + kGap;

  std::string text = Usage(rule) + "\n" + rule.about;
  if (rule.name.empty()) text += CommandList();
  return text + Block("", own, column) + Block("Line options:", line, column) + Block("", common, column) +
         std::string(kExitStatus);
}
