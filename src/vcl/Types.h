// Points, rectangles and the framework's error classes.
#pragma once

#include <stdexcept>
#include <string>

namespace quillfen::vcl {

struct TPoint {
  int X = 0;
  int Y = 0;
  friend bool operator==(const TPoint&, const TPoint&) = default;
};

// Right and bottom are exclusive, as in Win32.
struct TRect {
  int Left = 0;
  int Top = 0;
  int Right = 0;
  int Bottom = 0;
  int Width() const { return Right - Left; }
  int Height() const { return Bottom - Top; }
  friend bool operator==(const TRect&, const TRect&) = default;
};

constexpr TPoint Point(int x, int y) { return TPoint{x, y}; }
constexpr TRect Rect(int left, int top, int right, int bottom) {
  return TRect{left, top, right, bottom};
}
constexpr TRect Bounds(int left, int top, int width, int height) {
  return TRect{left, top, left + width, top + height};
}
constexpr TRect InflateRect(TRect r, int dx, int dy) {
  return TRect{r.Left - dx, r.Top - dy, r.Right + dx, r.Bottom + dy};
}

// Base of the errors the framework raises; Message() is the text shown to users.
class Exception : public std::runtime_error {
 public:
  explicit Exception(const std::string& message) : std::runtime_error(message) {}
  std::string Message() const { return what(); }
};

class ERangeError : public Exception {
 public:
  using Exception::Exception;
};

class EInvalidCast : public Exception {
 public:
  EInvalidCast() : Exception("Invalid class typecast") {}
};

}  // namespace quillfen::vcl
