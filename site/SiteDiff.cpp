#include "SiteDiff.h"

#include <algorithm>
#include <map>

#include "ParameterJson.h"
#include "SettingsValues.h"

namespace {

using TFieldValues = std::vector<std::pair<std::string, std::string>>;  // in the order of a write

TFieldValues LineSettings(const TSiteLine& line) {
  return {{"baud", std::to_string(line.baud)},
          {"dataBits", EnumText(line.dataBits).toStdString()},
          {"parity", EnumText(line.parity).toStdString()},
          {"stopBits", EnumText(line.stopBits).toStdString()}};
}

TFieldValues PlanValues(const TWriteValues& plan) {
  TFieldValues values;
  for (TPlannedField& field : PlannedFields(plan)) values.emplace_back(std::move(field.field), std::move(field.value));
  return values;
}

std::optional<std::string> ValueOf(const TFieldValues& values, const std::string& field) {
  const auto it = std::find_if(values.begin(), values.end(), [&](const auto& v) { return v.first == field; });
  return it == values.end() ? std::nullopt : std::optional(it->second);
}

// The fields whose values differ, those of the first file in its order, then the second's own.
std::vector<TFieldDifference> FieldDifferences(const TFieldValues& first, const TFieldValues& second) {
  std::vector<TFieldDifference> differences;
  for (const auto& [field, value] : first)
    if (const auto other = ValueOf(second, field); other != value) differences.push_back({field, value, other});
  for (const auto& [field, value] : second)
    if (!ValueOf(first, field)) differences.push_back({field, std::nullopt, value});
  return differences;
}

const TSiteLine* LineOn(const TSiteFile& site, const std::string& port) {
  const auto it = std::find_if(site.lines.begin(), site.lines.end(), [&](const TSiteLine& l) { return l.port == port; });
  return it == site.lines.end() ? nullptr : &*it;
}

const TPlannedReader* ReaderAt(const TSiteLine& line, std::uint8_t address) {
  const auto it = std::find_if(line.readers.begin(), line.readers.end(),
                               [&](const TPlannedReader& r) { return r.address == address; });
  return it == line.readers.end() ? nullptr : &*it;
}

void CompareLines(const TSiteLine& first, const TSiteLine& second, std::vector<TSiteDifference>& out) {
  if (auto fields = FieldDifferences(LineSettings(first), LineSettings(second)); !fields.empty())
    out.push_back({first.port, std::nullopt, TPresence::Both, {}, {}, std::move(fields)});
  for (const TPlannedReader& reader : first.readers) {
    const TPlannedReader* other = ReaderAt(second, reader.address);
    if (!other) {
      out.push_back({first.port, reader.address, TPresence::FirstOnly, {}, {}, {}});
      continue;
    }
    TSiteDifference difference{first.port, reader.address, TPresence::Both, {}, {}, {}};
    if (reader.serial != other->serial) {
      difference.firstSerial = reader.serial;
      difference.secondSerial = other->serial;
    }
    difference.fields = FieldDifferences(PlanValues(reader.plan), PlanValues(other->plan));
    if (reader.serial != other->serial || !difference.fields.empty()) out.push_back(std::move(difference));
  }
  for (const TPlannedReader& reader : second.readers)
    if (!ReaderAt(first, reader.address)) out.push_back({first.port, reader.address, TPresence::SecondOnly, {}, {}, {}});
}

}  // namespace

std::vector<TSiteDifference> SiteDifferences(const TSiteFile& first, const TSiteFile& second) {
  std::vector<TSiteDifference> differences;
  for (const TSiteLine& line : first.lines) {
    if (const TSiteLine* other = LineOn(second, line.port)) CompareLines(line, *other, differences);
    else differences.push_back({line.port, std::nullopt, TPresence::FirstOnly, {}, {}, {}});
  }
  for (const TSiteLine& line : second.lines)
    if (!LineOn(first, line.port)) differences.push_back({line.port, std::nullopt, TPresence::SecondOnly, {}, {}, {}});
  return differences;
}
