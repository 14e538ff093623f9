// The portable half of XPMenu: colour arithmetic, working colours, the menu
// measure and layout rules, the check mark and the control bar band.
#include "XPMenu.h"

#include <algorithm>

#include "Math.h"

namespace quillfen::widgets {

using namespace vcl;

namespace {

int Clamp255(std::int64_t value) { return static_cast<int>(std::clamp<std::int64_t>(value, 0, 255)); }

TColor Snap(TColor rgb, const TNearestColor& nearest) { return nearest ? nearest(rgb) : rgb; }

}  // namespace

TColor LightenColor(TColor color, int percent, const TNearestColor& nearest) {
  const TColor rgb = ColorToRGB(color);
  if (percent > 100) percent = 100;
  auto channel = [percent](int c) {
    return Clamp255(c + Round(static_cast<double>(255 - c) * percent / 100.0));
  };
  return Snap(RGBColor(channel(RedOf(rgb)), channel(GreenOf(rgb)), channel(BlueOf(rgb))), nearest);
}

TColor DarkenColor(TColor color, int amount) {
  const TColor rgb = ColorToRGB(color);
  return RGBColor(Clamp255(RedOf(rgb) - amount), Clamp255(GreenOf(rgb) - amount + 2),
                  Clamp255(BlueOf(rgb) - amount));
}

TColor GrayColor(TColor color, int level) {
  const TColor rgb = ColorToRGB(color);
  const int v = std::min((RedOf(rgb) + GreenOf(rgb) + BlueOf(rgb)) / 3 + level, 240);
  const int gray = Clamp255(v);
  return RGBColor(gray, gray, gray);
}

TColor SelectedTextColor(TColor background, TColor fontColor, const TNearestColor& nearest) {
  const TColor rgb = ColorToRGB(background);
  if ((RedOf(rgb) + BlueOf(rgb)) / 2 > 150 || GreenOf(rgb) > 200) return fontColor;
  return LightenColor(rgb, 90, nearest);
}

TXPWorkingColors ComputeWorkingColors(const TXPColorSettings& s, int bitsPerPixel,
                                      TColor menuFontColor, const TNearestColor& nearest) {
  TXPWorkingColors w;
  w.DeepColorMode = bitsPerPixel > 15;
  w.EffColor = s.Color;
  w.EffIconBackColor = s.IconBackColor;
  if (w.DeepColorMode) {
    w.EffSelectColor = LightenColor(s.SelectColor, 68, nearest);
    w.CheckFillColor = LightenColor(s.SelectColor, 80, nearest);
    w.CheckFillSelectColor = LightenColor(s.SelectColor, 50, nearest);
    w.PopupFrameColor = DarkenColor(clBtnFace, 90);
    w.PopupShadowColor = DarkenColor(clBtnFace, 76);
  } else {
    w.EffSelectColor = s.SelectColor;
    w.CheckFillColor = clWhite;
    w.CheckFillSelectColor = clSilver;
    w.PopupFrameColor = clBtnShadow;
    w.PopupShadowColor = clBtnShadow;
  }
  w.EffSelectBorderColor = s.SelectBorderColor;
  w.EffSelectFontColor = s.SelectFontColor;
  w.EffMenuBarColor = s.MenuBarColor;
  w.EffDisabledColor = s.DisabledColor;
  w.EffCheckedColor = s.CheckedColor;
  w.EffSeparatorColor = s.SeparatorColor;
  if (!s.UseSystemColors) return w;
  w.EffSelectFontColor = menuFontColor;
  w.EffSelectBorderColor = clHighlight;
  w.EffMenuBarColor = clBtnFace;
  w.EffCheckedColor = clHighlight;
  if (w.DeepColorMode) {
    w.EffColor = LightenColor(clBtnFace, 86, nearest);
    w.EffIconBackColor = LightenColor(clBtnFace, 16, nearest);
    w.EffSelectColor = LightenColor(clHighlight, 68, nearest);
    w.EffDisabledColor = LightenColor(clBtnShadow, 10, nearest);
    w.EffSeparatorColor = LightenColor(clBtnShadow, 25, nearest);
    w.CheckFillColor = LightenColor(clHighlight, 80, nearest);
    w.CheckFillSelectColor = LightenColor(clHighlight, 50, nearest);
  } else {
    w.EffColor = clWhite;
    w.EffIconBackColor = clBtnFace;
    w.EffSelectColor = clWhite;
    w.EffDisabledColor = clBtnShadow;
    w.EffSeparatorColor = clBtnShadow;
    w.CheckFillColor = clWhite;
    w.CheckFillSelectColor = clWhite;
  }
  return w;
}

TPoint ItemGlyphSize(TPoint glyph, bool menuBarItem, int iconWidth) {
  if (!menuBarItem && glyph.X < iconWidth) glyph.X = iconWidth;
  return glyph;
}

void MeasureMenuItemText(TCanvas& canvas, const TMenuItemFacts& item, int iconWidth, int& width,
                         int& height) {
  const bool separator = item.Caption == "-";
  std::string text = separator ? std::string() : item.Caption;
  const auto first = item.ShortCutText.find_first_not_of(" \t");
  if (first != std::string::npos) text += "WWW" + item.ShortCutText;
  int w = canvas.TextWidth(text) + 5;
  if (text.find('&') != std::string::npos) w -= canvas.TextWidth("&");
  const TPoint glyph = ItemGlyphSize(item.Glyph, item.MenuBarItem, iconWidth);
  if (glyph.X > 0) w += glyph.X;
  if (item.MenuBarItem && item.NtPlatform) w += 8;
  width = std::max(width, w);
  if (separator) {
    height = std::max(height, 4);
    return;
  }
  const int textHeight = canvas.TextHeight(text.empty() ? std::string("W") : text);
  const int h = std::max(textHeight + static_cast<int>(Round(textHeight * 0.75)), glyph.Y + 6);
  height = std::max(height, h);
}

TMenuItemLayout LayoutMenuItem(TRect item, int iconWidth, TPoint glyph, bool menuBarItem,
                               bool rightToLeft) {
  TMenuItemLayout l;
  l.IconColumn = rightToLeft ? Rect(item.Right - iconWidth, item.Top, item.Right, item.Bottom)
                             : Rect(item.Left, item.Top, item.Left + iconWidth, item.Bottom);
  const TRect& ic = l.IconColumn;
  const bool hasGlyph = glyph.X > 0;
  if (hasGlyph) {
    l.Check = Rect(ic.Left + 1, ic.Top + 2, ic.Right - 3, ic.Bottom - 2);
  } else {
    const int x = ic.Left + (ic.Width() - 10) / 2, y = ic.Top + (ic.Height() - 10) / 2;
    l.Check = Rect(x, y, x + 10, y + 10);
  }
  if (glyph.X > iconWidth) {
    if (rightToLeft) l.Check.Left = l.Check.Right - glyph.X;
    else l.Check.Right = l.Check.Left + glyph.X;
  }
  if (menuBarItem) --l.Check.Top;

  const TPoint size = ItemGlyphSize(glyph, menuBarItem, iconWidth);
  const int inset = menuBarItem ? 4 : iconWidth;
  if (!rightToLeft) {
    l.Text = Rect(item.Left + inset, item.Top, item.Right, item.Bottom);
    if (l.Text.Left < item.Left + size.X) l.Text.Left = item.Left + size.X + 4;
  } else {
    l.Text = Rect(item.Left, item.Top, item.Right - inset, item.Bottom);
    if (l.Text.Right > item.Right - size.X) l.Text.Right = item.Right - size.X - 8;
  }
  if (menuBarItem) {
    if (!hasGlyph) l.Text = item;
    else if (rightToLeft) l.Text.Right += 5;
    else l.Text.Left -= 5;
  }
  return l;
}

TSeparatorLine SeparatorLine(TRect text, bool rightToLeft) {
  const int y = text.Top + static_cast<int>(Round((text.Bottom - text.Top) / 2.0));
  if (rightToLeft) return {y, text.Left, text.Right - 7};
  return {y, text.Left + 7, text.Right};
}

void DrawCheckMark(TCanvas& canvas, const TXPWorkingColors& c, TRect r, const TCheckMarkState& s) {
  if (!s.Checked) return;
  const TColor fill = s.Selected ? c.CheckFillSelectColor : c.CheckFillColor;
  canvas.Brush.Style = TBrushStyle::bsSolid;
  canvas.Brush.Color = fill;
  canvas.Pen.Style = TPenStyle::psSolid;
  canvas.Pen.Width = 1;
  if (s.Radio) {
    canvas.Pen.Color = s.Enabled ? c.EffSelectBorderColor : c.EffDisabledColor;
    if (s.HasGlyph) canvas.RoundRect(r.Left, r.Top, r.Right, r.Bottom, 6, 6);
    else canvas.Ellipse(r.Left, r.Top, r.Right, r.Bottom);
    return;
  }
  if (s.HasGlyph) {
    canvas.Pen.Color = s.Enabled ? c.EffSelectBorderColor : c.EffDisabledColor;
    canvas.Rectangle(r.Left, r.Top, r.Right, r.Bottom);
    return;
  }
  canvas.Pen.Color = s.Enabled ? c.EffCheckedColor : c.EffDisabledColor;
  canvas.Rectangle(r.Left, r.Top, r.Right, r.Bottom);
  canvas.Pen.Color = s.Enabled ? clBlack : c.EffDisabledColor;
  const int L = r.Left, T = r.Top, R = r.Right, B = r.Bottom;
  auto line = [&canvas](int x1, int y1, int x2, int y2) {
    canvas.MoveTo(x1, y1);
    canvas.LineTo(x2, y2);
  };
  line(L + 1, T + 5, L + 4, B - 2);
  line(L + 2, T + 5, L + 4, B - 3);
  line(L + 2, T + 4, L + 5, B - 3);
  line(L + 4, B - 3, R + 2, T - 1);
  line(L + 4, B - 2, R - 2, T + 3);
}

void PaintControlBarBand(TCanvas& canvas, TColor color, bool deepColorMode, TRect r,
                         const TNearestColor& nearest) {
  canvas.Brush.Style = TBrushStyle::bsSolid;
  canvas.Brush.Color = deepColorMode ? LightenColor(color, 6, nearest) : color;
  canvas.FillRect(r);
  canvas.Pen.Style = TPenStyle::psSolid;
  canvas.Pen.Width = 1;
  int shade = 30;
  for (int y = r.Top + 5; y <= r.Bottom - 5; ++y) {
    if (y % 2 != 0) continue;
    canvas.Pen.Color = DarkenColor(color, shade);
    canvas.MoveTo(r.Left + 3, y);
    canvas.LineTo(r.Left + 6, y);
    shade += 7;
  }
}

}  // namespace quillfen::widgets
