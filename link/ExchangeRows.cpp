#include "ExchangeRows.h"

#include "Frame.h"

void ExchangeRowRecorder::FrameSent(std::span<const std::uint8_t> frame, int attempt) {
  if (open_) {
    // A repeated sending means the previous one went unanswered; a first sending means the
    // previous command never ended.
    if (attempt > 1) {
      last_.outcome = CommandOutcome::Timeout;
    } else {
      last_.interrupted = true;
    }
    End(last_);
  }
  last_ = ExchangeRow{};
  last_.id = ++lastId_;
  last_.sentMs = clock_();
  last_.attempt = attempt;
  last_.request.assign(frame.begin(), frame.end());
  if (frame.size() >= frame::kMinLength) {
    const FrameView view(frame);
    last_.address = view.Address();
    last_.code = view.Code();
  }
  open_ = true;
  sink_.RowStarted(last_);
}

void ExchangeRowRecorder::CommandEnded(std::uint8_t code, CommandOutcome outcome,
                                       std::span<const std::uint8_t> response) {
  // A search's further answers come without a sending: each is a row of the same broadcast.
  if (!open_) {
    last_.id = ++lastId_;
    if (last_.request.size() >= frame::kMinLength) last_.address = FrameView(last_.request).Address();
  }
  last_.code = code;
  last_.outcome = outcome;
  last_.commandEnded = true;
  last_.response.assign(response.begin(), response.end());
  if (!response.empty()) last_.address = FrameView(response).Address();
  End(last_);
}

void ExchangeRowRecorder::End(ExchangeRow& row) {
  row.roundTripMs = clock_() - row.sentMs;
  open_ = false;
  sink_.RowEnded(row);
}
