// SPDX-License-Identifier: MIT
// The program as a job of an interactive shell: started in the background,
// stopped with Ctrl-Z, continued in the foreground or in the background.
// A small shell in a process of its own, the leader of a session on a
// pseudo-terminal, does what bash does with a job; the test tells it what to
// do, one command at a time, and hears back how the job fared.

#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <optional>
#include <string>

#include "PseudoTerminal.h"

namespace {

using namespace std::chrono_literals;
using harness::ExitedWith;
using harness::kPatience;

constexpr const char* kProgram = INCIRCLE_PROGRAM;

// What the shell does with its job.
enum Command : char {
  kWait = 'w',        // wait until the job ends or stops, and report the status
  kForeground = 'f',  // `fg`: give it the terminal and continue it
  kBackground = 'b',  // `bg`: take the terminal back and continue it
  kStop = 's',        // `kill -STOP %1`: a stop the job cannot catch
};

enum class StartIn { kForeground, kBackground };

[[noreturn]] void Shell(const harness::PseudoTerminal& tty, int channel, StartIn start) {
  tty.BecomeSessionOn(-1, -1, -1);
  // As shells do: it hands the terminal over and takes it back.
  signal(SIGTTOU, SIG_IGN);
  const pid_t job = fork();
  if (job == 0) {
    setpgid(0, 0);
    if (start == StartIn::kForeground) {
      tcsetpgrp(STDIN_FILENO, getpgrp());
    }
    signal(SIGTTOU, SIG_DFL);
    close(channel);
    harness::Exec({kProgram});
  }
  setpgid(job, job);
  if (start == StartIn::kForeground) {
    tcsetpgrp(STDIN_FILENO, job);
  }
  char command = 0;
  while (read(channel, &command, 1) == 1) {
    switch (command) {
      case kWait: {
        int status = 0;
        waitpid(job, &status, WUNTRACED);
        static_cast<void>(send(channel, &status, sizeof status, MSG_NOSIGNAL));
        break;
      }
      case kForeground:
        tcsetpgrp(STDIN_FILENO, job);
        kill(-job, SIGCONT);
        break;
      case kBackground:
        tcsetpgrp(STDIN_FILENO, getpgrp());
        kill(-job, SIGCONT);
        break;
      case kStop:
        kill(-job, SIGSTOP);
        break;
      default:
        break;
    }
  }
  kill(-job, SIGKILL);
  _exit(0);
}

bool StoppedBy(int status, int signalNumber) {
  return WIFSTOPPED(status) && WSTOPSIG(status) == signalNumber;
}

class UnderJobControl : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(tty_.IsOpen()) << std::strerror(errno);
    initial_ = tty_.Settings();
  }

  void Start(StartIn start) {
    std::array<int, 2> channel{};
    ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM, 0, channel.data()), 0);
    shell_ = fork();
    ASSERT_GE(shell_, 0);
    if (shell_ == 0) {
      close(channel[0]);
      Shell(tty_, channel[1], start);
    }
    close(channel[1]);
    channel_ = channel[0];
  }

  void TearDown() override {
    if (channel_ >= 0) {
      close(channel_);  // the shell kills its job and ends
    }
    if (shell_ > 0 && !harness::WaitFor(shell_, kPatience)) {
      harness::KillAndReap(shell_);
    }
  }

  void Tell(Command command) const { ASSERT_EQ(send(channel_, &command, 1, MSG_NOSIGNAL), 1); }

  // How the job is, once it has ended or stopped.
  std::optional<int> JobStatus() {
    Tell(kWait);
    pollfd fd{channel_, POLLIN, 0};
    int status = 0;
    if (poll(&fd, 1, static_cast<int>(kPatience.count())) == 1 &&
        recv(channel_, &status, sizeof status, MSG_WAITALL) == sizeof status) {
      return status;
    }
    // The shell is stuck in its wait: end it, and with it the channel.
    harness::KillAndReap(shell_);
    shell_ = -1;
    return std::nullopt;
  }

  // Started in the foreground, waiting key by key, then stopped with Ctrl-Z.
  void StartAndStopWithCtrlZ() {
    Start(StartIn::kForeground);
    tty_.Read("Mozhno\r\n");
    ASSERT_TRUE(tty_.BecomesKeyByKey());
    tty_.Type("\x1a");
    const std::optional<int> status = JobStatus();
    ASSERT_TRUE(status.has_value());
    ASSERT_TRUE(StoppedBy(*status, SIGTSTP)) << *status;
  }

  harness::PseudoTerminal tty_;
  termios initial_{};
  pid_t shell_ = -1;
  int channel_ = -1;
};

// `incircle &`: the verdict, then the end at once, status 0; not a job that
// stops on SIGTTOU and waits for a key nobody can give it.
TEST_F(UnderJobControl, StartedInTheBackgroundEndsAtOnce) {
  Start(StartIn::kBackground);
  const std::optional<int> status = JobStatus();
  ASSERT_TRUE(status.has_value()) << "neither ended nor stopped";
  EXPECT_TRUE(ExitedWith(*status, 0))
      << "status " << *status << (WIFSTOPPED(*status) ? ": stopped" : "");
  EXPECT_EQ(tty_.Read("Mozhno\r\n"), "Mozhno\r\n");
  EXPECT_TRUE(harness::SameSettings(tty_.Settings(), initial_));
}

// Ctrl-Z gives the shell its terminal back as it was; `fg` brings back the
// wait key by key: the key is not echoed, needs no Enter, and nothing of it
// is left for the shell.
TEST_F(UnderJobControl, StoppedWithCtrlZGivesTheTerminalBackAndWaitsAgainAfterFg) {
  ASSERT_NO_FATAL_FAILURE(StartAndStopWithCtrlZ());
  EXPECT_TRUE(harness::SameSettings(tty_.Settings(), initial_))
      << "stopped with the terminal still key by key";

  Tell(kForeground);
  ASSERT_TRUE(tty_.BecomesKeyByKey()) << "after fg the wait is no longer key by key";
  tty_.Type("x");
  const std::optional<int> status = JobStatus();
  ASSERT_TRUE(status.has_value());
  EXPECT_TRUE(ExitedWith(*status, 0)) << *status;
  EXPECT_TRUE(harness::SameSettings(tty_.Settings(), initial_));
  EXPECT_EQ(tty_.Unread(), "");
  EXPECT_EQ(harness::VisibleText(tty_.Read("x", 200ms)).find('x'), std::string::npos)
      << "the key was echoed";
}

// A stop that cannot be caught (`kill -STOP`, a debugger) leaves the terminal
// key by key, and bash then puts back its own settings. After `fg` the wait
// must be key by key again, not a line that echoes and needs Enter.
TEST_F(UnderJobControl, StoppedBySigstopWaitsKeyByKeyAgainAfterFg) {
  Start(StartIn::kForeground);
  tty_.Read("Mozhno\r\n");
  ASSERT_TRUE(tty_.BecomesKeyByKey());
  Tell(kStop);
  std::optional<int> status = JobStatus();
  ASSERT_TRUE(status.has_value());
  ASSERT_TRUE(StoppedBy(*status, SIGSTOP)) << *status;
  ASSERT_EQ(tcsetattr(tty_.Terminal(), TCSANOW, &initial_), 0) << std::strerror(errno);

  Tell(kForeground);
  ASSERT_TRUE(tty_.BecomesKeyByKey()) << "after fg the wait is no longer key by key";
  tty_.Type("x");
  status = JobStatus();
  ASSERT_TRUE(status.has_value());
  EXPECT_TRUE(ExitedWith(*status, 0)) << *status;
  EXPECT_TRUE(harness::SameSettings(tty_.Settings(), initial_));
  EXPECT_EQ(tty_.Unread(), "");
}

// `bg` after Ctrl-Z: in the background there is nothing to wait for, and
// reading the terminal there would stop the job again with SIGTTIN.
TEST_F(UnderJobControl, ContinuedInTheBackgroundEndsAtOnce) {
  ASSERT_NO_FATAL_FAILURE(StartAndStopWithCtrlZ());

  Tell(kBackground);
  const std::optional<int> status = JobStatus();
  ASSERT_TRUE(status.has_value()) << "neither ended nor stopped";
  EXPECT_TRUE(ExitedWith(*status, 0))
      << "status " << *status << (WIFSTOPPED(*status) ? ": stopped" : "");
  EXPECT_TRUE(harness::SameSettings(tty_.Settings(), initial_));
}

}  // namespace
