// SPDX-License-Identifier: MIT
// Calls every out-of-line function of the library through the installed
// headers alone, so that a header left out of the install, a public header
// that needs an internal one, or a function the shared library does not
// export fails to compile, link or run.
#include <incircle/Utmypoint.h>
#include <incircle/Utmyrectangle.h>

#include <cstdio>
#include <optional>

int main() {
  TMyRectangle square;
  square.corners = {TMyPoint(0, 0), TMyPoint(0, 3), TMyPoint(3, 3), TMyPoint(3, 0)};
  TMyRectangle dart;
  dart.corners = {TMyPoint(0, 0), TMyPoint(2, 1), TMyPoint(4, 0), TMyPoint(2, 3)};

  const std::optional<TMyPoint> crossing =
      MeetingPoint(TMyPoint(0, 0), TMyPoint(1, 1), TMyPoint(0, 2), TMyPoint(1, 1));
  const TMyPoint onBisector = BisectorPoint(TMyPoint(0, 0), TMyPoint(4, 0), TMyPoint(0, 4));

  const bool right = square.CanInscribeCircle() && !dart.CanInscribeCircle() &&
                     crossing == TMyPoint(1, 1) && onBisector == TMyPoint(2, 2) &&
                     !MeetingPoint(TMyPoint(0, 0), TMyPoint(1, 1), TMyPoint(0, 1), TMyPoint(2, 3));
  std::puts(right ? "incircle consumer: the library answers rightly"
                  : "incircle consumer: WRONG answers from the library");
  return right ? 0 : 1;
}
