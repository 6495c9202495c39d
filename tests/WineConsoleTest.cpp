// SPDX-License-Identifier: MIT
// The Windows program in a console, as a console window runs it. Started
// under Wine on a pseudo-terminal, it gets a real console from Wine, whose
// keyboard is this test's typing; Wine draws the console's text on the
// terminal with escape sequences around it, so the tests compare the text.

#include <gtest/gtest.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>

#include "PseudoTerminal.h"
#include "TerminalSession.h"

namespace {

using namespace std::chrono_literals;
using harness::ExitedWith;

constexpr const char* kEmulator = INCIRCLE_EMULATOR;
constexpr const char* kProgram = INCIRCLE_PROGRAM;
constexpr const char* kKeyProbe = INCIRCLE_KEY_PROBE;

// Wine may have to start its server, or on the first run create its prefix.
constexpr auto kWineStart = 90s;

// How long a program that waits is seen waiting before the key comes.
constexpr auto kStillWaiting = 1500ms;

enum class Input { kConsole, kFile, kPipeHeldOpen };

class InWineConsole : public testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(tty_.IsOpen()) << std::strerror(errno); }

  void Run(const char* program, Input input = Input::kConsole, bool outputToPipe = false) {
    harness::Streams streams{.inputFromPipe = input == Input::kPipeHeldOpen,
                             .outputToPipe = outputToPipe};
    if (input == Input::kFile) {
      std::string path = "/tmp/incircle-console-input-XXXXXX";
      streams.inputFile = mkstemp(path.data());
      ASSERT_GE(streams.inputFile, 0);
      unlink(path.c_str());
      ASSERT_EQ(write(streams.inputFile, "q\n", 2), 2);
      lseek(streams.inputFile, 0, SEEK_SET);
    }
    ASSERT_TRUE(program_.Start({kEmulator, program}, streams)) << std::strerror(errno);
    tty_.CloseTerminalEnd();
  }

  // The program's status once it has ended, asked again as often as needed.
  std::optional<int> End(std::chrono::milliseconds patience) { return program_.End(patience); }

  // The text on the screen once `expected` has appeared in it.
  std::string Screen(const std::string& expected) { return tty_.ReadText(expected, kWineStart); }

  // The verdict on the screen, then the end at once, status 0.
  void ExpectNoWaitWithInputFrom(Input input, const std::string& source) {
    Run(kProgram, input);
    EXPECT_NE(Screen("Mozhno\n").find("Mozhno\n"), std::string::npos) << tty_.ReadText("", 0ms);
    const std::optional<int> status = End(kWineStart);
    ASSERT_TRUE(status.has_value()) << "waited with its input from " << source;
    EXPECT_TRUE(ExitedWith(*status, 0)) << *status;
  }

  // What the screen shows after the verdict line: a key echoed would be there.
  std::string AfterTheVerdict() {
    const std::string text = tty_.ReadText("\x1b never", 300ms);
    const std::size_t verdict = text.find("Mozhno\n");
    return verdict == std::string::npos ? text : text.substr(verdict + 7);
  }

  // Items 1 to 3 of a console window's life: the verdict, a wait that lasts,
  // a key that ends it.
  void ExpectTheVerdictAndAWait() {
    ASSERT_NE(Screen("Mozhno\n").find("Mozhno\n"), std::string::npos)
        << "no verdict on the screen: " << tty_.ReadText("", 0ms);
    EXPECT_FALSE(End(kStillWaiting).has_value()) << "ended before a key was pressed";
  }

  harness::PseudoTerminal tty_;
  harness::TerminalSession program_{tty_};
};

TEST_F(InWineConsole, ShowsTheVerdictAndALetterKeyEndsTheWaitUnechoed) {
  Run(kProgram);
  ExpectTheVerdictAndAWait();
  tty_.Type("q");
  const std::optional<int> status = End(harness::kPatience);
  ASSERT_TRUE(status.has_value()) << "a key press did not end the wait";
  EXPECT_TRUE(ExitedWith(*status, 0)) << *status;
  EXPECT_EQ(AfterTheVerdict().find('q'), std::string::npos) << "the key was echoed";
}

// The terminal's escape sequence of an arrow key reaches the program as one
// key press: a prefix and a second code.
TEST_F(InWineConsole, AnArrowKeyEndsTheWaitUnechoed) {
  Run(kProgram);
  ExpectTheVerdictAndAWait();
  tty_.Type("\x1b[A");
  const std::optional<int> status = End(harness::kPatience);
  ASSERT_TRUE(status.has_value()) << "an arrow key did not end the wait";
  EXPECT_TRUE(ExitedWith(*status, 0)) << *status;
  EXPECT_EQ(AfterTheVerdict().find_first_not_of("\n "), std::string::npos)
      << "something of the key was echoed: " << AfterTheVerdict();
}

// Both codes are taken: none is left for whatever reads the console next.
TEST_F(InWineConsole, AnArrowKeyLeavesNothingUnread) {
  Run(kKeyProbe);
  ASSERT_NE(Screen("waiting\n").find("waiting\n"), std::string::npos) << tty_.ReadText("", 0ms);
  tty_.Type("\x1b[A");
  const std::string screen = Screen("left");
  EXPECT_NE(screen.find("nothing left"), std::string::npos) << screen;
  const std::optional<int> status = End(harness::kPatience);
  ASSERT_TRUE(status.has_value());
  EXPECT_TRUE(ExitedWith(*status, 0)) << *status;
}

// With a console present but standard input or output redirected, there is
// nothing to keep open: the program ends at once, status 0, reading nothing.
TEST_F(InWineConsole, DoesNotWaitWithInputFromAFile) {
  ExpectNoWaitWithInputFrom(Input::kFile, "a file");
}

TEST_F(InWineConsole, DoesNotWaitWithInputFromAPipe) {
  ExpectNoWaitWithInputFrom(Input::kPipeHeldOpen, "a pipe");
}

TEST_F(InWineConsole, DoesNotWaitWithOutputToAPipe) {
  Run(kProgram, Input::kConsole, true);
  const std::optional<int> status = End(kWineStart);
  ASSERT_TRUE(status.has_value()) << "waited with its output going into a pipe";
  EXPECT_TRUE(ExitedWith(*status, 0)) << *status;
  std::array<char, 16> out{};
  EXPECT_EQ(read(program_.OutputReader(), out.data(), out.size()), 8);
  EXPECT_EQ(std::string(out.data(), 8), "Mozhno\r\n");
}

}  // namespace
