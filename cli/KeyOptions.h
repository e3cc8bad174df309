#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "CliOptions.h"
#include "ParameterTable.h"

// The options of keys that carry a card key, and the key of a mode that each belongs to.
struct TKeyOption {
  std::string_view option;
  std::optional<std::string> TKeyOptions::*value;
  TCardKey key;
  bool required;  // by a mode that loads the key; the key type has a default
};
inline constexpr TKeyOption kKeyOptions[] = {
    {"--key-a", &TKeyOptions::keyA, TCardKey::KeyA, true},
    {"--key-b", &TKeyOptions::keyB, TCardKey::KeyB, true},
    {"--init-key", &TKeyOptions::initKey, TCardKey::InitialisingKey, true},
    {"--type", &TKeyOptions::keyType, TCardKey::InitialisingKey, false},
};

// A key option that the chosen mode does not use would be silently ignored: refuses it, as the
// operator most likely meant another mode; refuses as well a missing key that the mode needs.
void CheckKeysForMode(const TKeyOptions& keys);

// For each key, the modes that load it and the options that carry it:
// "1 or 2: --key-a; 3: --key-b; 4: --init-key and --type"
std::string KeyOptionsOfModes();
