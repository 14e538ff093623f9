// Reading order of menus and controls: a mode of their own, or the one of
// the window they belong to.
#pragma once

#include <cstdint>

namespace quillfen::vcl {

enum class TBiDiMode { bdLeftToRight, bdRightToLeft, bdRightToLeftNoAlign, bdRightToLeftReadingOnly };

// The extended window styles that make a window read right to left.
constexpr std::uint32_t kExStyleRtlReading = 0x00002000;  // WS_EX_RTLREADING
constexpr std::uint32_t kExStyleLayoutRtl = 0x00400000;   // WS_EX_LAYOUTRTL

constexpr bool ReadsRightToLeft(TBiDiMode mode) { return mode != TBiDiMode::bdLeftToRight; }

// With parentBiDiMode the window decides (its extended style; 0 without a
// window), otherwise the menu's own mode.
constexpr bool MenuReadsRightToLeft(TBiDiMode own, bool parentBiDiMode, std::uint32_t windowExStyle) {
  if (!parentBiDiMode) return ReadsRightToLeft(own);
  return (windowExStyle & (kExStyleRtlReading | kExStyleLayoutRtl)) != 0;
}

}  // namespace quillfen::vcl
