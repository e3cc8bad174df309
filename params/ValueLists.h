#pragma once

#include <optional>
#include <span>
#include <string_view>

// The operating modes and card types with the byte each carries on the wire, in list order.
// One table for every front end: the window's drop-down lists and the command line's names.
struct TValueName {
  int value;
  std::string_view name;
};

inline constexpr TValueName kModeNames[] = {
    {0, "Quillmar"}, {1, "Турникет"}, {2, "Чтение"}, {3, "Пополнение"}, {4, "Инициализация"},
};
inline constexpr TValueName kCardTypeNames[] = {{1, "Пополняемая"}, {2, "Абонемент"}};

inline std::optional<std::string_view> NameOfValue(std::span<const TValueName> table, int value) {
  for (const TValueName& item : table)
    if (item.value == value) return item.name;
  return std::nullopt;
}

inline std::optional<int> ValueOfName(std::span<const TValueName> table, std::string_view name) {
  for (const TValueName& item : table)
    if (item.name == name) return item.value;
  return std::nullopt;
}
