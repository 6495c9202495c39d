// SPDX-License-Identifier: MIT
#include <cerrno>
#include <cstring>
#include <iostream>

#include "KeyWait.h"
#include "Utmypoint.h"
#include "Utmyrectangle.h"

int main() {
  // The figure examined: to examine another, change these corners.
  TMyRectangle figure;
  figure.corners[0] = TMyPoint(0, 0);
  figure.corners[1] = TMyPoint(0, 3);
  figure.corners[2] = TMyPoint(3, 3);
  figure.corners[3] = TMyPoint(3, 0);

  errno = 0;
  std::cout << (figure.CanInscribeCircle() ? "Mozhno" : "Nel'zya") << std::endl;
  if (!std::cout) {
    // An answer that never reached its reader must not pass for success.
    const int error = errno;
    std::cerr << "incircle: cannot write the verdict";
    if (error != 0) {
      std::cerr << ": " << std::strerror(error);
    }
    std::cerr << '\n';
    return 1;
  }

  WaitForKeyPress();
  return 0;
}
