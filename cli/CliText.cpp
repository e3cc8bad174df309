#include "CliText.h"

#include "CliOptions.h"

std::string Quoted(std::string_view text) { return std::string("'").append(text).append("'"); }

std::string Joined(const std::vector<std::string>& items, std::string_view separator) {
  std::string text;
  for (const std::string& item : items) text += (text.empty() ? "" : std::string(separator)) + item;
  return text;
}

std::string Listed(std::vector<std::string> items, std::string_view last) {
  if (items.size() < 2) return Joined(items, "");
  const std::string tail = items.back();
  items.pop_back();
  return Joined(items, ", ") + std::string(last) + tail;
}

void Fail(std::string_view option, std::string_view why) {
  throw EUsageError(std::string(option) + ": " + std::string(why));
}
