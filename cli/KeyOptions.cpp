#include "KeyOptions.h"

#include <vector>

#include "CliText.h"

void CheckKeysForMode(const TKeyOptions& keys) {
  const TCardKey key = ModeKey(keys.mode);
  for (const TKeyOption& use : kKeyOptions) {
    const bool given = (keys.*use.value).has_value();
    const bool used = use.key == key;
    if (key != TCardKey::None && given && !used)
      Fail(use.option, "is not used in mode " + std::to_string(keys.mode));
    if (used && !given && use.required)
      Fail("keys", "mode " + std::to_string(keys.mode) + " needs " + std::string(use.option));
  }
}

std::string KeyOptionsOfModes() {
  std::string text;
  for (const TKeyInfo& key : kKeyTable) {
    std::vector<std::string> modes, options;
    for (const TValueName& item : ListOf(TParameter::Mode))
      if (ModeKey(item.value) == key.key) modes.push_back(std::to_string(item.value));
    for (const TKeyOption& option : kKeyOptions)
      if (option.key == key.key) options.push_back(std::string(option.option));
    text += (text.empty() ? "" : "; ") + Listed(modes, " or ") + ": " + Listed(options, " and ");
  }
  return text;
}
