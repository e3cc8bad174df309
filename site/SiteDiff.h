#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "SiteFile.h"

// What differs between two site files: two snapshots a month apart, or a plan and a snapshot.
// Lines are matched by their port, readers on a line by their address.

enum class TPresence { Both, FirstOnly, SecondOnly };

// A field with its value in each file; nothing where that file does not plan it.
struct TFieldDifference {
  std::string field;  // a parameter's file name, "blackList[3]", or a line setting ("baud")
  std::optional<std::string> first;
  std::optional<std::string> second;
};

// A line (no address: its settings, or the line in one file only) or a reader that differs.
struct TSiteDifference {
  std::string port;
  std::optional<std::uint8_t> address;
  TPresence presence = TPresence::Both;
  std::optional<std::string> firstSerial;   // the pinned serials, when they differ
  std::optional<std::string> secondSerial;
  std::vector<TFieldDifference> fields;
};

// Every difference, in the first file's order of lines and readers, then what only the second has.
std::vector<TSiteDifference> SiteDifferences(const TSiteFile& first, const TSiteFile& second);
