// SPDX-License-Identifier: MIT
#include <conio.h>
#include <windows.h>

#include "KeyWait.h"

namespace {

// Only a real console handle has a console mode: a file, a pipe or NUL has
// none.
[[nodiscard]] bool IsConsole(DWORD standardHandle) noexcept {
  DWORD mode = 0;
  return GetConsoleMode(GetStdHandle(standardHandle), &mode) != 0;
}

}  // namespace

void WaitForKeyPress() noexcept {
  // _getch reads the console itself, not standard input, so it would wait
  // even in a pipeline; and with the answer redirected there is no window
  // to keep open.
  if (!IsConsole(STD_INPUT_HANDLE) || !IsConsole(STD_OUTPUT_HANDLE)) {
    return;
  }
  const int key = _getch();
  // A function or arrow key arrives as a prefix and a second code: both
  // belong to the one key press.
  if (key == 0 || key == 0xE0) {
    static_cast<void>(_getch());
  }
}
