// SPDX-License-Identifier: MIT
#include "PseudoTerminal.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <thread>

namespace harness {

namespace {

using Clock = std::chrono::steady_clock;

}  // namespace

void Exec(const std::vector<std::string>& command) {
  std::vector<char*> argv(command.size() + 1, nullptr);
  std::transform(command.begin(), command.end(), argv.begin(),
                 [](const std::string& argument) { return const_cast<char*>(argument.c_str()); });
  execv(argv.front(), argv.data());
  _exit(127);
}

std::optional<int> WaitFor(pid_t pid, std::chrono::milliseconds patience, int options) {
  const auto deadline = Clock::now() + patience;
  do {
    int status = 0;
    if (waitpid(pid, &status, WNOHANG | options) == pid) {
      return status;
    }
    std::this_thread::sleep_for(5ms);
  } while (Clock::now() < deadline);
  return std::nullopt;
}

void KillAndReap(pid_t pid) {
  if (pid > 0 && kill(pid, SIGKILL) == 0) {
    waitpid(pid, nullptr, 0);
  }
}

bool ExitedWith(int status, int code) { return WIFEXITED(status) && WEXITSTATUS(status) == code; }

namespace {

// The end of the escape sequence that starts at `start`, and what it shows:
// Wine moves the cursor forward over spaces instead of writing them.
std::size_t SkipEscapeSequence(std::string_view screen, std::size_t start, std::string& text) {
  const std::size_t kind = start + 1;
  if (kind >= screen.size()) {
    return screen.size();
  }
  if (screen[kind] == '[') {  // control sequence: up to its final byte
    std::size_t end = kind + 1;
    while (end < screen.size() && (screen[end] < 0x40 || screen[end] > 0x7E)) {
      ++end;
    }
    if (end < screen.size() && screen[end] == 'C') {
      const int count = std::atoi(std::string(screen.substr(kind + 1, end - kind - 1)).c_str());
      text.append(static_cast<std::size_t>(std::max(count, 1)), ' ');
    }
    return end + 1;
  }
  if (screen[kind] == ']') {  // operating system command (a title): up to BEL or ST
    const std::size_t end = screen.find_first_of("\a\x1b", kind);
    if (end == std::string_view::npos) {
      return screen.size();
    }
    return end + (screen[end] == '\x1b' ? 2 : 1);
  }
  return kind + 1;
}

}  // namespace

std::string VisibleText(std::string_view screen) {
  std::string text;
  std::size_t i = 0;
  while (i < screen.size()) {
    if (screen[i] == '\x1b') {
      i = SkipEscapeSequence(screen, i, text);
    } else {
      if (screen[i] != '\r') {
        text += screen[i];
      }
      ++i;
    }
  }
  return text;
}

PseudoTerminal::PseudoTerminal() {
  if (openpty(&controller_, &terminal_, nullptr, nullptr, nullptr) != 0) {
    controller_ = terminal_ = -1;
  }
}

PseudoTerminal::~PseudoTerminal() {
  if (controller_ >= 0) {
    close(controller_);
  }
  CloseTerminalEnd();
}

void PseudoTerminal::BecomeSessionOn(int in, int out, int err, bool controlling) const {
  setsid();
  if (controlling) {
    ioctl(terminal_, TIOCSCTTY, 0);
  }
  const std::array<int, 3> given{in, out, err};
  for (int fd = 0; fd < 3; ++fd) {
    dup2(given.at(static_cast<std::size_t>(fd)) >= 0 ? given.at(static_cast<std::size_t>(fd))
                                                     : terminal_,
         fd);
  }
  close(terminal_);
  close(controller_);
}

void PseudoTerminal::CloseTerminalEnd() {
  if (terminal_ >= 0) {
    close(terminal_);
    terminal_ = -1;
  }
}

const std::string& PseudoTerminal::Read(std::string_view expected,
                                        std::chrono::milliseconds patience) {
  const auto deadline = Clock::now() + patience;
  while (screen_.find(expected) == std::string::npos && Clock::now() < deadline) {
    pollfd fd{controller_, POLLIN, 0};
    if (poll(&fd, 1, 20) == 1) {
      std::array<char, 256> buffer{};
      const ssize_t n = read(controller_, buffer.data(), buffer.size());
      if (n > 0) {
        screen_.append(buffer.data(), static_cast<std::size_t>(n));
      } else {
        std::this_thread::sleep_for(20ms);  // hung up: nothing more will come
      }
    }
  }
  return screen_;
}

std::string PseudoTerminal::ReadText(std::string_view expected,
                                     std::chrono::milliseconds patience) {
  const auto deadline = Clock::now() + patience;
  while (VisibleText(screen_).find(expected) == std::string::npos && Clock::now() < deadline) {
    Read("\x1b\x1b never appears", std::min(patience, 100ms));
  }
  return VisibleText(screen_);
}

void PseudoTerminal::Type(std::string_view keys) const {
  static_cast<void>(write(controller_, keys.data(), keys.size()));
}

termios PseudoTerminal::Settings() const {
  termios now{};
  tcgetattr(terminal_, &now);
  return now;
}

bool PseudoTerminal::BecomesKeyByKey(std::chrono::milliseconds patience) const {
  const auto deadline = Clock::now() + patience;
  do {
    if ((Settings().c_lflag & (ICANON | ECHO)) == 0) {
      return true;
    }
    std::this_thread::sleep_for(5ms);
  } while (Clock::now() < deadline);
  return false;
}

std::string PseudoTerminal::Unread() const {
  termios peek = Settings();
  peek.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO);
  peek.c_cc[VMIN] = 0;
  peek.c_cc[VTIME] = 0;
  tcsetattr(terminal_, TCSANOW, &peek);
  std::array<char, 64> left{};
  const ssize_t n = read(terminal_, left.data(), left.size());
  return n > 0 ? std::string(left.data(), static_cast<std::size_t>(n)) : std::string();
}

bool SameSettings(const termios& a, const termios& b) {
  return a.c_iflag == b.c_iflag && a.c_oflag == b.c_oflag && a.c_cflag == b.c_cflag &&
         a.c_lflag == b.c_lflag && std::memcmp(a.c_cc, b.c_cc, sizeof a.c_cc) == 0;
}

}  // namespace harness
