#include "rmGauge.h"

#include <climits>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "Math.h"
#include "Types.h"

namespace quillfen::widgets {

using vcl::clBlack;
using vcl::clBtnFace;
using vcl::ColorToRGB;
using vcl::MulDiv;
using vcl::TPoint;
using vcl::TRect;

namespace {

constexpr long double kPi = 3.141592653589793238462643383279502884L;
// Each slice of a dial reaches this far into the next, so no seams show.
constexpr long double kSliceOverlap = 0.027L;

TColor Blend(TColor from, TColor to, int k, int steps) {
  const TColor a = ColorToRGB(from);
  const TColor b = ColorToRGB(to);
  auto channel = [&](int fromValue, int toValue) {
    return (fromValue + MulDiv(k, toValue - fromValue, steps)) & 0xFF;
  };
  return vcl::RGBColor(channel(vcl::RedOf(a), vcl::RedOf(b)),
                       channel(vcl::GreenOf(a), vcl::GreenOf(b)),
                       channel(vcl::BlueOf(a), vcl::BlueOf(b)));
}

int Coord(std::int64_t value) {
  if (value > INT_MAX) return INT_MAX;
  if (value < INT_MIN) return INT_MIN;
  return static_cast<int>(value);
}

int RoundCoord(long double value) { return Coord(vcl::Round(static_cast<double>(value))); }

// Toward zero in extended precision: a product just below a whole number
// must not round up to it on the way to a double.
int TruncCoord(long double value) {
  const long double cut = std::trunc(value);
  if (!(cut < static_cast<long double>(INT_MAX))) return INT_MAX;
  if (!(cut > static_cast<long double>(INT_MIN))) return INT_MIN;
  return static_cast<int>(cut);
}

void SetPenAndBrush(TCanvas& canvas, TColor color) {
  canvas.Pen.Color = color;
  canvas.Pen.Width = 1;
  canvas.Pen.Style = vcl::TPenStyle::psSolid;
  canvas.Brush.Color = color;
  canvas.Brush.Style = vcl::TBrushStyle::bsSolid;
}

void SetSolidBrush(TCanvas& canvas, TColor color) {
  canvas.Brush.Color = color;
  canvas.Brush.Style = vcl::TBrushStyle::bsSolid;
}

void SetPen(TCanvas& canvas, TColor color) {
  canvas.Pen.Color = color;
  canvas.Pen.Width = 1;
  canvas.Pen.Style = vcl::TPenStyle::psSolid;
}

// Point on a dial for the angle a: (1 - cos a) * rx, (1 - sin a) * ry.
TPoint DialPoint(long double a, int rx, int ry) {
  return {RoundCoord((1.0L - vcl::CosExt(a)) * rx), RoundCoord((1.0L - vcl::SinExt(a)) * ry)};
}

TPoint PaintRect(TCanvas& c, int w, int h, const TGaugeState& s, bool horizontal) {
  const TBorderColors border = GetBorderColors(s.Border);
  TRect r{0, 0, w, h};
  if (s.Border != gbNone) {
    SetPen(c, border.TopLeft);
    c.Polyline({{w - 1, 0}, {0, 0}, {0, h - 1}});
    SetPen(c, border.BottomRight);
    c.Polyline({{0, h - 1}, {w - 1, h - 1}, {w - 1, 0}});
    r = vcl::InflateRect(r, -1, -1);
  }
  SetSolidBrush(c, clBtnFace);
  c.FillRect(r);
  if (!s.GradientFill) {
    if (horizontal)
      r.Right = r.Left + r.Width() * s.Percent / 100;
    else
      r.Top = r.Bottom - r.Height() * s.Percent / 100;
    SetSolidBrush(c, s.FillColor);
    c.FillRect(r);
    return {w, h};
  }
  const int length = r.Width();
  const int height = r.Height();
  for (int i = 0; i < s.Percent; ++i) {
    const TRect band =
        horizontal ? TRect{r.Left + MulDiv(i, length, 100), r.Top, r.Left + MulDiv(i + 1, length, 100), r.Bottom}
                   : TRect{r.Left, r.Bottom - MulDiv(i + 1, height, 100), r.Right, r.Bottom - MulDiv(i, height, 100)};
    SetSolidBrush(c, GetGradientColor(s, i + 1));
    c.PatBlt(band.Left, band.Top, band.Width(), band.Height(), vcl::ropPatCopy);
  }
  return {w, h};
}

TPoint PaintTriangle(TCanvas& c, int w, int h, const TGaugeState& s) {
  SetPenAndBrush(c, clBtnFace);
  c.Polygon({{w - 1, 0}, {0, h - 1}, {w - 1, h - 1}});
  if (s.Percent > 0) {
    const long double angle = std::atan(static_cast<long double>(h) / w);
    const long double slope = vcl::TanExt(angle);
    auto wedge = [&](long double x) {
      const int right = RoundCoord(x);
      c.Polygon({{0, h - 1}, {right, h - 1}, {right, Coord(static_cast<std::int64_t>(h) - TruncCoord(slope * x))}});
    };
    if (s.GradientFill) {
      // Largest first, so each smaller triangle lies over it.
      for (int i = s.Percent; i >= 1; --i) {
        SetPenAndBrush(c, GetGradientColor(s, i));
        wedge(static_cast<long double>(w - 1) * i / 100);
      }
    } else {
      SetPenAndBrush(c, s.FillColor);
      wedge(static_cast<long double>(w - 1) * s.Percent / 100);
    }
  }
  if (s.Border != gbNone) {
    const TBorderColors border = GetBorderColors(s.Border);
    SetPen(c, border.TopLeft);
    c.MoveTo(w - 1, 0);
    c.LineTo(0, h - 1);
    SetPen(c, border.BottomRight);
    c.Polyline({{0, h - 1}, {w - 1, h - 1}, {w - 1, 0}});
  }
  return {w, h};
}

TPoint PaintArc(TCanvas& c, int w, int h, const TGaugeState& s) {
  const int boxRight = w - 1;
  const int boxBottom = 2 * h - 1;
  const int rx = w / 2 - 1;
  const int ry = h - 1;
  SetPenAndBrush(c, clBtnFace);
  c.Pie(0, 0, boxRight, boxBottom, w - 1, h - 1, 0, h - 1);
  if (s.Percent > 0) {
    if (s.GradientFill) {
      TPoint previous{0, h - 1};
      for (int i = 1; i <= s.Percent; ++i) {
        SetPenAndBrush(c, GetGradientColor(s, i));
        const long double a = static_cast<long double>(i) / 100 * kPi;
        const long double e = i < s.Percent ? kSliceOverlap : 0.0L;
        const TPoint next = DialPoint(a + e, rx, ry);
        c.Pie(0, 0, boxRight, boxBottom, next.X, next.Y, previous.X, previous.Y);
        previous = DialPoint(a, rx, ry);
      }
    } else {
      SetPen(c, clBlack);
      SetSolidBrush(c, s.FillColor);
      const TPoint end = DialPoint(static_cast<long double>(s.Percent) / 100 * kPi, rx, ry);
      c.Pie(0, 0, boxRight, boxBottom, end.X, end.Y, 0, h - 1);
    }
  }
  if (s.Border != gbNone) {
    const TBorderColors border = GetBorderColors(s.Border);
    SetPen(c, border.TopLeft);
    c.Arc(0, 0, boxRight, boxBottom, w - 1, 0, 0, boxBottom);
    SetPen(c, border.BottomRight);
    c.Arc(0, 0, boxRight, boxBottom, 0, boxBottom, w - 1, 0);
    c.MoveTo(0, h - 1);
    c.LineTo(w - 1, h - 1);
  }
  return {w - 1, h};
}

TPoint PaintEllipse(TCanvas& c, int w, int h, const TGaugeState& s) {
  const int rx = w / 2 - 1;
  const int ry = h / 2 - 1;
  SetPenAndBrush(c, clBtnFace);
  c.Ellipse(0, 0, w - 1, h - 1);
  if (s.Percent > 0) {
    if (s.GradientFill) {
      TPoint previous{0, h / 2 - 1};
      for (int i = 1; i <= s.Percent; ++i) {
        SetPenAndBrush(c, GetGradientColor(s, i));
        const long double a = static_cast<long double>(i) / 100 * 2 * kPi;
        const long double e = i < s.Percent ? kSliceOverlap : 0.0L;
        const TPoint next = DialPoint(a + e, rx, ry);
        c.Pie(0, 0, w - 1, h - 1, next.X, next.Y, previous.X, previous.Y);
        previous = DialPoint(a, rx, ry);
      }
    } else {
      SetPen(c, clBlack);
      SetSolidBrush(c, s.FillColor);
      const TPoint end = DialPoint(static_cast<long double>(s.Percent) / 100 * 2 * kPi, rx, ry);
      c.Pie(0, 0, w - 1, h - 1, end.X, end.Y, 0, h / 2 - 1);
    }
  }
  if (s.Border != gbNone) {
    const TBorderColors border = GetBorderColors(s.Border);
    SetPen(c, border.TopLeft);
    c.Arc(0, 0, w - 1, h - 1, w - 1, 0, 0, h - 1);
    SetPen(c, border.BottomRight);
    c.Arc(0, 0, w - 1, h - 1, 0, h - 1, w, 0);
  }
  return {w - 1, h - 1};
}

TPoint PaintPole(TCanvas& c, int w, int h, const TGaugeState& s) {
  constexpr int kRings = 7;
  SetPen(c, clBlack);
  c.MoveTo(w - 1, 0);
  c.LineTo(0, 0);
  c.LineTo(0, h - 1);
  c.LineTo(w - 1, h - 1);
  TRect column{w - 19, 1, w - 4, h - 1};
  SetSolidBrush(c, clBtnFace);
  c.FillRect(column);
  column.Top = (h - 1) - RoundCoord(static_cast<long double>(h - 2) * s.Percent / 100);
  for (int i = 1; i <= kRings; ++i) {
    if (s.Percent < i) continue;
    SetSolidBrush(c, GetStepColor(s.GradientColor, s.FillColor, i, kRings));
    c.PatBlt(column.Left, column.Top, column.Width(), column.Height(), vcl::ropPatCopy);
    column = vcl::InflateRect(column, -1, -1);
  }
  return {w - 1, h};
}

}  // namespace

TBorderColors GetBorderColors(TGaugeBorder border) {
  switch (border) {
    case gbSingle: return {vcl::clWindowFrame, vcl::clWindowFrame};
    case gbRaised: return {vcl::clBtnHighlight, vcl::clBtnShadow};
    case gbLowered: return {vcl::clBtnShadow, vcl::clBtnHighlight};
    case gbNone: break;
  }
  return {clBtnFace, clBtnFace};
}

TColor GetGradientColor(const TGaugeState& state, int index) {
  if (index < 1 || index > 100)
    throw vcl::ERangeError("ColorIndex can't be less than 1 or greater than 100");
  if (!state.UseMedianColor) return Blend(state.FillColor, state.GradientColor, index - 1, 99);
  if (index <= 50) return Blend(state.FillColor, state.MedianColor, index - 1, 49);
  return Blend(state.MedianColor, state.GradientColor, index - 51, 49);
}

TColor GetStepColor(TColor from, TColor to, int index, int count) {
  if (index < 1 || count < index)
    throw vcl::ERangeError("ColorIndex can't be less than 1 or greater than " +
                           std::to_string(count));
  // A single step is the start colour; MulDiv by zero would answer -1.
  if (count == 1) return Blend(from, from, 0, 1);
  return Blend(from, to, index - 1, count - 1);
}

void PaintGauge(TCanvas& canvas, int width, int height, const TGaugeState& state) {
  using Painter = TPoint (*)(TCanvas&, int, int, const TGaugeState&);
  static constexpr Painter kPainters[] = {
      PaintTriangle,
      [](TCanvas& c, int w, int h, const TGaugeState& s) { return PaintRect(c, w, h, s, false); },
      [](TCanvas& c, int w, int h, const TGaugeState& s) { return PaintRect(c, w, h, s, true); },
      PaintEllipse,
      PaintArc,
      PaintPole,
  };
  const int shape = static_cast<int>(state.Shape);
  if (shape < 0 || shape >= static_cast<int>(std::size(kPainters))) return;
  // No device bitmap has an empty extent.
  if (width <= 0 || height <= 0) return;

  std::unique_ptr<TCanvas> buffer = canvas.CreateBuffer(width, height);
  SetSolidBrush(*buffer, clBtnFace);
  buffer->FillRect({0, 0, width - 1, height - 1});
  const TPoint copySize = kPainters[shape](*buffer, width, height, state);
  canvas.BitBlt(0, 0, copySize.X, copySize.Y, *buffer, 0, 0, vcl::ropSrcCopy);
}

template <typename T>
TGaugeUpdate TGaugeProperties::Store(T& field, T value, TGaugeUpdate update) {
  if (field == value) return TGaugeUpdate::None;
  field = value;
  return update;
}

TGaugeUpdate TGaugeProperties::SetBorder(TGaugeBorder value) {
  return Store(state_.Border, value, TGaugeUpdate::Invalidate);
}
TGaugeUpdate TGaugeProperties::SetShape(TGaugeShape value) {
  return Store(state_.Shape, value, TGaugeUpdate::Invalidate);
}
TGaugeUpdate TGaugeProperties::SetGradientFill(bool value) {
  return Store(state_.GradientFill, value, TGaugeUpdate::Invalidate);
}
TGaugeUpdate TGaugeProperties::SetPercent(int value) {
  if (value < 0 || value > 100) return TGaugeUpdate::None;
  return Store(state_.Percent, value, TGaugeUpdate::PaintNowAndNotify);
}
TGaugeUpdate TGaugeProperties::SetFillColor(TColor value) {
  return Store(state_.FillColor, value, TGaugeUpdate::PaintNow);
}
TGaugeUpdate TGaugeProperties::SetGradientColor(TColor value) {
  return Store(state_.GradientColor, value, TGaugeUpdate::PaintNow);
}
TGaugeUpdate TGaugeProperties::SetMedianColor(TColor value) {
  return Store(state_.MedianColor, value, TGaugeUpdate::PaintNow);
}
TGaugeUpdate TGaugeProperties::SetUseMedianColor(bool value) {
  return Store(state_.UseMedianColor, value, TGaugeUpdate::PaintNow);
}

#ifdef _WIN32

TrmGauge::TrmGauge(vcl::TComponent* owner) : TGraphicControl(owner) {
  SetBounds(Left(), Top(), 100, 50);
}

void TrmGauge::Paint(TCanvas& canvas) { PaintGauge(canvas, Width(), Height(), props_.State()); }

void TrmGauge::Apply(TGaugeUpdate update) {
  switch (update) {
    case TGaugeUpdate::None: return;
    case TGaugeUpdate::Invalidate: Invalidate(); return;
    case TGaugeUpdate::PaintNow: PaintNow(); return;
    case TGaugeUpdate::PaintNowAndNotify:
      PaintNow();
      if (OnChange) OnChange(this);
      return;
  }
}

#endif

}  // namespace quillfen::widgets
