#include "Colors.h"

#include <array>

#ifdef _WIN32
#include "WinApi.h"
#endif

namespace quillfen::vcl {

#ifdef _WIN32

TColor ColorToRGB(TColor color) {
  if (!IsSystemColor(color)) return color;
  return static_cast<TColor>(GetSysColor(color & 0xFF));
}

#else

namespace {
// The classic "Windows Standard" scheme, indexed by COLOR_*.
constexpr std::array<TColor, 31> kDefaultSystemColors = {
    RGBColor(212, 208, 200),  // scroll bar
    RGBColor(58, 110, 165),   // background
    RGBColor(10, 36, 106),    // active caption
    RGBColor(128, 128, 128),  // inactive caption
    RGBColor(212, 208, 200),  // menu
    RGBColor(255, 255, 255),  // window
    RGBColor(0, 0, 0),        // window frame
    RGBColor(0, 0, 0),        // menu text
    RGBColor(0, 0, 0),        // window text
    RGBColor(255, 255, 255),  // caption text
    RGBColor(212, 208, 200),  // active border
    RGBColor(212, 208, 200),  // inactive border
    RGBColor(128, 128, 128),  // application workspace
    RGBColor(10, 36, 106),    // highlight
    RGBColor(255, 255, 255),  // highlight text
    RGBColor(212, 208, 200),  // button face
    RGBColor(128, 128, 128),  // button shadow
    RGBColor(128, 128, 128),  // gray text
    RGBColor(0, 0, 0),        // button text
    RGBColor(212, 208, 200),  // inactive caption text
    RGBColor(255, 255, 255),  // button highlight
    RGBColor(64, 64, 64),     // 3-D dark shadow
    RGBColor(212, 208, 200),  // 3-D light
    RGBColor(0, 0, 0),        // info text
    RGBColor(255, 255, 225),  // info background
    RGBColor(181, 181, 181),  // alternate button face
    RGBColor(0, 0, 128),      // hot light
    RGBColor(166, 202, 240),  // gradient active caption
    RGBColor(192, 192, 192),  // gradient inactive caption
    RGBColor(10, 36, 106),    // menu highlight
    RGBColor(212, 208, 200),  // menu bar
};
}  // namespace

TColor ColorToRGB(TColor color) {
  if (!IsSystemColor(color)) return color;
  const unsigned index = static_cast<unsigned>(color & 0xFF);
  return index < kDefaultSystemColors.size() ? kDefaultSystemColors[index] : 0;
}

#endif

}  // namespace quillfen::vcl
