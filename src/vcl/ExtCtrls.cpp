#include "ExtCtrls.h"

namespace quillfen::vcl {

TImage::TImage(TComponent* owner) : TGraphicControl(owner) {
  SetBounds(0, 0, 105, 105);
  picture_.OnChange = [this] { PictureChanged(); };
}

void TImage::PictureChanged() {
  if (AutoSize && !picture_.Empty()) SetBounds(Left(), Top(), picture_.Width(), picture_.Height());
  Invalidate();
}

void TImage::Paint(TCanvas& canvas) {
  if (picture_.Empty()) return;
  TRect dest{0, 0, picture_.Width(), picture_.Height()};
  if (Stretch) {
    dest = ClientRect();
  } else if (Center) {
    const int dx = (Width() - picture_.Width()) / 2, dy = (Height() - picture_.Height()) / 2;
    dest = {dx, dy, dx + picture_.Width(), dy + picture_.Height()};
  }
  TGdiCanvas& source = picture_.Canvas();
  auto* target = dynamic_cast<TGdiCanvas*>(&canvas);
  if (Transparent && target) {
    const COLORREF key = ::GetPixel(source.Handle(), 0, picture_.Height() - 1);
    ::TransparentBlt(target->Handle(), dest.Left, dest.Top, dest.Width(), dest.Height(), source.Handle(),
                     0, 0, picture_.Width(), picture_.Height(), key);
    return;
  }
  canvas.CopyRect(dest, source, {0, 0, picture_.Width(), picture_.Height()});
}

TBevel::TBevel(TComponent* owner) : TGraphicControl(owner) { SetBounds(0, 0, 50, 50); }

void TBevel::SetShape(TBevelShape value) {
  if (value == shape_) return;
  shape_ = value;
  Invalidate();
}

void TBevel::SetStyle(TBevelStyle value) {
  if (value == style_) return;
  style_ = value;
  Invalidate();
}

void TBevel::Paint(TCanvas& canvas) {
  TColor first = style_ == TBevelStyle::bsLowered ? clBtnShadow : clBtnHighlight;
  TColor second = style_ == TBevelStyle::bsLowered ? clBtnHighlight : clBtnShadow;
  const int w = Width(), h = Height();
  auto line = [&](TColor color, int x1, int y1, int x2, int y2) {
    canvas.Pen.Color = color;
    canvas.Pen.Width = 1;
    canvas.Pen.Style = TPenStyle::psSolid;
    canvas.Polyline({{x1, y1}, {x2, y2}});
  };
  // Top-left edges in one colour, bottom-right in the other.
  auto bevelRect = [&](TRect r) {
    line(first, r.Left, r.Bottom, r.Left, r.Top);
    line(first, r.Left, r.Top, r.Right, r.Top);
    line(second, r.Right, r.Top, r.Right, r.Bottom);
    line(second, r.Right, r.Bottom, r.Left - 1, r.Bottom);
  };
  switch (shape_) {
    case TBevelShape::bsBox: bevelRect({0, 0, w - 1, h - 1}); break;
    case TBevelShape::bsFrame: {
      const TColor saved = first;
      first = second;
      bevelRect({1, 1, w - 1, h - 1});
      first = second = saved;
      bevelRect({0, 0, w - 2, h - 2});
      break;
    }
    case TBevelShape::bsTopLine: line(first, 0, 0, w, 0); line(second, 0, 1, w, 1); break;
    case TBevelShape::bsBottomLine: line(first, 0, h - 2, w, h - 2); line(second, 0, h - 1, w, h - 1); break;
    case TBevelShape::bsLeftLine: line(first, 0, 0, 0, h); line(second, 1, 0, 1, h); break;
    case TBevelShape::bsRightLine: line(first, w - 2, 0, w - 2, h); line(second, w - 1, 0, w - 1, h); break;
    case TBevelShape::bsSpacer: break;
  }
}

}  // namespace quillfen::vcl
