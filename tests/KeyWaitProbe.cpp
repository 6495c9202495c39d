// SPDX-License-Identifier: MIT
// A test driver for the Windows key wait: it waits as the program does, then
// says whether anything of the key press was left unread, in the console or
// in the runtime's buffer of second codes.

#include <conio.h>

#include <cstdio>

#include "KeyWait.h"

int main() {
  std::puts("waiting");
  std::fflush(stdout);
  WaitForKeyPress();
  if (_kbhit() != 0) {
    std::printf("left unread: %d\n", _getch());
    return 3;
  }
  std::puts("nothing left");
  return 0;
}
