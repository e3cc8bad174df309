#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace exitstatus {
inline constexpr int kSuccess = 0;
inline constexpr int kReaderErrors = 1;  // a reader reported errors, or a read-back differed
inline constexpr int kUsage = 2;         // wrong usage or a bad file; nothing was sent
inline constexpr int kPort = 3;          // the port cannot be opened
inline constexpr int kJournal = 4;       // site apply: the journal could not be written
inline constexpr int kInterrupted = 130; // stopped by SIGINT or SIGTERM (128 + SIGINT, as a shell tells it)
}  // namespace exitstatus

// Runs one command line (the arguments after the program name) and returns the exit status.
// Results go to out, error lines and the trace to err. Commands that use the line need a
// Q(Core)Application on this thread.
int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
