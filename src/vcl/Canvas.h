// The drawing surface that painting code is written against. Pen, brush and
// font are plain state read by every call; an implementation creates the
// matching device objects per call and releases them before it returns.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "Colors.h"
#include "Types.h"
#include "WinApi.h"

namespace quillfen::vcl {

enum class TPenStyle { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame };
enum class TBrushStyle {
  bsSolid, bsClear, bsHorizontal, bsVertical, bsFDiagonal, bsBDiagonal, bsCross, bsDiagCross,
  bsPattern  // the 8x8 monochrome Pattern below, in Color over the background colour
};

enum TFontStyle : unsigned { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };
using TFontStyles = unsigned;

struct TPenState {
  TColor Color = clBlack;
  int Width = 1;
  TPenStyle Style = TPenStyle::psSolid;
  friend bool operator==(const TPenState&, const TPenState&) = default;
};

struct TBrushState {
  TColor Color = clWhite;
  TBrushStyle Style = TBrushStyle::bsSolid;
  // Rows of an 8x8 monochrome pattern, bit 7 leftmost; set bits take Color,
  // clear bits PatternBackColor.
  std::uint8_t Pattern[8] = {0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55};
  TColor PatternBackColor = clWhite;
  friend bool operator==(const TBrushState&, const TBrushState&) = default;
};

enum class TFontCharset : std::uint8_t { Ansi = 0, Default = 1, Symbol = 2 };

struct TFontState {
  std::string Name = "MS Sans Serif";
  int Height = -11;  // negative: character height in pixels, as LOGFONT
  TColor Color = clWindowText;
  TFontStyles Style = 0;
  TFontCharset Charset = TFontCharset::Default;
  int Escapement = 0;  // tenths of a degree, counter-clockwise
  bool TrueTypeOnly = false;
  friend bool operator==(const TFontState&, const TFontState&) = default;
};

// Raster operations of the block copies and pattern fills (the Win32 values).
enum : std::uint32_t {
  ropSrcCopy = 0x00CC0020,
  ropSrcPaint = 0x00EE0086,
  ropSrcAnd = 0x008800C6,
  ropSrcInvert = 0x00660046,
  ropPatCopy = 0x00F00021,
  ropPatInvert = 0x005A0049,
  ropDstInvert = 0x00550009,
  ropBlackness = 0x00000042,
  ropWhiteness = 0x00FF0062,
};

// DrawText format flags (the Win32 values).
enum : unsigned {
  dtTop = 0x0, dtLeft = 0x0, dtCenter = 0x1, dtRight = 0x2, dtVCenter = 0x4, dtBottom = 0x8,
  dtWordBreak = 0x10, dtSingleLine = 0x20, dtExpandTabs = 0x40, dtNoClip = 0x100,
  dtCalcRect = 0x400, dtNoPrefix = 0x800, dtEndEllipsis = 0x8000, dtPathEllipsis = 0x4000,
  dtRtlReading = 0x20000,
};

enum class TBkMode { Opaque, Transparent };

class TCanvas {
 public:
  TCanvas() = default;
  TCanvas(const TCanvas&) = delete;
  TCanvas& operator=(const TCanvas&) = delete;
  virtual ~TCanvas() = default;

  TPenState Pen;
  TBrushState Brush;
  TFontState Font;

  // Lines use Pen; closed shapes are outlined with Pen and filled with Brush.
  virtual void MoveTo(int x, int y) = 0;
  virtual void LineTo(int x, int y) = 0;
  virtual TPoint PenPos() const = 0;
  virtual void Polyline(const std::vector<TPoint>& points) = 0;
  virtual void Polygon(const std::vector<TPoint>& points) = 0;
  // Arcs and pies run counter-clockwise from the radial through (x3, y3) to
  // the radial through (x4, y4), on the ellipse bounded by (x1, y1, x2, y2).
  virtual void Arc(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) = 0;
  virtual void Pie(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) = 0;
  virtual void Ellipse(int x1, int y1, int x2, int y2) = 0;
  virtual void Rectangle(int x1, int y1, int x2, int y2) = 0;
  virtual void RoundRect(int x1, int y1, int x2, int y2, int cornerWidth, int cornerHeight) = 0;

  // Brush only, no outline.
  virtual void FillRect(const TRect& rect) = 0;
  virtual void FrameRect(const TRect& rect) = 0;
  // Pattern fill of the rectangle at (x, y) with the given extent, passed on
  // unchanged, even when empty or negative.
  virtual void PatBlt(int x, int y, int width, int height, std::uint32_t rop) = 0;

  // Text uses Font; the cell background is Brush.Color unless the brush is clear.
  virtual void TextOut(int x, int y, const std::string& text) = 0;
  virtual void TextRect(const TRect& rect, int x, int y, const std::string& text) = 0;
  // Returns the text height; with dtCalcRect it only measures and widens rect.
  virtual int DrawText(const std::string& text, TRect& rect, unsigned format) = 0;
  virtual TPoint TextExtent(const std::string& text) = 0;
  int TextWidth(const std::string& text) { return TextExtent(text).X; }
  int TextHeight(const std::string& text) { return TextExtent(text).Y; }

  // Block copy from another canvas of the same implementation.
  virtual void BitBlt(int x, int y, int width, int height, TCanvas& source, int sourceX,
                      int sourceY, std::uint32_t rop) = 0;
  virtual void StretchBlt(int x, int y, int width, int height, TCanvas& source, int sourceX,
                          int sourceY, int sourceWidth, int sourceHeight, std::uint32_t rop) = 0;
  void CopyRect(const TRect& dest, TCanvas& source, const TRect& sourceRect) {
    StretchBlt(dest.Left, dest.Top, dest.Width(), dest.Height(), source, sourceRect.Left,
               sourceRect.Top, sourceRect.Width(), sourceRect.Height(), ropSrcCopy);
  }
  void Draw(int x, int y, TCanvas& source, int width, int height) {
    BitBlt(x, y, width, height, source, 0, 0, ropSrcCopy);
  }

  // An off-screen surface compatible with this one, freed with the pointer.
  virtual std::unique_ptr<TCanvas> CreateBuffer(int width, int height) = 0;
};

}  // namespace quillfen::vcl
