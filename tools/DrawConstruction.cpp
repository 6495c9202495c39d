// SPDX-License-Identifier: MIT
// Draws the figure test's construction as an SVG picture on standard output:
// a figure, the inner bisector of each corner, the two crossings that the
// test compares and, when they are one point, the inscribed circle. Every
// point comes from the library's own constructions (BisectorPoint,
// MeetingPoint) and the verdict from CanInscribeCircle, so the pictures in
// docs/ show what the code does; a test redraws them and compares.
//
//   incircle_pictures square     the 3 by 3 square of the program
//   incircle_pictures rectangle  the 4 by 2 rectangle
//
// Coordinates are written with one decimal: the pictures must come out byte
// for byte alike from every compiler and CPU, and a last-bit difference in a
// coordinate cannot reach the first decimal of a pixel.

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

#include "Utmypoint.h"
#include "Utmyrectangle.h"

namespace {

constexpr double kPixelsPerUnit = 60.0;
constexpr double kMarginUnits = 1.0;

// One decimal, and never "-0.0".
std::string Fixed(double value) {
  std::array<char, 32> text{};
  const double rounded = std::round(value * 10.0) / 10.0;
  std::snprintf(text.data(), text.size(), "%.1f", rounded == 0.0 ? 0.0 : rounded);
  return text.data();
}

class Canvas {
 public:
  explicit Canvas(const std::array<TMyPoint, 4>& corners)
      : lowest_(corners[0]), highest_(corners[0]) {
    for (const TMyPoint p : corners) {
      lowest_ = {std::min(lowest_.x, p.x), std::min(lowest_.y, p.y)};
      highest_ = {std::max(highest_.x, p.x), std::max(highest_.y, p.y)};
    }
  }

  [[nodiscard]] double Width() const {
    return (highest_.x - lowest_.x + 2 * kMarginUnits) * kPixelsPerUnit;
  }
  [[nodiscard]] double Height() const {
    return (highest_.y - lowest_.y + 2 * kMarginUnits) * kPixelsPerUnit + kCaptionPixels;
  }
  // y grows upwards in the plane and downwards on the page.
  [[nodiscard]] double PixelX(TMyPoint p) const {
    return (p.x - lowest_.x + kMarginUnits) * kPixelsPerUnit;
  }
  [[nodiscard]] double PixelY(TMyPoint p) const {
    return (highest_.y - p.y + kMarginUnits) * kPixelsPerUnit;
  }
  [[nodiscard]] std::string X(TMyPoint p) const { return Fixed(PixelX(p)); }
  [[nodiscard]] std::string Y(TMyPoint p) const { return Fixed(PixelY(p)); }
  [[nodiscard]] std::string At(TMyPoint p, std::string_view xName, std::string_view yName) const {
    return std::string(xName) + "=\"" + X(p) + "\" " + std::string(yName) + "=\"" + Y(p) + "\"";
  }

  static constexpr double kCaptionPixels = 30.0;

 private:
  TMyPoint lowest_;
  TMyPoint highest_;
};

void Line(const Canvas& canvas, TMyPoint from, TMyPoint to, std::string_view style) {
  std::printf("  <line %s %s %s/>\n", canvas.At(from, "x1", "y1").c_str(),
              canvas.At(to, "x2", "y2").c_str(), std::string(style).c_str());
}

void Dot(const Canvas& canvas, TMyPoint at, double radius, std::string_view style) {
  std::printf("  <circle %s r=\"%s\" %s/>\n", canvas.At(at, "cx", "cy").c_str(),
              Fixed(radius).c_str(), std::string(style).c_str());
}

void Label(const Canvas& canvas, TMyPoint at, double dx, double dy, std::string_view text,
           std::string_view style) {
  std::printf("  <text x=\"%s\" y=\"%s\" %s>%s</text>\n", Fixed(canvas.PixelX(at) + dx).c_str(),
              Fixed(canvas.PixelY(at) + dy).c_str(), std::string(style).c_str(),
              std::string(text).c_str());
}

// The farther of two points from a corner, so that a bisector is drawn on
// to its bisector point and to the crossing it takes part in.
TMyPoint Farther(TMyPoint corner, TMyPoint a, TMyPoint b) {
  return corner.DistanceTo(a) >= corner.DistanceTo(b) ? a : b;
}

int Draw(const std::array<TMyPoint, 4>& c, std::string_view title) {
  TMyRectangle figure;
  figure.corners = c;
  const bool inscribable = figure.CanInscribeCircle();

  std::array<TMyPoint, 4> bisectorPoints;
  for (std::size_t i = 0; i < 4; ++i) {
    bisectorPoints[i] = BisectorPoint(c[i], c[(i + 3) % 4], c[(i + 1) % 4]);
  }
  const std::optional<TMyPoint> crossing03 =
      MeetingPoint(c[0], bisectorPoints[0], c[3], bisectorPoints[3]);
  const std::optional<TMyPoint> crossing12 =
      MeetingPoint(c[1], bisectorPoints[1], c[2], bisectorPoints[2]);
  if (!crossing03 || !crossing12) {
    std::fprintf(stderr, "incircle_pictures: the bisectors do not cross\n");
    return 1;
  }
  const std::array<TMyPoint, 4> crossingOf = {*crossing03, *crossing12, *crossing12, *crossing03};

  const Canvas canvas(c);
  std::printf(
      "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%s\" height=\"%s\" "
      "viewBox=\"0 0 %s %s\" font-family=\"sans-serif\" font-size=\"14\">\n",
      Fixed(canvas.Width()).c_str(), Fixed(canvas.Height()).c_str(), Fixed(canvas.Width()).c_str(),
      Fixed(canvas.Height()).c_str());
  std::printf("  <title>%s</title>\n", std::string(title).c_str());
  std::printf("  <rect width=\"100%%\" height=\"100%%\" fill=\"white\"/>\n");

  std::string outline;
  for (const TMyPoint p : c) {
    outline += (outline.empty() ? "" : " ") + canvas.X(p) + "," + canvas.Y(p);
  }
  std::printf("  <polygon points=\"%s\" fill=\"#eef3fb\" stroke=\"#1f3b73\" stroke-width=\"2\"/>\n",
              outline.c_str());

  if (inscribable) {
    // The radius is the crossing's distance from side 0, which a circle
    // touching all four sides shares with the others.
    const TMyPoint side = c[1] - c[0];
    const double radius = std::fabs(Cross(side, *crossing03 - c[0])) / side.Length();
    Dot(canvas, *crossing03, radius * kPixelsPerUnit,
        R"(fill="none" stroke="#2a8a3e" stroke-width="2")");
  }

  for (std::size_t i = 0; i < 4; ++i) {
    Line(canvas, c[i], Farther(c[i], bisectorPoints[i], crossingOf[i]),
         R"(stroke="#7a7a7a" stroke-width="1.5" stroke-dasharray="6 4")");
    Dot(canvas, bisectorPoints[i], 3.5, "fill=\"#7a7a7a\"");
  }

  // Corner numbers, set diagonally outside the figure, away from its centre.
  const TMyPoint centre = (c[0] + c[1] + c[2] + c[3]) * 0.25;
  for (std::size_t i = 0; i < 4; ++i) {
    const TMyPoint outwards = c[i] - centre;
    const double dx = outwards.x < 0.0 ? -16.0 : 8.0;
    const double dy = outwards.y < 0.0 ? 18.0 : -8.0;
    Label(canvas, c[i], dx, dy, std::to_string(i), "fill=\"#1f3b73\"");
  }

  const std::string_view crossingStyle = "fill=\"#c0392b\"";
  if (inscribable) {
    Dot(canvas, *crossing03, 5.0, crossingStyle);
    // Right of the crossing, between the diagonals, where no line runs.
    Label(canvas, *crossing03, 10.0, 5.0, "I1 = I2", crossingStyle);
  } else {
    Dot(canvas, *crossing03, 5.0, crossingStyle);
    Dot(canvas, *crossing12, 5.0, crossingStyle);
    Label(canvas, *crossing03, 8.0, -8.0, "I1 (corners 0, 3)", crossingStyle);
    Label(canvas, *crossing12, 8.0, -8.0, "I2 (corners 1, 2)", crossingStyle);
  }
  std::printf(
      "  <text x=\"10.0\" y=\"%s\">%s</text>\n", Fixed(canvas.Height() - 10.0).c_str(),
      inscribable ? "Mozhno: I1 = I2, a circle fits" : "Nel&apos;zya: the two crossings lie apart");
  std::printf("</svg>\n");
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string_view which = argc == 2 ? argv[1] : "";
  if (which == "square") {
    return Draw({TMyPoint(0, 0), TMyPoint(0, 3), TMyPoint(3, 3), TMyPoint(3, 0)},
                "The 3 by 3 square: four bisectors, one crossing, the inscribed circle");
  }
  if (which == "rectangle") {
    return Draw({TMyPoint(0, 0), TMyPoint(0, 2), TMyPoint(4, 2), TMyPoint(4, 0)},
                "The 4 by 2 rectangle: the crossings of the bisectors lie apart");
  }
  std::fprintf(stderr, "usage: incircle_pictures square|rectangle\n");
  return 2;
}
