#include "XPMenu.h"

#include <gtest/gtest.h>

using namespace quillfen::vcl;
using namespace quillfen::widgets;

// Native system colours are the classic scheme: button face (212, 208, 200),
// highlight (10, 36, 106), button shadow (128, 128, 128), menu text black.
TEST(XPColors, LightenRoundsHalvesToEvenAndClampsThePercentage) {
  EXPECT_EQ(LightenColor(clBtnFace, 86), RGBColor(249, 248, 247));
  EXPECT_EQ(LightenColor(clBtnFace, 16), RGBColor(219, 216, 209));
  EXPECT_EQ(LightenColor(clHighlight, 68), RGBColor(177, 185, 207));
  // 122.5, 109.5 and 74.5 go to the even neighbour.
  EXPECT_EQ(LightenColor(clHighlight, 50), RGBColor(132, 146, 180));
  EXPECT_EQ(LightenColor(RGBColor(1, 2, 3), 250), clWhite);
  EXPECT_EQ(LightenColor(RGBColor(1, 2, 3), 0), RGBColor(1, 2, 3));
  // A negative percentage darkens, and never leaves 0..255.
  EXPECT_EQ(LightenColor(RGBColor(100, 100, 100), -40), RGBColor(38, 38, 38));
  EXPECT_EQ(LightenColor(RGBColor(0, 0, 0), -40), clBlack);
}

TEST(XPColors, LightenSnapsToTheDevicesNearestColourButDarkenDoesNot) {
  int calls = 0;
  const TNearestColor fiveBits = [&calls](TColor c) {
    ++calls;
    return RGBColor(RedOf(c) & 0xF8, GreenOf(c) & 0xF8, BlueOf(c) & 0xF8);
  };
  EXPECT_EQ(LightenColor(clHighlight, 68, fiveBits), RGBColor(176, 184, 200));
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(DarkenColor(RGBColor(15, 15, 15), 1), RGBColor(14, 16, 14));
  EXPECT_EQ(calls, 1);
}

TEST(XPColors, DarkenTakesTwoLessFromGreenAndClamps) {
  EXPECT_EQ(DarkenColor(clBtnFace, 90), RGBColor(122, 120, 110));
  EXPECT_EQ(DarkenColor(clBtnFace, 76), RGBColor(136, 134, 124));
  EXPECT_EQ(DarkenColor(RGBColor(10, 0, 10), 1), RGBColor(9, 1, 9));
  EXPECT_EQ(DarkenColor(RGBColor(5, 5, 5), 30), clBlack);
  EXPECT_EQ(DarkenColor(RGBColor(250, 250, 250), -10), clWhite);
}

TEST(XPColors, GrayAndSelectedText) {
  EXPECT_EQ(GrayColor(RGBColor(100, 150, 200), 10), RGBColor(160, 160, 160));
  EXPECT_EQ(GrayColor(RGBColor(100, 150, 201), 0), RGBColor(150, 150, 150));
  EXPECT_EQ(GrayColor(clWhite, 10), RGBColor(240, 240, 240));
  // Light backgrounds keep the font's colour: by red and blue, or by green alone.
  EXPECT_EQ(SelectedTextColor(RGBColor(177, 185, 207), clRed), clRed);
  EXPECT_EQ(SelectedTextColor(RGBColor(0, 201, 0), clRed), clRed);
  EXPECT_EQ(SelectedTextColor(RGBColor(150, 200, 150), clRed), RGBColor(244, 250, 244));
  EXPECT_EQ(SelectedTextColor(clHighlight, clRed), RGBColor(230, 233, 240));
}

TEST(XPColors, TheOneColourCacheConvertsRunsOnce) {
  TColorCache cache;
  int converted = 0;
  auto invert = [&converted](TColor c) { ++converted; return c ^ 0xFFFFFF; };
  const TColor row[] = {clRed, clRed, clRed, clBlue, clBlue, clRed};
  for (TColor c : row) EXPECT_EQ(cache.Convert(c, invert), c ^ 0xFFFFFF);
  EXPECT_EQ(converted, 3);
  EXPECT_EQ(cache.Conversions(), 3);
}

TEST(XPWorkingColors, SystemColoursInDeepColour) {
  TXPColorSettings s;
  s.Color = clRed;           // ignored under system colours
  s.SelectColor = clLime;    // likewise
  const TXPWorkingColors w = ComputeWorkingColors(s, 32, clMenuText);
  EXPECT_TRUE(w.DeepColorMode);
  EXPECT_EQ(w.EffColor, RGBColor(249, 248, 247));
  EXPECT_EQ(w.EffIconBackColor, RGBColor(219, 216, 209));
  EXPECT_EQ(w.EffSelectColor, RGBColor(177, 185, 207));
  EXPECT_EQ(w.EffSelectBorderColor, clHighlight);
  EXPECT_EQ(w.EffSelectFontColor, clMenuText);
  EXPECT_EQ(w.EffMenuBarColor, clBtnFace);
  EXPECT_EQ(w.EffDisabledColor, RGBColor(141, 141, 141));
  EXPECT_EQ(w.EffSeparatorColor, RGBColor(160, 160, 160));
  EXPECT_EQ(w.EffCheckedColor, clHighlight);
  EXPECT_EQ(w.CheckFillColor, RGBColor(206, 211, 225));
  EXPECT_EQ(w.CheckFillSelectColor, RGBColor(132, 146, 180));
  EXPECT_EQ(w.PopupFrameColor, RGBColor(122, 120, 110));
  EXPECT_EQ(w.PopupShadowColor, RGBColor(136, 134, 124));
}

TEST(XPWorkingColors, SystemColoursIn15Bits) {
  const TXPWorkingColors w = ComputeWorkingColors(TXPColorSettings{}, 15, clBlack);
  EXPECT_FALSE(w.DeepColorMode);
  EXPECT_EQ(w.EffColor, clWhite);
  EXPECT_EQ(w.EffIconBackColor, clBtnFace);
  EXPECT_EQ(w.EffSelectColor, clWhite);
  EXPECT_EQ(w.EffSelectBorderColor, clHighlight);
  EXPECT_EQ(w.EffDisabledColor, clBtnShadow);
  EXPECT_EQ(w.EffSeparatorColor, clBtnShadow);
  EXPECT_EQ(w.CheckFillColor, clWhite);
  EXPECT_EQ(w.CheckFillSelectColor, clWhite);
  EXPECT_EQ(w.PopupFrameColor, clBtnShadow);
  EXPECT_EQ(w.PopupShadowColor, clBtnShadow);
}

TEST(XPWorkingColors, OwnColoursApplyWithoutSystemColours) {
  TXPColorSettings s;
  s.UseSystemColors = false;
  s.Color = clRed;
  s.IconBackColor = clAqua;
  s.SelectColor = RGBColor(0, 0, 100);
  s.SelectBorderColor = clNavy;
  s.SelectFontColor = clYellow;
  s.DisabledColor = clGray;
  s.SeparatorColor = clMaroon;
  s.CheckedColor = clGreen;
  s.MenuBarColor = clTeal;
  TXPWorkingColors deep = ComputeWorkingColors(s, 24, clBlack);
  EXPECT_EQ(deep.EffColor, clRed);
  EXPECT_EQ(deep.EffIconBackColor, clAqua);
  EXPECT_EQ(deep.EffSelectColor, RGBColor(173, 173, 205));  // 68 % of the way to white
  EXPECT_EQ(deep.CheckFillColor, RGBColor(204, 204, 224));
  EXPECT_EQ(deep.CheckFillSelectColor, RGBColor(128, 128, 178));  // 127.5 and 77.5 to even
  EXPECT_EQ(deep.EffSelectBorderColor, clNavy);
  EXPECT_EQ(deep.EffSelectFontColor, clYellow);
  EXPECT_EQ(deep.EffDisabledColor, clGray);
  EXPECT_EQ(deep.EffSeparatorColor, clMaroon);
  EXPECT_EQ(deep.EffCheckedColor, clGreen);
  EXPECT_EQ(deep.EffMenuBarColor, clTeal);
  TXPWorkingColors low = ComputeWorkingColors(s, 8, clBlack);
  EXPECT_EQ(low.EffSelectColor, RGBColor(0, 0, 100));
  EXPECT_EQ(low.CheckFillColor, clWhite);
  EXPECT_EQ(low.CheckFillSelectColor, clSilver);
  EXPECT_EQ(low.EffColor, clRed);
}
