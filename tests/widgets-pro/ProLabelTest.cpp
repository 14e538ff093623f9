#include <gtest/gtest.h>

#include "ProCtrls.h"
#include "RecordingCanvas.h"

using namespace quillfen::widgets;
namespace vcl = quillfen::vcl;

TEST(ProLabelProperties, AngleIsNormalisedAndTurnsAutoSizeOff) {
  TProLabelProperties p;
  EXPECT_TRUE(p.SetAngle(-90));
  EXPECT_EQ(p.State().Angle, 270);
  EXPECT_TRUE(p.AutoSizeOff());
  EXPECT_NEAR(p.State().AngleSin, -1.0, 1e-9);
  EXPECT_FALSE(p.SetAngle(630));  // 270 again: no change
  EXPECT_TRUE(p.SetAngle(360));
  EXPECT_EQ(p.State().Angle, 0);
  EXPECT_FALSE(p.AutoSizeOff());
  EXPECT_EQ(TProLabelProperties::NormalizeAngle(-720), 0);
  EXPECT_EQ(TProLabelProperties::NormalizeAngle(-1), 359);
  EXPECT_TRUE(p.SetOffsetX(3));
  EXPECT_TRUE(p.AutoSizeOff());
  EXPECT_TRUE(p.SetOffsetY(-2));
  EXPECT_FALSE(p.AutoSizeOff());
}

TEST(ProLabelProperties, EffectsSwitchToCustomWhileStylesWritePresets) {
  TProLabelProperties p;
  EXPECT_TRUE(p.SetShadowStyle(ssRaised));
  EXPECT_EQ(p.State().ShadowStyle, ssRaised);
  EXPECT_EQ(p.State().Effects, ShadowStylePreset(ssRaised));
  EXPECT_EQ(p.State().Effects.HighlightDirection, drUpLeft);
  EXPECT_FALSE(p.SetHighlightDepth(1));  // unchanged: the style stays
  EXPECT_EQ(p.State().ShadowStyle, ssRaised);
  EXPECT_TRUE(p.SetShadowColor(vcl::clRed));
  EXPECT_EQ(p.State().ShadowStyle, ssCustom);
  EXPECT_EQ(p.State().Effects.ShadowDirection, drDownRight);  // the rest kept
  EXPECT_TRUE(p.SetShadowStyle(ssNone));
  EXPECT_EQ(p.State().Effects, TLabelEffects{});
  EXPECT_TRUE(p.SetShadowStyle(ssCustom));
  EXPECT_EQ(p.State().Effects, TLabelEffects{});
}

namespace {
TProLabelState Caption(const std::string& text) {
  TProLabelState s;
  s.Caption = text;
  return s;
}
}  // namespace

TEST(ProLabelPaint, PlainTextFillsThenDrawsFormattedTextWithOffsets) {
  vcl::TRecordingCanvas canvas;
  TProLabelState s = Caption("Hello");
  s.WordWrap = true;
  s.Alignment = TLabelAlign::Center;
  s.OffsetX = 2;
  s.OffsetY = 3;
  PaintProLabel(canvas, {0, 0, 100, 40}, s);
  ASSERT_EQ(canvas.CallsOf("FillRect").size(), 1u);
  const auto texts = canvas.CallsOf("DrawText");
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_EQ(texts[0].Args, (std::vector<int>{2, 3, 102, 43,
                                             int(vcl::dtExpandTabs | vcl::dtWordBreak | vcl::dtCenter)}));
  EXPECT_EQ(texts[0].Brush.Style, vcl::TBrushStyle::bsClear);

  vcl::TRecordingCanvas transparent;
  s.Transparent = true;
  s.ShowAccelChar = false;
  PaintProLabel(transparent, {0, 0, 100, 40}, s);
  EXPECT_TRUE(transparent.CallsOf("FillRect").empty());
  EXPECT_TRUE(transparent.CallsOf("DrawText")[0].Args[4] & vcl::dtNoPrefix);
}

TEST(ProLabelPaint, VerticalAlignmentMeasuresThenMovesTheText) {
  vcl::TRecordingCanvas canvas;  // 13 pixels per line
  TProLabelState s = Caption("Message");
  s.VerticalAlignment = vaCenter;
  PaintProLabel(canvas, {0, 0, 200, 53}, s);
  const auto texts = canvas.CallsOf("DrawText");
  ASSERT_EQ(texts.size(), 2u);
  EXPECT_TRUE(texts[0].Args[4] & vcl::dtCalcRect);
  EXPECT_EQ(texts[1].Args[1], 20);  // (53 - 13) / 2
  vcl::TRecordingCanvas bottom;
  s.VerticalAlignment = vaBottom;
  PaintProLabel(bottom, {0, 0, 200, 53}, s);
  EXPECT_EQ(bottom.CallsOf("DrawText")[1].Args[1], 40);
}

TEST(ProLabelPaint, RotatedTextIsOneLineWithATrueTypeEscapementFont) {
  vcl::TRecordingCanvas canvas;  // "&Up" shows as "Up": 12 x 13
  TProLabelProperties p;
  p.SetAngle(90);
  p.State().Caption = "&Up";
  PaintProLabel(canvas, {0, 0, 50, 50}, p.State());
  EXPECT_TRUE(canvas.CallsOf("DrawText").empty());
  const auto outs = canvas.CallsOf("TextOut");
  ASSERT_EQ(outs.size(), 1u);
  EXPECT_EQ(outs[0].Text, "Up");
  EXPECT_EQ(outs[0].Font.Escapement, 900);
  EXPECT_TRUE(outs[0].Font.TrueTypeOnly);
  // The line starts at the top-left corner and turns about it.
  EXPECT_EQ(outs[0].Args, (std::vector<int>{0, 0}));

  // The offsets move the start point, whatever the angle: a line reading
  // upwards from (0, 60), one reading downwards from (14, 0), in a 44 x 110
  // label; alignments do not move a rotated line.
  const struct {
    int angle, offsetX, offsetY;
  } cases[] = {{90, 0, 60}, {45, 0, 60}, {270, 14, 0}};
  for (const auto& c : cases) {
    vcl::TRecordingCanvas placed;
    TProLabelProperties q;
    q.SetAngle(c.angle);
    q.SetOffsetX(c.offsetX);
    q.SetOffsetY(c.offsetY);
    q.State().Caption = "90 deg";
    q.State().Alignment = TLabelAlign::Center;
    q.State().VerticalAlignment = vaBottom;
    PaintProLabel(placed, {0, 0, 44, 110}, q.State());
    const auto text = placed.CallsOf("TextOut");
    ASSERT_EQ(text.size(), 1u) << c.angle;
    EXPECT_EQ(text[0].Args, (std::vector<int>{c.offsetX, c.offsetY})) << c.angle;
    EXPECT_EQ(text[0].Font.Escapement, c.angle * 10);
  }
}

TEST(ProLabelPaint, ShadowAndHighlightCopiesGoUnderTheTextInTheirColours) {
  vcl::TRecordingCanvas canvas;
  TProLabelProperties p;
  p.SetShadowStyle(ssRaisedThickShadow);
  p.State().Caption = "Pro";
  p.State().Font.Color = vcl::clNavy;
  PaintProLabel(canvas, {0, 0, 80, 20}, p.State());
  const auto texts = canvas.CallsOf("DrawText");
  ASSERT_EQ(texts.size(), 5u);  // shadow at 3, 2, 1; highlight; text
  EXPECT_EQ(texts[0].Args[0], 3);
  EXPECT_EQ(texts[2].Args[0], 1);
  EXPECT_EQ(texts[0].Font.Color, vcl::clBtnShadow);
  EXPECT_EQ(texts[3].Args[0], -1);
  EXPECT_EQ(texts[3].Args[1], -1);
  EXPECT_EQ(texts[3].Font.Color, vcl::clBtnHighlight);
  EXPECT_EQ(texts[4].Args[0], 0);
  EXPECT_EQ(texts[4].Font.Color, vcl::clNavy);

  // A size below 0 is no thickness: the shadow still shows once at its depth.
  vcl::TRecordingCanvas thin;
  TProLabelProperties q;
  q.SetShadowDirection(drDownRight);
  q.SetShadowDepth(2);
  q.SetShadowSize(-1);
  q.State().Caption = "Pro";
  PaintProLabel(thin, {0, 0, 80, 20}, q.State());
  const auto copies = thin.CallsOf("DrawText");
  ASSERT_EQ(copies.size(), 2u);
  EXPECT_EQ(copies[0].Args[0], 2);
  EXPECT_EQ(copies[0].Args[1], 2);
  EXPECT_EQ(copies[0].Font.Color, vcl::clBtnShadow);

  vcl::TRecordingCanvas disabled;
  p.State().Enabled = false;
  PaintProLabel(disabled, {0, 0, 80, 20}, p.State());
  const auto grey = disabled.CallsOf("DrawText");
  ASSERT_EQ(grey.size(), 2u);  // embossed only, no effects
  EXPECT_EQ(grey[0].Font.Color, vcl::clBtnHighlight);
  EXPECT_EQ(grey[1].Font.Color, vcl::clBtnShadow);
}

TEST(ProButtonKind, FlagsOrResultChangedByHandLeaveTheKind) {
  EXPECT_TRUE(ButtonMatchesKind(pbkOk, true, false, 1));
  EXPECT_FALSE(ButtonMatchesKind(pbkOk, true, false, 2));
  EXPECT_FALSE(ButtonMatchesKind(pbkCancelGer, true, true, 2));
  EXPECT_TRUE(ButtonMatchesKind(pbkCancelGer, false, true, 2));
  EXPECT_TRUE(ButtonMatchesKind(pbkCustom, true, true, 5));
  EXPECT_EQ(StripAccelChars("Save && &Quit"), "Save & Quit");
}
