// SPDX-License-Identifier: MIT
#pragma once

// The host side of the end-to-end tests: a pseudo-terminal whose controller
// end the test holds, as a terminal emulator does, and the child processes
// run on it. Shared by the tests of the POSIX program and of the Windows
// program under Wine.

#include <sys/types.h>
#include <termios.h>

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace harness {

using namespace std::chrono_literals;

// Long enough for a loaded machine and for Wine to start; a test that passes
// waits on events, not on this.
constexpr std::chrono::milliseconds kPatience = 20s;

// Replaces the calling (child) process with `command`, or ends it with
// status 127.
[[noreturn]] void Exec(const std::vector<std::string>& command);

// The status of the child once it has ended (or, with WUNTRACED, stopped),
// waiting at most `patience`.
[[nodiscard]] std::optional<int> WaitFor(pid_t pid, std::chrono::milliseconds patience,
                                         int options = 0);

// Ends a child that is still there, and reaps it.
void KillAndReap(pid_t pid);

[[nodiscard]] bool ExitedWith(int status, int code);

// Text as a reader sees it on the screen: without escape sequences and
// carriage returns. Wine's console wraps every character it writes in
// sequences that hide and show the cursor.
[[nodiscard]] std::string VisibleText(std::string_view screen);

class PseudoTerminal {
 public:
  PseudoTerminal();
  ~PseudoTerminal();
  PseudoTerminal(const PseudoTerminal&) = delete;
  PseudoTerminal& operator=(const PseudoTerminal&) = delete;

  [[nodiscard]] bool IsOpen() const { return terminal_ >= 0; }

  // The terminal end, for a child's standard streams and for reading the
  // terminal's settings.
  [[nodiscard]] int Terminal() const { return terminal_; }

  // In the child: a new session whose controlling terminal this is (or, with
  // `controlling` false, a session without one), with the standard streams
  // that are given as -1 on the terminal.
  void BecomeSessionOn(int in, int out, int err, bool controlling = true) const;

  // In the test: closes the terminal end once the child has its own, so that
  // the controller sees end of file when the last child has gone. Settings()
  // and Unread() need it open.
  void CloseTerminalEnd();

  // Everything written to the screen so far, reading until `expected` has
  // appeared in it or the patience has run out.
  const std::string& Read(std::string_view expected,
                          std::chrono::milliseconds patience = kPatience);
  // Same, but `expected` is looked for in the visible text.
  std::string ReadText(std::string_view expected, std::chrono::milliseconds patience = kPatience);

  void Type(std::string_view keys) const;

  [[nodiscard]] termios Settings() const;

  // True once the terminal is out of line mode: no line editing, no echo.
  [[nodiscard]] bool BecomesKeyByKey(std::chrono::milliseconds patience = kPatience) const;

  // Typed bytes that nobody has read; leaves the terminal in key-by-key mode.
  [[nodiscard]] std::string Unread() const;

 private:
  int controller_ = -1;
  int terminal_ = -1;
  std::string screen_;
};

[[nodiscard]] bool SameSettings(const termios& a, const termios& b);

}  // namespace harness
