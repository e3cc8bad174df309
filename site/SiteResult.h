#pragma once

#include <QMetaType>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ParameterJson.h"
#include "ReaderFault.h"
#include "ReaderSequences.h"

// What a run over a site found and did, line by line and reader by reader.

enum class TReaderState {
  Matches,      // every field its plan's mode writes equals the plan
  Differs,      // some field does not; differences name each
  Missing,      // did not answer the search
  OtherReader,  // answers at the address, but not with the pinned serial
  Failed,       // the read or the write failed: errors, or differences read back
  Unplanned,    // answered the search, but the site has no reader at its address
  Written,      // differed, was written, and read back as planned
  NotReached,   // its line stopped (cancelled, lost, given up) before this reader
};

// "matches", "differs", "other reader", ...: the word the reports and the journal use.
std::string_view StateText(TReaderState state);

// A state that leaves the reader as its plan says (or is about to, with nothing left to do).
bool Settled(TReaderState state);

struct TReaderResult {
  std::uint8_t address = 0;
  std::optional<std::string> serial;  // as found; nothing when it did not answer
  bool planned = true;
  TReaderState state = TReaderState::NotReached;
  // Differs: each field with its planned value (written) and the found one (read). Failed after
  // a write: the fields read back otherwise.
  std::vector<TReadBackDifference> differences;
  std::vector<TReaderFault> faults;          // of a failed read or write
  std::optional<TReaderParameters> values;   // as read, when a snapshot was asked for
  bool outcomeUnjournaled = false;  // written, but its outcome never reached the journal
};

enum class TLineStatus {
  Done,        // opened, every reader it reached is told
  CannotOpen,  // failure tells why; its readers were not surveyed
  Lost,        // the port failed while in use (device gone, gateway closed): failure tells why
  GivenUp,     // no reader answers any more
  JournalFailed,  // the journal could not be written: no further reader was, failure tells why
};

struct TLineResult {
  std::size_t index = 0;
  std::string port;
  TLineStatus status = TLineStatus::Done;
  std::string failure;
  bool cancelled = false;  // stopped between two readers when asked to
  std::vector<TReaderResult> readers;  // planned ones in the site's order, then the unplanned
};

struct TSiteResult {
  std::string site;
  std::vector<TLineResult> lines;
  bool cancelled = false;
};

// What befell a line's adapter while the line ran.
enum class TLineEvent {
  AdapterGone,  // its device failed: the line waits for it to come back
  AdapterBack,  // opened again: the line goes on with the reader it was on
};

// One step of a run, as it happens: a reader of a line reached a state, or its write began, or
// the line's adapter went or came back while it was on this reader.
struct TReaderProgress {
  std::size_t line = 0;
  std::string port;
  std::uint8_t address = 0;
  std::optional<TReaderState> state;  // nothing: its write runs, or a line event
  std::optional<TLineEvent> lineEvent;
};
Q_DECLARE_METATYPE(TReaderProgress)

// "done", "cannot open", "lost", "given up", "journal failed".
std::string_view LineStatusText(TLineStatus status);
