#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

// What the command line asked for. Parsing checks the shape of the request only; the values
// that need a reader, a port or a file are checked where they are used.

enum class TCliCommand { None, Ports, Search, Read, Write, Keys, Site };

// Wrong usage: an unknown command or option, a missing or malformed value. Exit status 2.
struct EUsageError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

struct TKeyOptions {
  int mode = -1;  // the wire value of the mode whose key is changed
  std::optional<std::string> keyA;     // 12 hex digits
  std::optional<std::string> keyB;
  std::optional<std::string> initKey;
  std::optional<std::string> keyType;  // "A" or "B"
};

struct TCliOptions {
  TCliCommand command = TCliCommand::None;
  bool help = false;
  bool version = false;
  // The line: without --port and --baud the settings file and the defaults decide.
  std::optional<std::string> port;
  std::optional<std::uint32_t> baud;
  std::vector<std::string> ports;        // every --port given (site discover searches each)
  std::vector<std::uint32_t> bauds;      // --baud as given: a list for site discover
  bool trace = false;
  std::optional<std::uint8_t> address;
  bool all = false;
  bool json = false;
  bool dryRun = false;
  bool watch = false;  // ports: go on telling each adapter that arrives or leaves
  std::string file;
  TKeyOptions keys;
  std::vector<std::string> operands;   // site: the action and its files
  std::optional<std::string> journal;  // site apply and history
  std::optional<std::size_t> line;     // site history: a line of the site file, by its index
  std::optional<std::string> since;    // site history: a day, YYYY-MM-DD
  std::optional<std::chrono::seconds> adapterWait;  // site survey, apply, snapshot
};

// Parses the arguments after the program name. Throws EUsageError with a message that names
// the offending argument.
TCliOptions ParseCliOptions(const std::vector<std::string>& args);

std::string CommandName(TCliCommand command);
