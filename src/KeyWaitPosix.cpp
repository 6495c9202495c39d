#include <termios.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <csignal>
#include <cstddef>

#include "KeyWait.h"

namespace {

// Written before any handler is installed and only read after: the settings
// to put back however the wait ends.
termios savedSettings{};

// The signals that end the program while it waits: the terminal must be
// given back before the program dies of them.
constexpr std::array kEndingSignals{SIGHUP, SIGINT, SIGQUIT, SIGTERM};

using PreviousActions = std::array<struct sigaction, kEndingSignals.size()>;

void RestoreTerminal() noexcept { tcsetattr(STDIN_FILENO, TCSANOW, &savedSettings); }

void SetAction(int signalNumber, void (*handler)(int), struct sigaction* previous) noexcept {
  struct sigaction action {};
  action.sa_handler = handler;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  sigaction(signalNumber, &action, previous);
}

extern "C" void OnEndingSignal(int signalNumber) {
  RestoreTerminal();
  // Die of the signal as if it had not been caught, so that the parent
  // learns why. It stays blocked until this handler returns.
  SetAction(signalNumber, SIG_DFL, nullptr);
  raise(signalNumber);
}

// A signal that the program was started with ignored (as nohup does) stays
// ignored.
void Catch(int signalNumber, void (*handler)(int), struct sigaction& previous) noexcept {
  SetAction(signalNumber, handler, &previous);
  if (previous.sa_handler == SIG_IGN) {
    sigaction(signalNumber, &previous, nullptr);
  }
}

[[nodiscard]] PreviousActions CatchSignals() noexcept {
  PreviousActions previous;
  for (std::size_t i = 0; i < kEndingSignals.size(); ++i) {
    Catch(kEndingSignals[i], OnEndingSignal, previous[i]);
  }
  return previous;
}

void RestoreSignals(const PreviousActions& previous) noexcept {
  for (std::size_t i = 0; i < kEndingSignals.size(); ++i) {
    sigaction(kEndingSignals[i], &previous[i], nullptr);
  }
}

}  // namespace

void WaitForKeyPress() noexcept {
  if (isatty(STDIN_FILENO) == 0 || tcgetattr(STDIN_FILENO, &savedSettings) != 0) {
    return;
  }
  const PreviousActions previous = CatchSignals();

  // Only line editing and echo go: Ctrl-C still interrupts, output is
  // processed as before.
  termios keyByKey = savedSettings;
  keyByKey.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO);
  keyByKey.c_cc[VMIN] = 1;
  keyByKey.c_cc[VTIME] = 0;
  if (tcsetattr(STDIN_FILENO, TCSANOW, &keyByKey) == 0) {
    // One read takes all the bytes of one key, an arrow's escape sequence
    // included, so that none of them is left over for the shell. End of
    // input or a hung-up terminal ends the wait too.
    std::array<char, 32> key{};
    while (read(STDIN_FILENO, key.data(), key.size()) < 0 && errno == EINTR) {
    }
    RestoreTerminal();
  }
  RestoreSignals(previous);
}
