#include "XPMenu.h"

#include <gtest/gtest.h>

#include "BiDi.h"
#include "RecordingCanvas.h"

using namespace quillfen::vcl;
using namespace quillfen::widgets;

namespace {

// 6 x 13 pixels a character on the recording canvas.
TPoint Measure(const TMenuItemFacts& item, int width = 0, int height = 0) {
  TRecordingCanvas canvas;
  MeasureMenuItemText(canvas, item, 24, width, height);
  return {width, height};
}

TMenuItemFacts Item(const std::string& caption, const std::string& shortCut = {}) {
  TMenuItemFacts f;
  f.Caption = caption;
  f.ShortCutText = shortCut;
  return f;
}

}  // namespace

TEST(XPMeasure, SeparatorsAmpersandsShortcutsAndTheIconColumn) {
  EXPECT_EQ(Measure(Item("-")), (TPoint{5 + 24, 4}));
  // "&" does not show: its width comes off.
  EXPECT_EQ(Measure(Item("&File")), (TPoint{30 + 5 - 6 + 24, 23}));
  EXPECT_EQ(Measure(Item("File")), (TPoint{24 + 5 + 24, 23}));
  EXPECT_EQ(Measure(Item("Open", "Ctrl+O")), (TPoint{13 * 6 + 5 + 24, 23}));
  EXPECT_EQ(Measure(Item("Open", "  ")), (TPoint{4 * 6 + 5 + 24, 23}));
  // Never narrower or lower than asked.
  EXPECT_EQ(Measure(Item("-"), 200, 2), (TPoint{200, 4}));
  EXPECT_EQ(Measure(Item("File"), 10, 40), (TPoint{53, 40}));
}

TEST(XPMeasure, MenuBarItemsAndGlyphs) {
  TMenuItemFacts bar = Item("&File");
  bar.MenuBarItem = true;
  EXPECT_EQ(Measure(bar), (TPoint{29 + 8, 23}));
  bar.NtPlatform = false;
  EXPECT_EQ(Measure(bar), (TPoint{29, 23}));
  TMenuItemFacts wide = Item("File");
  wide.Glyph = {32, 20};
  EXPECT_EQ(Measure(wide), (TPoint{29 + 32, 26}));
  EXPECT_EQ(ItemGlyphSize({16, 16}, false, 24), (TPoint{24, 16}));
  EXPECT_EQ(ItemGlyphSize({16, 16}, true, 24), (TPoint{16, 16}));
}

TEST(XPLayout, CheckAndTextRectangles) {
  const TRect item = Rect(0, 0, 100, 23);
  TMenuItemLayout plain = LayoutMenuItem(item, 24, {0, 0}, false, false);
  EXPECT_EQ(plain.IconColumn, Rect(0, 0, 24, 23));
  EXPECT_EQ(plain.Check, Rect(7, 6, 17, 16));
  EXPECT_EQ(plain.Text, Rect(24, 0, 100, 23));
  TMenuItemLayout glyph = LayoutMenuItem(item, 24, {16, 16}, false, false);
  EXPECT_EQ(glyph.Check, Rect(1, 2, 21, 21));
  EXPECT_EQ(glyph.Text, Rect(24, 0, 100, 23));
  // A glyph wider than the column widens the check and pushes the text by its width + 4.
  TMenuItemLayout wide = LayoutMenuItem(item, 24, {32, 16}, false, false);
  EXPECT_EQ(wide.Check, Rect(1, 2, 33, 21));
  EXPECT_EQ(wide.Text, Rect(36, 0, 100, 23));
  TMenuItemLayout rtl = LayoutMenuItem(item, 24, {32, 16}, false, true);
  EXPECT_EQ(rtl.IconColumn, Rect(76, 0, 100, 23));
  EXPECT_EQ(rtl.Check, Rect(65, 2, 97, 21));
  EXPECT_EQ(rtl.Text, Rect(0, 0, 60, 23));
  TMenuItemLayout bar = LayoutMenuItem(item, 24, {0, 0}, true, false);
  EXPECT_EQ(bar.Text, item);
  EXPECT_EQ(bar.Check.Top, 5);
  TMenuItemLayout barGlyph = LayoutMenuItem(item, 24, {16, 16}, true, false);
  EXPECT_EQ(barGlyph.Text, Rect(15, 0, 100, 23));
  const TSeparatorLine line = SeparatorLine(Rect(24, 10, 100, 15), false);
  EXPECT_EQ(line.Y, 12);  // 2.5 rounds to even
  EXPECT_EQ(line.X1, 31);
  EXPECT_EQ(line.X2, 100);
}

TEST(XPCheckMark, TickBoxRadioAndDisabled) {
  TXPWorkingColors c = ComputeWorkingColors(TXPColorSettings{}, 32, clBlack);
  TRecordingCanvas canvas;
  DrawCheckMark(canvas, c, Rect(7, 6, 17, 16), {});
  EXPECT_TRUE(canvas.Calls().empty());
  DrawCheckMark(canvas, c, Rect(7, 6, 17, 16), {true, false, true, false, true});
  ASSERT_EQ(canvas.CallsOf("Rectangle").size(), 1u);
  EXPECT_EQ(canvas.CallsOf("Rectangle")[0].Brush.Color, c.CheckFillSelectColor);
  EXPECT_EQ(canvas.CallsOf("Rectangle")[0].Pen.Color, c.EffCheckedColor);
  const auto lines = canvas.CallsOf("LineTo");
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(lines[3].Args, (std::vector<int>{19, 5}));  // the long stroke reaches past the box
  EXPECT_EQ(lines[0].Pen.Color, clBlack);

  TRecordingCanvas radio;
  DrawCheckMark(radio, c, Rect(7, 6, 17, 16), {true, true, false, false, false});
  ASSERT_EQ(radio.CallsOf("Ellipse").size(), 1u);
  EXPECT_EQ(radio.CallsOf("Ellipse")[0].Pen.Color, c.EffDisabledColor);
  EXPECT_EQ(radio.CallsOf("Ellipse")[0].Brush.Color, c.CheckFillColor);
  TRecordingCanvas radioGlyph;
  DrawCheckMark(radioGlyph, c, Rect(1, 2, 21, 21), {true, true, false, true, true});
  EXPECT_EQ(radioGlyph.CallsOf("RoundRect").at(0).Args, (std::vector<int>{1, 2, 21, 21, 6, 6}));
}

TEST(XPControlBar, BandGripDarkensLineByLine) {
  TRecordingCanvas canvas;
  PaintControlBarBand(canvas, clBtnFace, true, Rect(0, 0, 100, 20));
  EXPECT_EQ(canvas.CallsOf("FillRect").at(0).Brush.Color, LightenColor(clBtnFace, 6));
  const auto lines = canvas.CallsOf("LineTo");
  ASSERT_EQ(lines.size(), 5u);  // y = 6, 8, 10, 12, 14
  EXPECT_EQ(canvas.CallsOf("MoveTo").at(0).Args, (std::vector<int>{3, 6}));
  EXPECT_EQ(lines[0].Args, (std::vector<int>{6, 6}));
  EXPECT_EQ(lines[0].Pen.Color, DarkenColor(clBtnFace, 30));
  EXPECT_EQ(lines[4].Pen.Color, DarkenColor(clBtnFace, 58));
}

TEST(XPRightToLeft, AMenuReadsRightToLeftByItsWindowOrByItsOwnMode) {
  constexpr std::uint32_t none = 0, rtlReading = 0x2000, mirrored = 0x400000, rightAligned = 0x1000;
  // Taking the window's order (the default): the window's reading or layout style decides.
  EXPECT_FALSE(MenuReadsRightToLeft(TBiDiMode::bdLeftToRight, true, none));
  EXPECT_TRUE(MenuReadsRightToLeft(TBiDiMode::bdLeftToRight, true, rtlReading));
  EXPECT_TRUE(MenuReadsRightToLeft(TBiDiMode::bdLeftToRight, true, mirrored));
  EXPECT_FALSE(MenuReadsRightToLeft(TBiDiMode::bdRightToLeft, true, rightAligned));
  // Its own mode: every right-to-left variant counts, whatever the window.
  EXPECT_FALSE(MenuReadsRightToLeft(TBiDiMode::bdLeftToRight, false, rtlReading));
  for (TBiDiMode mode : {TBiDiMode::bdRightToLeft, TBiDiMode::bdRightToLeftNoAlign,
                         TBiDiMode::bdRightToLeftReadingOnly})
    EXPECT_TRUE(MenuReadsRightToLeft(mode, false, none));

}
