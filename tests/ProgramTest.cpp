// SPDX-License-Identifier: MIT
// The program run as users run it, on POSIX: without a terminal (pipes,
// files, closed descriptors) and on a pseudo-terminal.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fstream>
#include <optional>
#include <ostream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "PseudoTerminal.h"
#include "TerminalSession.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using harness::ExitedWith;
using harness::kPatience;
using harness::WaitFor;

constexpr const char* kProgram = INCIRCLE_PROGRAM;

[[noreturn]] void ExecProgram(const std::vector<std::string>& arguments = {}) {
  std::vector<std::string> command{kProgram};
  command.insert(command.end(), arguments.begin(), arguments.end());
  harness::Exec(command);
}

// ---------------------------------------------------------------------------
// Without a terminal

enum class Input { kNullDevice, kPipeWithText, kPipeHeldOpen, kClosed };
enum class Output { kPipe, kPipeWithoutReader, kFullDevice, kClosed };

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
    case Input::kPipeHeldOpen:
      dup2(in[0], STDIN_FILENO);
      break;
    case Input::kClosed:
      close(STDIN_FILENO);
      break;
  }
  switch (output) {
    case Output::kPipe:
    case Output::kPipeWithoutReader:
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
    if (fd >= 0) {
      close(fd);
    }
  }
  // As a shell starts it, whatever the test runner ignores.
  signal(SIGPIPE, SIG_DFL);
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
  // Written before the program starts: a program that ends without reading
  // it must not take the test down with SIGPIPE.
  if (input == Input::kPipeWithText) {
    static_cast<void>(write(in[1], "x\n", 2));
  }
  if (output == Output::kPipeWithoutReader) {
    close(out[0]);  // gone before the program writes
    out[0] = -1;
  }
  const pid_t pid = fork();
  if (pid == 0) {
    ExecWithoutTerminal(input, output, in, out, err, arguments);
  }
  close(in[0]);
  close(out[1]);
  close(err[1]);
  // A pipe held open with nothing in it: a program that read it would wait
  // for as long as the writer lives, here until the program has ended.
  if (input != Input::kPipeHeldOpen) {
    close(in[1]);
  }

  Outcome outcome;
  ReadUntilClosed(out[0], err[0], outcome);
  const std::optional<int> status = WaitFor(pid, 1s);
  if (!status) {
    harness::KillAndReap(pid);
    ADD_FAILURE() << "the program did not end: it waited without a terminal";
  }
  if (input == Input::kPipeHeldOpen) {
    close(in[1]);
  }
  outcome.status = status.value_or(-1);
  return outcome;
}

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
                    Setting{"pipe_held_open_without_data", Input::kPipeHeldOpen, {}},
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

// `incircle | true` with the reader already gone: the program dies of
// SIGPIPE, as Unix tools do, and says nothing.
TEST(WithoutTerminal, DiesOfSigpipeWhenTheReaderHasGone) {
  const Outcome outcome = RunWithoutTerminal(Input::kNullDevice, Output::kPipeWithoutReader);
  EXPECT_TRUE(WIFSIGNALED(outcome.status) && WTERMSIG(outcome.status) == SIGPIPE) << outcome.status;
  EXPECT_EQ(outcome.err, "");
}

// ---------------------------------------------------------------------------
// On a terminal

// How the program's standard streams and signals are set up on the terminal.
struct Start {
  harness::Streams streams{};
  int ignoredSignal = 0;     // started with this signal ignored, as by nohup
  std::string typedAhead{};  // typed before the program starts
  bool nonBlocking = false;  // the terminal left non-blocking by a program before
};

// The program as the session leader of a pseudo-terminal, whose other end
// this test holds. The test keeps the terminal side open as well, to read the
// terminal's settings as the program leaves them.
class OnTerminal : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(tty_.IsOpen()) << std::strerror(errno);
    initial_ = tty_.Settings();
  }

  void Run(const Start& start = {}) {
    if (!start.typedAhead.empty()) {
      // Typed keys reach the terminal's line discipline a moment later, from
      // a worker of the kernel: only once their echo is on the screen are
      // they typed ahead of the program, and not raced by its verdict.
      tty_.Type(start.typedAhead);
      ASSERT_NE(tty_.Read(start.typedAhead).find(start.typedAhead), std::string::npos)
          << "the terminal never took the keys typed ahead";
    }
    ASSERT_TRUE(program_.Start({kProgram}, start.streams, [&start] {
      const rlimit noCoreFile{0, 0};  // signals that dump core would leave one behind
      setrlimit(RLIMIT_CORE, &noCoreFile);
      if (start.ignoredSignal != 0) {
        signal(start.ignoredSignal, SIG_IGN);
      }
      if (start.nonBlocking) {
        fcntl(STDIN_FILENO, F_SETFL, fcntl(STDIN_FILENO, F_GETFL) | O_NONBLOCK);
      }
    })) << std::strerror(errno);
  }

  // The program's status once it has ended, asked again as often as needed.
  std::optional<int> End(std::chrono::milliseconds patience = kPatience) {
    return program_.End(patience);
  }

  // A program that waits does not end within this; one that has no reason to
  // wait ends far sooner, even on a loaded machine.
  [[nodiscard]] bool StillWaiting() { return !End(300ms).has_value(); }

  harness::PseudoTerminal tty_;
  termios initial_{};
  harness::TerminalSession program_{tty_};
};

TEST_F(OnTerminal, WaitsForOneKeyWithoutEchoThenRestoresTheTerminal) {
  Run();
  EXPECT_EQ(tty_.Read("Mozhno\r\n"), "Mozhno\r\n");
  ASSERT_TRUE(tty_.BecomesKeyByKey());
  EXPECT_TRUE(StillWaiting()) << "ended before a key was pressed";

  tty_.Type("q");
  const std::optional<int> status = End();
  ASSERT_TRUE(status.has_value()) << "a key press did not end the wait";
  EXPECT_TRUE(ExitedWith(*status, 0)) << *status;
  EXPECT_TRUE(harness::SameSettings(tty_.Settings(), initial_));
  EXPECT_EQ(tty_.Read("q", 200ms), "Mozhno\r\n") << "the key was echoed";
}

// A key as the terminal sends it: one byte, or an escape sequence, which may
// arrive in pieces over a slow link.
struct Key {
  const char* name;
  std::vector<std::string> pieces;  // 50 ms apart
};

std::ostream& operator<<(std::ostream& out, const Key& key) { return out << key.name; }

class OnTerminalKeys : public OnTerminal, public testing::WithParamInterface<Key> {};

// Every byte of one key is taken, none is left over for the shell, and the
// wait does not stay for more.
TEST_P(OnTerminalKeys, TakesEveryByteOfOneKey) {
  Run();
  tty_.Read("Mozhno\r\n");
  ASSERT_TRUE(tty_.BecomesKeyByKey());
  for (const std::string& piece : GetParam().pieces) {
    if (&piece != &GetParam().pieces.front()) {
      std::this_thread::sleep_for(50ms);
    }
    tty_.Type(piece);
  }
  const std::optional<int> status = End();
  ASSERT_TRUE(status.has_value()) << "the key did not end the wait";
  EXPECT_TRUE(ExitedWith(*status, 0)) << *status;
  EXPECT_TRUE(harness::SameSettings(tty_.Settings(), initial_));
  EXPECT_EQ(tty_.Unread(), "");
  EXPECT_EQ(tty_.Read("never", 100ms), "Mozhno\r\n") << "the key was echoed";
}

INSTANTIATE_TEST_SUITE_P(Keys, OnTerminalKeys,
                         testing::Values(Key{"letter", {"q"}}, Key{"arrow", {"\x1b[A"}},
                                         Key{"arrow_split", {"\x1b", "[", "A"}},
                                         Key{"arrow_with_ss3", {"\x1bO", "A"}},
                                         Key{"function_key_split", {"\x1b[1", "5~"}},
                                         Key{"linux_console_f1", {"\x1b[", "[A"}},
                                         Key{"escape", {"\x1b"}}, Key{"alt_x", {"\x1bx"}}),
                         [](const testing::TestParamInfo<Key>& param) {
                           return std::string(param.param.name);
                         });

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
  Run();
  tty_.Read("Mozhno\r\n");
  ASSERT_TRUE(tty_.BecomesKeyByKey());
  if (interruption.typed != nullptr) {
    tty_.Type(interruption.typed);
  } else {
    kill(program_.Pid(), interruption.signal);
  }
  const std::optional<int> status = End();
  ASSERT_TRUE(status.has_value());
  EXPECT_TRUE(WIFSIGNALED(*status) && WTERMSIG(*status) == interruption.signal) << *status;
  EXPECT_TRUE(harness::SameSettings(tty_.Settings(), initial_));
}

// Every signal whose default action ends a process, sent by another process.
std::vector<Interruption> EndingSignals() {
  std::vector<Interruption> signals{
      {"SIGTERM", SIGTERM, nullptr},     {"SIGHUP", SIGHUP, nullptr},
      {"SIGINT", SIGINT, nullptr},       {"SIGQUIT", SIGQUIT, nullptr},
      {"CtrlC", SIGINT, "\x03"},         {"CtrlBackslash", SIGQUIT, "\x1c"},
      {"SIGALRM", SIGALRM, nullptr},     {"SIGUSR1", SIGUSR1, nullptr},
      {"SIGUSR2", SIGUSR2, nullptr},     {"SIGPIPE", SIGPIPE, nullptr},
      {"SIGXCPU", SIGXCPU, nullptr},     {"SIGXFSZ", SIGXFSZ, nullptr},
      {"SIGVTALRM", SIGVTALRM, nullptr}, {"SIGPROF", SIGPROF, nullptr},
      {"SIGSYS", SIGSYS, nullptr},       {"SIGTRAP", SIGTRAP, nullptr},
      {"SIGABRT", SIGABRT, nullptr},     {"SIGSEGV", SIGSEGV, nullptr},
      {"SIGBUS", SIGBUS, nullptr},       {"SIGFPE", SIGFPE, nullptr},
      {"SIGILL", SIGILL, nullptr},
  };
#ifdef SIGPOLL
  signals.push_back({"SIGPOLL", SIGPOLL, nullptr});
#endif
#ifdef __linux__
  signals.push_back({"SIGPWR", SIGPWR, nullptr});
  signals.push_back({"SIGSTKFLT", SIGSTKFLT, nullptr});
#endif
#ifdef SIGRTMIN
  signals.push_back({"SIGRTMIN", SIGRTMIN, nullptr});
  signals.push_back({"SIGRTMAX", SIGRTMAX, nullptr});
#endif
  return signals;
}

INSTANTIATE_TEST_SUITE_P(Signals, OnTerminalInterrupted, testing::ValuesIn(EndingSignals()),
                         [](const testing::TestParamInfo<Interruption>& param) {
                           return std::string(param.param.name);
                         });

// A signal the program was started with ignored (as by nohup) stays ignored.
TEST_F(OnTerminal, KeepsAnIgnoredSignalIgnored) {
  Run({.ignoredSignal = SIGHUP});
  tty_.Read("Mozhno\r\n");
  ASSERT_TRUE(tty_.BecomesKeyByKey());
  kill(program_.Pid(), SIGHUP);
  EXPECT_TRUE(StillWaiting()) << "an ignored SIGHUP ended the program";
  tty_.Type("q");
  const std::optional<int> status = End();
  ASSERT_TRUE(status.has_value());
  EXPECT_TRUE(ExitedWith(*status, 0)) << *status;
}

// The processor time a process has used so far, in clock ticks, where /proc
// tells it.
std::optional<long> ProcessorTicks(pid_t pid) {
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string line;
  if (!std::getline(stat, line) || line.rfind(')') == std::string::npos) {
    return std::nullopt;
  }
  // After the command's name: state and 10 more fields, then user and system time.
  std::istringstream fields(line.substr(line.rfind(')') + 1));
  std::string skipped;
  for (int field = 0; field < 11; ++field) {
    fields >> skipped;
  }
  long user = 0;
  long system = 0;
  if (!(fields >> user >> system)) {
    return std::nullopt;
  }
  return user + system;
}

// Non-blocking belongs to the open terminal, which the program shares with
// its shell and with whatever ran there before and left it so; the program
// must still wait for its key, an arrow key's pieces included.
TEST_F(OnTerminal, WaitsOnATerminalLeftNonBlocking) {
  Run({.nonBlocking = true});
  tty_.Read("Mozhno\r\n");
  EXPECT_TRUE(StillWaiting()) << "ended without a key";
  // Waiting costs no processor time; reads retried without a pause would
  // take a whole processor (a loaded machine still gives them far more).
  const std::optional<long> ticks = ProcessorTicks(program_.Pid());
  if (ticks) {
    EXPECT_LT(*ticks, 5) << "the wait keeps the processor busy";
  }
  ASSERT_TRUE(tty_.BecomesKeyByKey());
  tty_.Type("\x1b");
  std::this_thread::sleep_for(50ms);
  tty_.Type("[A");
  const std::optional<int> status = End();
  ASSERT_TRUE(status.has_value()) << "the key did not end the wait";
  EXPECT_TRUE(ExitedWith(*status, 0)) << *status;
  EXPECT_TRUE(harness::SameSettings(tty_.Settings(), initial_));
  EXPECT_EQ(tty_.Unread(), "");
}

// A terminal that is not the program's controlling terminal has no job
// control, so the program is not in anyone's background there: it waits.
TEST_F(OnTerminal, WaitsOnATerminalThatIsNotItsControllingTerminal) {
  Run({.streams = {.controlling = false}});
  tty_.Read("Mozhno\r\n");
  ASSERT_TRUE(tty_.BecomesKeyByKey());
  EXPECT_TRUE(StillWaiting());
  tty_.Type("q");
  const std::optional<int> status = End();
  ASSERT_TRUE(status.has_value());
  EXPECT_TRUE(ExitedWith(*status, 0)) << *status;
  EXPECT_TRUE(harness::SameSettings(tty_.Settings(), initial_));
}

// With only one of its standard streams on the terminal there is no window
// to keep open: the program ends at once, reads nothing and leaves the
// terminal alone.
TEST_F(OnTerminal, DoesNotWaitWhenItsOutputIsCaptured) {
  Run({.streams = {.outputToPipe = true}, .typedAhead = "q"});
  const std::optional<int> status = End();
  ASSERT_TRUE(status.has_value()) << "waited with its output going into a pipe";
  EXPECT_TRUE(ExitedWith(*status, 0)) << *status;
  std::array<char, 16> out{};
  EXPECT_EQ(read(program_.OutputReader(), out.data(), out.size()), 7);
  EXPECT_EQ(std::string(out.data(), 7), "Mozhno\n");
  EXPECT_TRUE(harness::SameSettings(tty_.Settings(), initial_));
  EXPECT_EQ(tty_.Unread(), "q");
}

TEST_F(OnTerminal, DoesNotWaitWhenItsInputIsAPipe) {
  Run({.streams = {.inputFromPipe = true}, .typedAhead = "q"});
  // The terminal itself echoed the key typed ahead, in line mode.
  EXPECT_EQ(tty_.Read("Mozhno\r\n"), "qMozhno\r\n");
  const std::optional<int> status = End();
  ASSERT_TRUE(status.has_value()) << "waited on a pipe with no data in it";
  EXPECT_TRUE(ExitedWith(*status, 0)) << *status;
  EXPECT_TRUE(harness::SameSettings(tty_.Settings(), initial_));
  EXPECT_EQ(tty_.Unread(), "q");
}

}  // namespace
