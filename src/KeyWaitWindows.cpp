#include <conio.h>
#include <windows.h>

#include "KeyWait.h"

void WaitForKeyPress() noexcept {
  // _getch reads the console itself, not standard input, so it would wait
  // even in a pipeline; only a real console input handle has a console mode.
  DWORD mode = 0;
  if (GetConsoleMode(GetStdHandle(STD_INPUT_HANDLE), &mode) == 0) {
    return;
  }
  const int key = _getch();
  // A function or arrow key arrives as a prefix and a second code: both
  // belong to the one key press.
  if (key == 0 || key == 0xE0) {
    static_cast<void>(_getch());
  }
}
