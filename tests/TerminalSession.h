// SPDX-License-Identifier: MIT
#pragma once

// A program under test, started as the leader of a session of its own on a
// pseudo-terminal, with each standard stream on the terminal or redirected as
// a user's shell would. Shared by the tests of the POSIX program and of the
// Windows program under Wine.

#include <sys/types.h>

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "PseudoTerminal.h"

namespace harness {

// Where the program's standard input and output come from and go to; what is
// not redirected is the terminal. Standard error is always the terminal.
struct Streams {
  int inputFile = -1;          // standard input from this open file, handed over to the session
  bool inputFromPipe = false;  // a pipe held open with no data in it until the program has ended
  bool outputToPipe = false;   // `v=$(incircle)`: standard output into a pipe the test reads
  bool controlling = true;     // false: the terminal is not the session's controlling terminal
};

class TerminalSession {
 public:
  explicit TerminalSession(const PseudoTerminal& terminal) : terminal_(terminal) {}
  ~TerminalSession();
  TerminalSession(const TerminalSession&) = delete;
  TerminalSession& operator=(const TerminalSession&) = delete;

  // Starts `command` on the terminal with the streams asked for. `inChild`
  // runs in the new process once its streams are in place, just before the
  // command replaces it. False when no process could be started.
  [[nodiscard]] bool Start(const std::vector<std::string>& command, const Streams& streams = {},
                           const std::function<void()>& inChild = {});

  // The program's status once it has ended, waiting at most `patience`; asked
  // again, the same status.
  [[nodiscard]] std::optional<int> End(std::chrono::milliseconds patience = kPatience);

  [[nodiscard]] pid_t Pid() const { return pid_; }

  // The read end of the pipe that standard output goes into, with
  // Streams::outputToPipe.
  [[nodiscard]] int OutputReader() const { return outputReader_; }

 private:
  const PseudoTerminal& terminal_;
  pid_t pid_ = -1;
  std::optional<int> status_;
  int inputWriter_ = -1;
  int outputReader_ = -1;
};

}  // namespace harness
