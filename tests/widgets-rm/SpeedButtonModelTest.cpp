#include <gtest/gtest.h>

#include "RecordingCanvas.h"
#include "rmSpeedBtns.h"

using namespace quillfen::widgets;
using namespace quillfen::vcl;

namespace {
constexpr int W = 23, H = 22;
}

TEST(SpeedButtonModel, PlainButtonTracksThePressAndClicksOneRowBelowItsBottom) {
  TSpeedButtonModel m;
  EXPECT_TRUE(m.MouseDown(true, 5, 5, W).Invalidate);
  EXPECT_EQ(m.State, bsDown);
  EXPECT_TRUE(m.Dragging);
  EXPECT_TRUE(m.MouseMove(5, H + 1, W, H).Invalidate);
  EXPECT_EQ(m.State, bsUp);
  EXPECT_FALSE(m.MouseMove(W, 3, W, H).Invalidate);  // still outside: no repaint
  m.MouseMove(5, H, W, H);                           // the row below the edge counts as inside
  EXPECT_EQ(m.State, bsDown);
  const TButtonAction up = m.MouseUp(5, H, W, H);
  EXPECT_TRUE(up.Click);
  EXPECT_EQ(m.State, bsUp);
  EXPECT_FALSE(m.Dragging);
  EXPECT_FALSE(m.MouseUp(5, 5, W, H).Click);  // no press, no click

  m.MouseDown(true, 5, 5, W);
  EXPECT_FALSE(m.MouseUp(W, 5, W, H).Click);  // released beside it

  TSpeedButtonModel disabled;
  disabled.MouseDown(false, 5, 5, W);
  EXPECT_FALSE(disabled.Dragging);
  EXPECT_FALSE(disabled.MouseUp(5, 5, W, H).Click);
}

TEST(SpeedButtonModel, GroupsKeepOneButtonDownAndAllowAllUpLetsItGo) {
  TSpeedButtonModel lone;
  lone.SetDown(true);
  EXPECT_FALSE(lone.Down());  // no group, no down

  TSpeedButtonModel a, b;
  EXPECT_TRUE(a.SetGroupIndex(1).BroadcastGroup);
  b.SetGroupIndex(1);
  const TButtonAction down = a.SetDown(true);
  EXPECT_TRUE(down.BroadcastGroup);
  EXPECT_EQ(a.State, bsExclusive);
  EXPECT_FALSE(a.SetDown(false).Repaint);  // cannot be lifted without AllowAllUp
  EXPECT_TRUE(a.Down());

  // b is pressed by the user: it goes down and a, told so, goes up.
  b.MouseDown(true, 3, 3, W);
  const TButtonAction click = b.MouseUp(3, 3, W, H);
  EXPECT_TRUE(click.Click);
  EXPECT_TRUE(click.BroadcastGroup);
  EXPECT_TRUE(b.Down());
  EXPECT_EQ(b.State, bsExclusive);
  EXPECT_TRUE(a.ButtonPressed(1, b.Down(), b.AllowAllUp()).Invalidate);
  EXPECT_FALSE(a.Down());
  EXPECT_EQ(a.State, bsUp);
  EXPECT_FALSE(a.ButtonPressed(2, true, true).Invalidate);  // another group: ignored

  // Clicking the down button again keeps it down; released outside it stays exclusive.
  b.MouseDown(true, 3, 3, W);
  EXPECT_EQ(b.State, bsExclusive);  // a down button is not pressed further
  b.MouseUp(3, 3, W, H);
  EXPECT_TRUE(b.Down());
  b.MouseDown(true, 3, 3, W);
  b.MouseMove(-5, 3, W, H);
  EXPECT_EQ(b.State, bsExclusive);
  EXPECT_TRUE(b.MouseUp(-5, 3, W, H).Repaint);
  EXPECT_EQ(b.State, bsExclusive);

  // AllowAllUp travels with the announcement and lets the last one go up.
  b.SetAllowAllUp(true);
  a.ButtonPressed(1, b.Down(), b.AllowAllUp());
  EXPECT_TRUE(a.AllowAllUp());
  b.MouseDown(true, 3, 3, W);
  b.MouseUp(3, 3, W, H);
  EXPECT_FALSE(b.Down());
  EXPECT_EQ(b.State, bsUp);
}

TEST(SpeedButtonModel, SplitButtonClicksFromTheMainPartAndPopsUpFromTheMenuPart) {
  TSpeedButtonModel m;
  m.SetStyle(sbsMenu);
  const int menuX = W - 5;  // inside the right MenuButtonWidth (11) pixels
  m.MouseDown(true, menuX, 5, W);
  EXPECT_EQ(m.State, bsMenuDown);
  EXPECT_TRUE(m.MenuPressed);
  m.MouseMove(3, 5, W, H);  // into the main part: the menu press does not follow
  EXPECT_EQ(m.State, bsUp);
  m.MouseMove(menuX, 5, W, H);
  EXPECT_EQ(m.State, bsMenuDown);
  TButtonAction a = m.MouseUp(menuX, 5, W, H);
  EXPECT_TRUE(a.PopupMenu);
  EXPECT_FALSE(a.Click);
  EXPECT_FALSE(m.MenuPressed);
  EXPECT_EQ(m.State, bsUp);

  m.MouseDown(true, 3, 5, W);
  EXPECT_EQ(m.State, bsDown);
  EXPECT_FALSE(m.MouseMove(menuX, 5, W, H).Invalidate);  // stays down over the menu part
  EXPECT_EQ(m.State, bsDown);
  a = m.MouseUp(menuX, 5, W, H);
  EXPECT_TRUE(a.Click);
  EXPECT_FALSE(a.PopupMenu);

  m.MouseDown(true, 3, 5, W);
  m.MouseMove(3, H, W, H);
  EXPECT_EQ(m.State, bsUp);  // the row below is outside for a split button
  EXPECT_FALSE(m.MouseUp(3, H, W, H).Click);
}

TEST(SpeedButtonModel, StylesForceTheirRulesAndDisabledIsRestored) {
  TSpeedButtonModel m;
  m.SetFlat(true);
  m.SetGroupIndex(3);
  m.SetAllowAllUp(true);
  m.SetStyle(sbsComboButton);
  EXPECT_FALSE(m.Flat());
  EXPECT_FALSE(m.Transparent());
  EXPECT_EQ(m.GroupIndex(), 0);
  EXPECT_FALSE(m.AllowAllUp());
  m.SetFlat(true);
  EXPECT_FALSE(m.Flat());

  TSpeedButtonModel g;
  g.SetGroupIndex(2);
  g.SetDown(true);
  g.SetStyle(sbsMenu);
  EXPECT_FALSE(g.Down());
  EXPECT_EQ(g.GroupIndex(), 0);
  g.SetGroupIndex(4);
  EXPECT_EQ(g.GroupIndex(), 0);

  TSpeedButtonModel margins;
  margins.SetMargin(-2);
  EXPECT_EQ(margins.Margin(), -1);
  margins.SetMargin(3);
  EXPECT_EQ(margins.Margin(), 3);

  TSpeedButtonModel e;
  e.SetGroupIndex(1);
  e.SetDown(true);
  e.MouseDown(true, 1, 1, W);
  e.SyncEnabled(false);
  EXPECT_EQ(e.State, bsDisabled);
  EXPECT_FALSE(e.Dragging);
  e.SyncEnabled(true);
  EXPECT_EQ(e.State, bsExclusive);
}

TEST(SpeedButtonFace, PlansFollowStyleFlatnessAndState) {
  TSpeedButtonModel m;
  m.SetGroupIndex(1);
  m.SetDown(true);  // exclusive
  TFacePlan p = PlanFace({&m, W, H});
  ASSERT_EQ(p.Steps.size(), 2u);
  EXPECT_EQ(p.Steps[0].Kind, TFaceStepKind::FrameControl);
  EXPECT_EQ(p.Steps[0].Flags, kDfcsButtonPush | kDfcsAdjustRect | kDfcsPushed);
  EXPECT_EQ(p.Steps[1].Kind, TFaceStepKind::Pattern);
  EXPECT_EQ(p.Steps[1].Rect, Rect(2, 2, W - 2, H - 2));
  EXPECT_EQ(p.Offset, Point(1, 1));

  m.SetFlat(true);
  m.Hot = true;  // hot exclusive flat: sunken edge, no pattern
  p = PlanFace({&m, W, H});
  ASSERT_EQ(p.Steps.size(), 2u);
  EXPECT_EQ(p.Steps[0].Kind, TFaceStepKind::Edge);
  EXPECT_EQ(p.Steps[0].Flags, kBdrSunkenOuter);
  EXPECT_EQ(p.Steps[0].Flags2, kBfRect);  // transparent: no middle
  EXPECT_EQ(p.Content, Rect(1, 1, W - 1, H - 1));

  TSpeedButtonModel flat;
  flat.SetFlat(true);
  flat.SetTransparent(false);
  p = PlanFace({&flat, W, H, false, clRed});
  EXPECT_EQ(p.Steps[0].Kind, TFaceStepKind::Fill);  // no edge while not hot
  EXPECT_EQ(p.Steps[0].Color1, clRed);
  flat.Hot = true;
  p = PlanFace({&flat, W, H});
  EXPECT_EQ(p.Steps[0].Flags, kBdrRaisedInner);
  EXPECT_EQ(p.Steps[0].Flags2, kBfRect | kBfMiddle);
  flat.State = bsDisabled;  // a disabled hot button shows no edge
  EXPECT_EQ(PlanFace({&flat, W, H}).Steps[0].Kind, TFaceStepKind::Fill);

  TSpeedButtonModel combo;
  combo.SetStyle(sbsComboButton);
  p = PlanFace({&combo, 16, 17});
  ASSERT_EQ(p.Steps.size(), 3u);
  EXPECT_EQ(p.Steps[0].Color1, clBtnFace);
  EXPECT_EQ(p.Steps[0].Color2, cl3DDkShadow);
  EXPECT_EQ(p.Steps[1].Color1, clBtnHighlight);
  EXPECT_EQ(p.Steps[2].Rect, Rect(2, 2, 14, 15));
  EXPECT_EQ(p.Offset, Point(-1, -1));
  combo.State = bsDown;
  p = PlanFace({&combo, 16, 17});
  EXPECT_EQ(p.Steps[0].Kind, TFaceStepKind::FrameRect);
  EXPECT_EQ(p.Steps[1].Rect, Rect(1, 1, 15, 16));
  EXPECT_EQ(p.Offset, Point(0, 0));

  TSpeedButtonModel split;
  split.SetStyle(sbsMenu);
  split.SetFlat(true);
  split.State = bsMenuDown;
  p = PlanFace({&split, 40, 22});
  ASSERT_EQ(p.Steps.size(), 2u);
  EXPECT_EQ(p.Steps[0].Rect, Rect(0, 0, 29, 22));
  EXPECT_EQ(p.Steps[0].Flags, kBdrRaisedInner);
  EXPECT_EQ(p.Steps[1].Rect, Rect(29, 0, 40, 22));
  EXPECT_EQ(p.Steps[1].Flags, kBdrSunkenOuter);
  EXPECT_EQ(p.MenuArrow, Rect(31, 1, 40, 22));  // shrunk, one lower, one right
  split.SetFlat(false);
  split.State = bsUp;
  p = PlanFace({&split, 40, 22});
  EXPECT_EQ(p.Steps[1].Flags, kDfcsButtonPush);
  EXPECT_EQ(p.MenuArrow, Rect(29, 1, 39, 21));

  TSpeedButtonModel odd;
  odd.SetStyle(static_cast<TrmSpeedButtonStyle>(7));
  try {
    PlanFace({&odd, W, H});
    FAIL() << "no exception";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), "Unknown button style.");
  }
}

TEST(SpeedButtonLayout, GlyphAndCaptionPlacementForMarginAndSpacing) {
  // The button edit's 9x9 glyph in a 16x17 face, on top, no caption.
  TGlyphLayout l = CalcButtonLayout(Rect(0, 0, 16, 17), {-1, -1}, {0, 0}, {9, 9}, blGlyphTop, -1, 4);
  EXPECT_EQ(l.GlyphPos, Point(3, 3));
  // Glyph left of a 30x13 caption in 80x22: centred as one block with spacing 4.
  l = CalcButtonLayout(Rect(0, 0, 80, 22), {0, 0}, {30, 13}, {16, 16}, blGlyphLeft, -1, 4);
  EXPECT_EQ(l.GlyphPos, Point(15, 3));
  EXPECT_EQ(l.TextBounds, Rect(35, 5, 65, 18));
  // Both -1: three equal gaps.
  l = CalcButtonLayout(Rect(0, 0, 76, 22), {0, 0}, {30, 13}, {16, 16}, blGlyphLeft, -1, -1);
  EXPECT_EQ(l.GlyphPos.X, 10);
  EXPECT_EQ(l.TextBounds.Left, 36);
  // Fixed margin, centred text after it; glyph at the right.
  l = CalcButtonLayout(Rect(0, 0, 80, 22), {1, 1}, {30, 13}, {16, 16}, blGlyphRight, 2, -1);
  EXPECT_EQ(l.GlyphPos, Point(80 - 2 - 16 + 1, 4));
  EXPECT_EQ(l.TextBounds.Left, 62 - 16 - 30 + 1);
  // No glyph: spacing does not count.
  l = CalcButtonLayout(Rect(0, 0, 80, 22), {0, 0}, {30, 13}, {0, 0}, blGlyphBottom, -1, 10);
  EXPECT_EQ(l.TextBounds, Rect(25, 4, 55, 17));  // above the (empty) glyph at the bottom

  EXPECT_EQ(NumGlyphsForStrip(40, 10), 4);
  EXPECT_EQ(NumGlyphsForStrip(50, 10), 1);
  EXPECT_EQ(NumGlyphsForStrip(30, 20), 0);
  EXPECT_EQ(GlyphSlotForState(bsDown, 2), 0);
  EXPECT_EQ(GlyphSlotForState(bsDown, 3), 2);
  EXPECT_EQ(GlyphSlotForState(bsExclusive, 3), 0);
  EXPECT_EQ(GlyphSlotForState(bsDisabled, 2), 1);
  EXPECT_EQ(GlyphSlotForState(bsMenuDown, 4), 0);
}

TEST(SpeedButtonText, EmbossedTextDrawsTwiceAndRestoresTheCanvas) {
  TRecordingCanvas canvas;
  canvas.Brush.Style = TBrushStyle::bsSolid;
  canvas.Font.Color = clRed;
  TRect r = Rect(2, 3, 20, 16);
  DrawEmbossedText(canvas, "6", r, dtCenter);
  const auto calls = canvas.CallsOf("DrawText");
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_EQ(calls[0].Font.Color, clBtnHighlight);
  EXPECT_EQ(calls[0].Args, (std::vector<int>{3, 4, 21, 17, 1}));
  EXPECT_EQ(calls[0].Brush.Style, TBrushStyle::bsClear);
  EXPECT_EQ(calls[1].Font.Color, clBtnShadow);
  EXPECT_EQ(calls[1].Args, (std::vector<int>{2, 3, 20, 16, 1}));
  EXPECT_EQ(canvas.Font.Color, clRed);
  EXPECT_EQ(canvas.Brush.Style, TBrushStyle::bsSolid);
  EXPECT_EQ(r, Rect(2, 3, 21, 17));

  TRecordingCanvas measure;
  TRect m = Rect(0, 0, 100, 0);
  DrawEmbossedText(measure, "abc", m, dtCalcRect);
  EXPECT_EQ(measure.CallsOf("DrawText").size(), 1u);

  EXPECT_TRUE(IsAccel('o', "&Open"));
  EXPECT_FALSE(IsAccel('p', "&Open"));
  EXPECT_FALSE(IsAccel('b', "A&&b"));
  EXPECT_TRUE(IsAccel('C', "A&&b &c"));
}

TEST(SpeedButtonArrow, WithoutTheSymbolFontADownTriangleIsDrawnCentred) {
  EXPECT_TRUE(IsMenuArrowFace("Marlett"));
  EXPECT_TRUE(IsMenuArrowFace("marlett"));
  EXPECT_FALSE(IsMenuArrowFace("Liberation Sans"));
  EXPECT_FALSE(IsMenuArrowFace("Marlett Bold"));
  EXPECT_FALSE(IsMenuArrowFace(""));

  // The menu part of the default button (11 wide, 22 high) less one pixel around:
  // a font of 9 gives rows of 5, 3 and 1 pixels.
  TRecordingCanvas canvas;
  DrawMenuArrowShape(canvas, {60, 1, 69, 21}, 9, false);
  const auto moves = canvas.CallsOf("MoveTo");
  const auto lines = canvas.CallsOf("LineTo");
  ASSERT_EQ(moves.size(), 3u);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(moves[0].Args, (std::vector<int>{62, 9}));
  EXPECT_EQ(lines[0].Args, (std::vector<int>{67, 9}));
  EXPECT_EQ(moves[2].Args, (std::vector<int>{64, 11}));
  EXPECT_EQ(lines[2].Args, (std::vector<int>{65, 11}));
  for (const auto& line : lines) EXPECT_EQ(line.Pen.Color, clBtnText);

  // Disabled: the highlight copy one pixel down-right, the shadow copy over it.
  TRecordingCanvas off;
  DrawMenuArrowShape(off, {60, 1, 69, 21}, -12, true);
  const auto offLines = off.CallsOf("LineTo");
  ASSERT_EQ(offLines.size(), 8u);  // a height of 12 gives four rows, twice
  EXPECT_EQ(offLines[0].Pen.Color, clBtnHighlight);
  EXPECT_EQ(offLines[4].Pen.Color, clBtnShadow);
  EXPECT_EQ(off.CallsOf("MoveTo")[0].Args[0], off.CallsOf("MoveTo")[4].Args[0] + 1);
}
