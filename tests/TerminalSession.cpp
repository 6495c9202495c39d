// SPDX-License-Identifier: MIT
#include "TerminalSession.h"

#include <unistd.h>

#include <array>
#include <initializer_list>

namespace harness {

namespace {

void CloseAll(std::initializer_list<int> descriptors) {
  for (const int fd : descriptors) {
    if (fd >= 0) {
      close(fd);
    }
  }
}

}  // namespace

TerminalSession::~TerminalSession() {
  if (pid_ > 0 && !status_) {
    KillAndReap(pid_);
  }
  CloseAll({inputWriter_, outputReader_});
}

bool TerminalSession::Start(const std::vector<std::string>& command, const Streams& streams,
                            const std::function<void()>& inChild) {
  std::array<int, 2> in{streams.inputFile, -1};
  std::array<int, 2> out{-1, -1};
  if ((streams.inputFromPipe && pipe(in.data()) != 0) ||
      (streams.outputToPipe && pipe(out.data()) != 0)) {
    CloseAll({in[0], in[1], out[0], out[1]});
    return false;
  }
  pid_ = fork();
  if (pid_ == 0) {
    terminal_.BecomeSessionOn(in[0], out[1], -1, streams.controlling);
    CloseAll({in[0], in[1], out[0], out[1]});
    if (inChild) {
      inChild();
    }
    Exec(command);
  }
  CloseAll({in[0], out[1]});
  // The writer stays open, with no data, until the program has ended: a
  // program that read its input would wait as long.
  inputWriter_ = in[1];
  outputReader_ = out[0];
  return pid_ > 0;
}

std::optional<int> TerminalSession::End(std::chrono::milliseconds patience) {
  if (!status_ && pid_ > 0) {
    status_ = WaitFor(pid_, patience);
  }
  return status_;
}

}  // namespace harness
