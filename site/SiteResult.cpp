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
