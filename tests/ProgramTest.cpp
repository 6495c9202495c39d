// The program run as users run it, on POSIX: without a terminal (pipes,
// files, closed descriptors) and on a pseudo-terminal.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <optional>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr const char* kProgram = INCIRCLE_PROGRAM;
constexpr auto kPatience = 10s;

// Replaces the child process with the program, or ends it with status 127.
[[noreturn]] void ExecProgram(const std::vector<std::string>& arguments) {
  std::vector<char*> argv(arguments.size() + 2, nullptr);
  argv.front() = const_cast<char*>(kProgram);
  std::transform(arguments.begin(), arguments.end(), argv.begin() + 1,
                 [](const std::string& argument) { return const_cast<char*>(argument.c_str()); });
  execv(kProgram, argv.data());
  _exit(127);
}

// Waits for the child to end (or stop), at most `patience`.
std::optional<int> WaitFor(pid_t pid, std::chrono::milliseconds patience, int options = 0) {
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

// ---------------------------------------------------------------------------
// Without a terminal

enum class Input { kNullDevice, kPipeWithText, kClosed };
enum class Output { kPipe, kFullDevice, kClosed };

struct Outcome {
  std::string out;
  std::string err;
  int status = -1;
};

using Pipe = std::array<int, 2>;  // read end, write end

// In the child: standard input and output as asked, stderr into its pipe.
[[noreturn]] void ExecWithoutTerminal(Input input, Output output, const Pipe& in, const Pipe& out,
                                      const Pipe& err, const std::vector<std::string>& arguments) {
  switch (input) {
    case Input::kNullDevice:
      dup2(open("/dev/null", O_RDONLY), STDIN_FILENO);
      break;
    case Input::kPipeWithText:
      dup2(in[0], STDIN_FILENO);
      break;
    case Input::kClosed:
      close(STDIN_FILENO);
      break;
  }
  switch (output) {
    case Output::kPipe:
      dup2(out[1], STDOUT_FILENO);
      break;
    case Output::kFullDevice:
      dup2(open("/dev/full", O_WRONLY), STDOUT_FILENO);
      break;
    case Output::kClosed:
      close(STDOUT_FILENO);
      break;
  }
  dup2(err[1], STDERR_FILENO);
  for (const int fd : {in[0], in[1], out[0], out[1], err[0], err[1]}) {
    close(fd);
  }
  ExecProgram(arguments);
}

// Everything written to the two pipes until both close, or the patience ends.
void ReadUntilClosed(int outFd, int errFd, Outcome& outcome) {
  std::array<pollfd, 2> fds{{{outFd, POLLIN, 0}, {errFd, POLLIN, 0}}};
  const std::array<std::string*, 2> texts{&outcome.out, &outcome.err};
  const auto deadline = Clock::now() + kPatience;
  while ((fds[0].fd >= 0 || fds[1].fd >= 0) && Clock::now() < deadline) {
    if (poll(fds.data(), fds.size(), 100) <= 0) {
      continue;
    }
    for (std::size_t i = 0; i < fds.size(); ++i) {
      if (fds[i].fd < 0 || fds[i].revents == 0) {
        continue;
      }
      std::array<char, 256> buffer{};
      const ssize_t n = read(fds[i].fd, buffer.data(), buffer.size());
      if (n > 0) {
        texts[i]->append(buffer.data(), static_cast<std::size_t>(n));
      } else {
        close(fds[i].fd);
        fds[i].fd = -1;
      }
    }
  }
  for (const pollfd& fd : fds) {
    if (fd.fd >= 0) {
      close(fd.fd);
    }
  }
}

Outcome RunWithoutTerminal(Input input, Output output,
                           const std::vector<std::string>& arguments = {}) {
  Pipe in{};
  Pipe out{};
  Pipe err{};
  if (pipe(in.data()) != 0 || pipe(out.data()) != 0 || pipe(err.data()) != 0) {
    ADD_FAILURE() << "pipe: " << std::strerror(errno);
    return {};
  }
  const pid_t pid = fork();
  if (pid == 0) {
    ExecWithoutTerminal(input, output, in, out, err, arguments);
  }
  close(in[0]);
  close(out[1]);
  close(err[1]);
  if (input == Input::kPipeWithText) {
    static_cast<void>(write(in[1], "x\n", 2));
  }
  close(in[1]);

  Outcome outcome;
  ReadUntilClosed(out[0], err[0], outcome);
  const std::optional<int> status = WaitFor(pid, 1s);
  if (!status) {
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    ADD_FAILURE() << "the program did not end: it waited without a terminal";
  }
  outcome.status = status.value_or(-1);
  return outcome;
}

bool ExitedWith(int status, int code) { return WIFEXITED(status) && WEXITSTATUS(status) == code; }

struct Setting {
  const char* name;
  Input input;
  std::vector<std::string> arguments;
};

std::ostream& operator<<(std::ostream& out, const Setting& setting) { return out << setting.name; }

class WithoutTerminal : public testing::TestWithParam<Setting> {};

TEST_P(WithoutTerminal, WritesTheVerdictLineAndEndsAtOnce) {
  const Outcome outcome = RunWithoutTerminal(GetParam().input, Output::kPipe, GetParam().arguments);
  EXPECT_EQ(outcome.out, "Mozhno\n");
  EXPECT_EQ(outcome.err, "");
  EXPECT_TRUE(ExitedWith(outcome.status, 0)) << outcome.status;
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, WithoutTerminal,
    testing::Values(Setting{"null_device", Input::kNullDevice, {}},
                    Setting{"pipe", Input::kPipeWithText, {}},
                    Setting{"closed_input", Input::kClosed, {}},
                    Setting{"arguments", Input::kNullDevice, {"--help", "Nel'zya", "-", ""}}),
    [](const testing::TestParamInfo<Setting>& param) { return param.param.name; });

// A verdict that could not be written is a failure, said once on stderr.
TEST(WithoutTerminal, FailsWhenTheVerdictCannotBeWritten) {
  for (const Output output : {Output::kFullDevice, Output::kClosed}) {
    const Outcome outcome = RunWithoutTerminal(Input::kNullDevice, output);
    EXPECT_TRUE(ExitedWith(outcome.status, 1)) << outcome.status;
    EXPECT_EQ(outcome.err.rfind("incircle: ", 0), 0U) << outcome.err;
    EXPECT_EQ(outcome.err.find('\n'), outcome.err.size() - 1) << outcome.err;
  }
  EXPECT_NE(
      RunWithoutTerminal(Input::kNullDevice, Output::kFullDevice).err.find(std::strerror(ENOSPC)),
      std::string::npos);
}

// ---------------------------------------------------------------------------
// On a terminal

bool SameSettings(const termios& a, const termios& b) {
  return a.c_iflag == b.c_iflag && a.c_oflag == b.c_oflag && a.c_cflag == b.c_cflag &&
         a.c_lflag == b.c_lflag && std::memcmp(a.c_cc, b.c_cc, sizeof a.c_cc) == 0;
}

// The program as the session leader of a pseudo-terminal, whose other end
// this test holds. The test keeps the terminal side open as well, to read the
// terminal's settings as the program leaves them.
class OnTerminal : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(openpty(&controller_, &terminal_, nullptr, nullptr, nullptr), 0)
        << std::strerror(errno);
    ASSERT_EQ(tcgetattr(terminal_, &initial_), 0);
    pid_ = fork();
    ASSERT_GE(pid_, 0);
    if (pid_ == 0) {
      const rlimit noCoreFile{0, 0};  // SIGQUIT would leave one behind
      setrlimit(RLIMIT_CORE, &noCoreFile);
      setsid();
      ioctl(terminal_, TIOCSCTTY, 0);
      for (const int fd : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO}) {
        dup2(terminal_, fd);
      }
      close(terminal_);
      close(controller_);
      ExecProgram({});
    }
  }

  void TearDown() override {
    if (pid_ > 0 && !ended_) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
    close(controller_);
    close(terminal_);
  }

  // Everything the program wrote to the terminal within `patience`, until
  // `expected` has appeared.
  std::string Read(const std::string& expected, std::chrono::milliseconds patience = kPatience) {
    const auto deadline = Clock::now() + patience;
    while (screen_.find(expected) == std::string::npos && Clock::now() < deadline) {
      pollfd fd{controller_, POLLIN, 0};
      if (poll(&fd, 1, 20) == 1) {
        std::array<char, 256> buffer{};
        const ssize_t n = read(controller_, buffer.data(), buffer.size());
        if (n > 0) {
          screen_.append(buffer.data(), static_cast<std::size_t>(n));
        }
      }
    }
    return screen_;
  }

  [[nodiscard]] termios Settings() const {
    termios now{};
    tcgetattr(terminal_, &now);
    return now;
  }

  // True once the program has taken the terminal out of line mode.
  [[nodiscard]] bool WaitsForAKey() const {
    const auto deadline = Clock::now() + kPatience;
    while (Clock::now() < deadline) {
      if ((Settings().c_lflag & (ICANON | ECHO)) == 0) {
        return true;
      }
      std::this_thread::sleep_for(5ms);
    }
    return false;
  }

  void Type(const std::string& keys) const {
    ASSERT_EQ(write(controller_, keys.data(), keys.size()), static_cast<ssize_t>(keys.size()));
  }

  std::optional<int> End(std::chrono::milliseconds patience = kPatience) {
    const std::optional<int> status = WaitFor(pid_, patience);
    ended_ = status.has_value();
    return status;
  }

  int controller_ = -1;
  int terminal_ = -1;
  termios initial_{};
  pid_t pid_ = -1;
  bool ended_ = false;
  std::string screen_;
};

TEST_F(OnTerminal, WaitsForOneKeyWithoutEchoThenRestoresTheTerminal) {
  EXPECT_EQ(Read("Mozhno\r\n"), "Mozhno\r\n");
  ASSERT_TRUE(WaitsForAKey());
  EXPECT_FALSE(End(300ms).has_value()) << "ended before a key was pressed";

  Type("q");
  const std::optional<int> status = End();
  ASSERT_TRUE(status.has_value()) << "a key press did not end the wait";
  EXPECT_TRUE(ExitedWith(*status, 0)) << *status;
  EXPECT_TRUE(SameSettings(Settings(), initial_));
  EXPECT_EQ(Read("q", 200ms), "Mozhno\r\n") << "the key was echoed";
}

// An arrow key is one key of three bytes: none of them is left for the shell.
TEST_F(OnTerminal, TakesEveryByteOfOneKey) {
  Read("Mozhno\r\n");
  ASSERT_TRUE(WaitsForAKey());
  Type("\x1b[A");
  const std::optional<int> status = End();
  ASSERT_TRUE(status.has_value());
  EXPECT_TRUE(ExitedWith(*status, 0)) << *status;

  termios peek = Settings();
  peek.c_lflag &= ~static_cast<tcflag_t>(ICANON);
  peek.c_cc[VMIN] = 0;
  peek.c_cc[VTIME] = 0;
  ASSERT_EQ(tcsetattr(terminal_, TCSANOW, &peek), 0);
  std::array<char, 8> left{};
  EXPECT_EQ(read(terminal_, left.data(), left.size()), 0);
}

// A signal sent to the program, or the keys that make the terminal send one.
struct Interruption {
  const char* name;
  int signal;
  const char* typed;  // nullptr: sent with kill
};

std::ostream& operator<<(std::ostream& out, const Interruption& i) { return out << i.name; }

class OnTerminalInterrupted : public OnTerminal,
                              public testing::WithParamInterface<Interruption> {};

// Ended by a signal, the program still gives the terminal back as it found
// it, and then dies of that signal.
TEST_P(OnTerminalInterrupted, RestoresTheTerminalAndDiesOfTheSignal) {
  const Interruption& interruption = GetParam();
  Read("Mozhno\r\n");
  ASSERT_TRUE(WaitsForAKey());
  if (interruption.typed != nullptr) {
    Type(interruption.typed);
  } else {
    kill(pid_, interruption.signal);
  }
  const std::optional<int> status = End();
  ASSERT_TRUE(status.has_value());
  EXPECT_TRUE(WIFSIGNALED(*status) && WTERMSIG(*status) == interruption.signal) << *status;
  EXPECT_TRUE(SameSettings(Settings(), initial_));
}

INSTANTIATE_TEST_SUITE_P(Signals, OnTerminalInterrupted,
                         testing::Values(Interruption{"SIGTERM", SIGTERM, nullptr},
                                         Interruption{"SIGHUP", SIGHUP, nullptr},
                                         Interruption{"SIGINT", SIGINT, nullptr},
                                         Interruption{"SIGQUIT", SIGQUIT, nullptr},
                                         Interruption{"CtrlC", SIGINT, "\x03"}),
                         [](const testing::TestParamInfo<Interruption>& param) {
                           return std::string(param.param.name);
                         });

}  // namespace
