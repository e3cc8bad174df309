#include "SiteResult.h"

std::string_view StateText(TReaderState state) {
  switch (state) {
    case TReaderState::Matches: return "matches";
    case TReaderState::Differs: return "differs";
    case TReaderState::Missing: return "missing";
    case TReaderState::OtherReader: return "other reader";
    case TReaderState::Failed: return "failed";
    case TReaderState::Unplanned: return "unplanned";
    case TReaderState::Written: return "written";
    case TReaderState::NotReached: return "not reached";
  }
  return {};
}

bool Settled(TReaderState state) { return state == TReaderState::Matches || state == TReaderState::Written; }

std::string_view LineStatusText(TLineStatus status) {
  switch (status) {
    case TLineStatus::Done: return "done";
    case TLineStatus::CannotOpen: return "cannot open";
    case TLineStatus::Lost: return "lost";
    case TLineStatus::GivenUp: return "given up";
    case TLineStatus::JournalFailed: return "journal failed";
  }
  return {};
}
