// SPDX-License-Identifier: MIT
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <csignal>
#include <cstddef>
#include <span>

#include "KeyWait.h"

namespace {

// Settings written before any handler is installed; the handlers read them.
termios savedSettings{};
termios keyByKeySettings{};

// Whether the terminal is in key-by-key mode now: the main flow and the
// handlers switch it, each with one tcsetattr, which a handler may call.
volatile std::sig_atomic_t keyByKey = 0;

// Set once the program finds that it is no longer the terminal's foreground
// process: there is no window left to keep open, so the wait ends.
volatile std::sig_atomic_t leftForeground = 0;

// How long the rest of a key's escape sequence may take after its first
// byte, over a slow link; the same as readline's default.
constexpr int kSequencePatienceMs = 500;
constexpr unsigned char kEscape = 0x1B;

// The signals whose default action ends the process. Each is caught while the
// terminal is key by key, so that the terminal is given back first.
constexpr std::array kEndingSignals{
    SIGHUP,    SIGINT,  SIGQUIT, SIGILL,  SIGTRAP, SIGABRT, SIGBUS, SIGFPE,    SIGUSR1, SIGSEGV,
    SIGUSR2,   SIGPIPE, SIGALRM, SIGTERM, SIGXCPU, SIGXFSZ, SIGSYS, SIGVTALRM, SIGPROF,
#ifdef SIGPOLL  // SIGIO where it ends a process; elsewhere SIGIO is ignored
    SIGPOLL,
#endif
#ifdef SIGEMT
    SIGEMT,
#endif
#ifdef __linux__  // elsewhere SIGPWR may be ignored by default
    SIGSTKFLT, SIGPWR,
#endif
};

// The stop signals: from the keyboard (SIGTSTP), or sent to a process that
// reaches for a terminal it does not own.
constexpr std::array kStopSignals{SIGTSTP, SIGTTIN, SIGTTOU};

// A terminal that is not this process's controlling terminal has no job
// control, and there the program is always in the foreground.
[[nodiscard]] bool InForeground() noexcept {
  const int savedErrno = errno;
  const pid_t foreground = tcgetpgrp(STDIN_FILENO);
  const bool result = foreground == getpgrp() || (foreground == -1 && errno == ENOTTY);
  errno = savedErrno;
  return result;
}

void RestoreTerminal() noexcept {
  if (keyByKey != 0) {
    tcsetattr(STDIN_FILENO, TCSANOW, &savedSettings);
    keyByKey = 0;
  }
}

// Never from the background: there tcsetattr would stop the program with
// SIGTTOU, or with SIGTTOU caught, fail with EINTR.
bool EnterKeyByKey() noexcept {
  if (!InForeground()) {
    leftForeground = 1;
    return false;
  }
  if (tcsetattr(STDIN_FILENO, TCSANOW, &keyByKeySettings) != 0) {
    return false;
  }
  keyByKey = 1;
  return true;
}

// The signals this wait has caught, with what they did before.
struct CaughtSignals {
  std::array<struct sigaction, NSIG> previous{};
  sigset_t caught{};
};

// Held off while a handler runs, and while the main flow switches the
// terminal: every caught signal but SIGTTIN and SIGTTOU, which must still
// interrupt a reach for the terminal from the background.
sigset_t handlerMask{};

void SetAction(int signalNumber, void (*handler)(int)) noexcept {
  struct sigaction action {};
  action.sa_handler = handler;
  action.sa_mask = handlerMask;
  // No SA_RESTART: an interrupted read returns, and the wait looks again
  // whether it still has a reason to go on.
  action.sa_flags = 0;
  sigaction(signalNumber, &action, nullptr);
}

extern "C" void OnEndingSignal(int signalNumber) {
  RestoreTerminal();
  // Die of the signal as if it had not been caught, so that the parent
  // learns why. It stays blocked until this handler returns.
  SetAction(signalNumber, SIG_DFL);
  raise(signalNumber);
}

// Also after a stop that could not be caught (SIGSTOP): the terminal was left
// key by key, but the shell has since put back its own settings, as bash
// does when a job stops. So the terminal is switched again whatever this
// process last made of it; once more after our own stop does no harm.
extern "C" void OnContinue(int /*signalNumber*/) {
  const int savedErrno = errno;
  EnterKeyByKey();
  errno = savedErrno;
}

extern "C" void OnStopSignal(int signalNumber) {
  const int savedErrno = errno;
  if (!InForeground()) {
    // The program's own reach for the terminal from the background: the
    // call fails with EINTR instead of the program stopping.
    leftForeground = 1;
    errno = savedErrno;
    return;
  }
  // Give the terminal back as it was and stop, as careful full-screen
  // programs do, so that the shell sees a stopped job.
  RestoreTerminal();
  SetAction(signalNumber, SIG_DFL);
  sigset_t only{};
  sigemptyset(&only);
  sigaddset(&only, signalNumber);
  kill(getpid(), signalNumber);  // pending until unblocked, then it stops the program
  sigprocmask(SIG_UNBLOCK, &only, nullptr);
  // Continued (or never stopped, in an orphaned process group).
  sigprocmask(SIG_BLOCK, &only, nullptr);
  SetAction(signalNumber, OnStopSignal);
  EnterKeyByKey();
  errno = savedErrno;
}

// Adds a handler, unless the program was started with the signal ignored (as
// nohup does): that is asked first, so that there is no moment in which an
// ignored signal could end the program.
void Catch(int signalNumber, void (*handler)(int), CaughtSignals& signals) noexcept {
  struct sigaction& previous = signals.previous.at(static_cast<std::size_t>(signalNumber));
  if (sigaction(signalNumber, nullptr, &previous) != 0 ||
      ((previous.sa_flags & SA_SIGINFO) == 0 && previous.sa_handler == SIG_IGN)) {
    return;
  }
  SetAction(signalNumber, handler);
  sigaddset(&signals.caught, signalNumber);
}

void CatchSignals(CaughtSignals& signals) noexcept {
  sigemptyset(&signals.caught);
  sigemptyset(&handlerMask);
  for (const int signalNumber : kEndingSignals) {
    sigaddset(&handlerMask, signalNumber);
  }
#ifdef SIGRTMIN
  for (int signalNumber = SIGRTMIN; signalNumber <= SIGRTMAX; ++signalNumber) {
    sigaddset(&handlerMask, signalNumber);
  }
#endif
  sigaddset(&handlerMask, SIGTSTP);
  sigaddset(&handlerMask, SIGCONT);

  // Installed with all of them blocked, so that none runs half set up.
  sigset_t before{};
  sigprocmask(SIG_BLOCK, &handlerMask, &before);
  for (const int signalNumber : kEndingSignals) {
    Catch(signalNumber, OnEndingSignal, signals);
  }
#ifdef SIGRTMIN
  for (int signalNumber = SIGRTMIN; signalNumber <= SIGRTMAX; ++signalNumber) {
    Catch(signalNumber, OnEndingSignal, signals);
  }
#endif
  for (const int signalNumber : kStopSignals) {
    Catch(signalNumber, OnStopSignal, signals);
  }
  Catch(SIGCONT, OnContinue, signals);
  sigprocmask(SIG_SETMASK, &before, nullptr);
}

void ReleaseSignals(const CaughtSignals& signals) noexcept {
  for (int signalNumber = 1; signalNumber < NSIG; ++signalNumber) {
    if (sigismember(&signals.caught, signalNumber) == 1) {
      sigaction(signalNumber, &signals.previous.at(static_cast<std::size_t>(signalNumber)),
                nullptr);
    }
  }
}

// Whether the bytes read so far are a whole key: one byte, or an escape
// sequence that has come to its end. A lone escape may be the Escape key or
// the start of a sequence whose rest is still on its way.
[[nodiscard]] bool IsWholeKey(std::span<const unsigned char> bytes) noexcept {
  if (bytes.empty() || bytes[0] != kEscape) {
    return !bytes.empty();
  }
  std::size_t next = 1;
  if (next < bytes.size() && bytes[next] == kEscape) {
    ++next;  // Alt with a key that sends a sequence
  }
  if (next >= bytes.size()) {
    return false;
  }
  const unsigned char introducer = bytes[next++];
  if (introducer == 'O') {
    return next < bytes.size();  // SS3: one more byte
  }
  if (introducer != '[') {
    return true;  // Alt with a plain key
  }
  if (next < bytes.size() && bytes[next] == '[') {
    return next + 1 < bytes.size();  // the Linux console's F1 to F5
  }
  for (; next < bytes.size(); ++next) {
    if (bytes[next] >= 0x40 && bytes[next] <= 0x7E) {
      return true;  // the final byte of a control sequence
    }
  }
  return false;
}

// Whether a failed read is only a read that found nothing yet: interrupted,
// or on a terminal that a program before this one left non-blocking (the
// flag belongs to the open terminal, shared with the shell).
[[nodiscard]] bool NothingYet() noexcept {
  return errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK;
}

// The first bytes of the key, as many as one read gives: 0 at end of input,
// on a hung-up terminal, or once the program is no longer in the foreground.
[[nodiscard]] std::size_t ReadFirstBytes(std::span<unsigned char> key) noexcept {
  while (leftForeground == 0) {
    const ssize_t n = read(STDIN_FILENO, key.data(), key.size());
    if (n > 0) {
      return static_cast<std::size_t>(n);
    }
    if (n == 0 || !NothingYet()) {
      return 0;
    }
    pollfd input{STDIN_FILENO, POLLIN, 0};
    if (errno != EINTR && poll(&input, 1, -1) < 0 && errno != EINTR) {
      return 0;
    }
  }
  return 0;
}

// One read normally takes all the bytes of one key; a key whose escape
// sequence arrives in pieces is taken whole, so that none of it is left over
// for the shell. End of input or a hung-up terminal ends the wait too.
void ReadOneKey() noexcept {
  std::array<unsigned char, 32> key{};
  std::size_t length = ReadFirstBytes(key);
  while (length > 0 && length < key.size() && leftForeground == 0 &&
         !IsWholeKey(std::span(key.data(), length))) {
    pollfd input{STDIN_FILENO, POLLIN, 0};
    const int ready = poll(&input, 1, kSequencePatienceMs);
    if (ready == 0 || (ready < 0 && errno != EINTR)) {
      return;
    }
    if (ready > 0) {
      const ssize_t n = read(STDIN_FILENO, key.data() + length, key.size() - length);
      if (n == 0 || (n < 0 && !NothingYet())) {
        return;
      }
      length += static_cast<std::size_t>(n > 0 ? n : 0);
    }
  }
}

// With its answer going elsewhere (`v=$(incircle)`, `incircle | less`)
// there is no window to keep open; and a wait on anything but a terminal
// would hang a script.
[[nodiscard]] bool AtATerminal() noexcept {
  return isatty(STDIN_FILENO) == 1 && isatty(STDOUT_FILENO) == 1;
}

}  // namespace

void WaitForKeyPress() noexcept {
  // Started in the background, the program has nothing to wait for; asked
  // before touching the terminal, which would stop it with SIGTTOU.
  if (!AtATerminal() || !InForeground() || tcgetattr(STDIN_FILENO, &savedSettings) != 0) {
    return;
  }
  // Only line editing and echo go: Ctrl-C and Ctrl-Z still work, output is
  // processed as before.
  keyByKeySettings = savedSettings;
  keyByKeySettings.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO);
  keyByKeySettings.c_cc[VMIN] = 1;
  keyByKeySettings.c_cc[VTIME] = 0;
  leftForeground = 0;

  CaughtSignals signals;
  CatchSignals(signals);

  // The switches of the main flow happen with the handlers held off, so that
  // a handler never finds the terminal half switched.
  sigset_t before{};
  sigprocmask(SIG_BLOCK, &handlerMask, &before);
  const bool entered = EnterKeyByKey();
  sigprocmask(SIG_SETMASK, &before, nullptr);
  if (entered) {
    ReadOneKey();
  }

  sigprocmask(SIG_BLOCK, &handlerMask, &before);
  RestoreTerminal();
  ReleaseSignals(signals);
  sigprocmask(SIG_SETMASK, &before, nullptr);
}
