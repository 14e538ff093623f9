#include "rmGauge.h"

#include <gtest/gtest.h>

#include <cmath>
#include <stdexcept>
#include <string>
#include <vector>

#include "ProgramGauge.h"
#include "RecordingCanvas.h"
#include "Math.h"
#include "Types.h"

using namespace quillfen::widgets;
using quillfen::testing::ProgramGauge;
using namespace quillfen::vcl;

namespace {

std::vector<TCanvasCall> OnSurface(const TRecordingCanvas& canvas, const std::string& op,
                                   int surface = 1) {
  std::vector<TCanvasCall> found;
  for (const auto& call : canvas.CallsOf(op))
    if (call.Surface == surface) found.push_back(call);
  return found;
}

std::string RangeMessage(auto&& action) {
  try {
    action();
  } catch (const ERangeError& e) {
    return e.Message();
  }
  return "no ERangeError";
}

}  // namespace

TEST(GaugeColors, GradientEndsAndMedianStepsAreExact) {
  TGaugeState s = ProgramGauge(100);
  EXPECT_EQ(GetGradientColor(s, 1), clBlack);
  EXPECT_EQ(GetGradientColor(s, 100), clBlue);
  EXPECT_EQ(GetGradientColor(s, 50), RGBColor(0, 0, 126));  // 49 * 255 / 99 = 126.2
  EXPECT_EQ(GetGradientColor(s, 2), RGBColor(0, 0, 3));     // 2.58 rounds up

  s.UseMedianColor = true;
  s.FillColor = clRed;
  s.MedianColor = clLime;
  EXPECT_EQ(GetGradientColor(s, 1), clRed);
  EXPECT_EQ(GetGradientColor(s, 50), clLime);
  EXPECT_EQ(GetGradientColor(s, 51), clLime);
  EXPECT_EQ(GetGradientColor(s, 100), clBlue);
  EXPECT_EQ(GetGradientColor(s, 25), RGBColor(130, 125, 0));  // 24 * 255 / 49 = 124.9

  // System colours are resolved before their channels are taken.
  TGaugeState sys;
  sys.FillColor = clBtnFace;
  sys.GradientColor = clBtnFace;
  EXPECT_EQ(GetGradientColor(sys, 37), ColorToRGB(clBtnFace));
}

TEST(GaugeColors, StepIndexOutOfRangeRaisesRangeErrorWithTheFixedText) {
  const TGaugeState s;
  EXPECT_EQ(RangeMessage([&] { GetGradientColor(s, 0); }),
            "ColorIndex can't be less than 1 or greater than 100");
  EXPECT_EQ(RangeMessage([&] { GetGradientColor(s, 101); }),
            "ColorIndex can't be less than 1 or greater than 100");
  EXPECT_EQ(RangeMessage([] { GetStepColor(clRed, clBlue, 0, 7); }),
            "ColorIndex can't be less than 1 or greater than 7");
  EXPECT_EQ(RangeMessage([] { GetStepColor(clRed, clBlue, 8, 7); }),
            "ColorIndex can't be less than 1 or greater than 7");
  EXPECT_EQ(RangeMessage([] { GetStepColor(clRed, clBlue, 1, 0); }),
            "ColorIndex can't be less than 1 or greater than 0");

  EXPECT_EQ(GetStepColor(clRed, clBlue, 1, 7), clRed);
  EXPECT_EQ(GetStepColor(clRed, clBlue, 7, 7), clBlue);
  EXPECT_EQ(GetStepColor(clBlack, clWhite, 4, 7), RGBColor(128, 128, 128));  // 127.5 away from zero
  EXPECT_EQ(GetStepColor(clGreen, clBlue, 1, 1), clGreen);  // one step: the start colour
}

TEST(GaugeHorizontal, ProgramBarBandsJoinWithoutGapsFromBlackToBlue) {
  TRecordingCanvas canvas;
  PaintGauge(canvas, 111, 11, ProgramGauge(100));
  const auto calls = canvas.Calls();
  ASSERT_GE(calls.size(), 3u);
  EXPECT_EQ(calls[0].ToString(), "CreateBuffer(111, 11)");
  EXPECT_EQ(calls[1].ToString(), "FillRect(0, 0, 110, 10)");
  EXPECT_EQ(calls[1].Brush.Color, clBtnFace);
  EXPECT_TRUE(OnSurface(canvas, "Polyline").empty());  // gbNone draws no frame

  const auto bands = OnSurface(canvas, "PatBlt");
  ASSERT_EQ(bands.size(), 100u);
  EXPECT_EQ(bands.front().Brush.Color, clBlack);
  EXPECT_EQ(bands.back().Brush.Color, clBlue);
  int nextLeft = 0;
  for (const auto& band : bands) {
    EXPECT_EQ(band.Args[0], nextLeft) << band.ToString();
    EXPECT_EQ(band.Args[1], 0);
    EXPECT_EQ(band.Args[3], 11);
    EXPECT_GE(band.Args[2], 1);
    EXPECT_LE(band.Args[2], 2);
    EXPECT_EQ(band.Args[4], static_cast<int>(ropPatCopy));
    nextLeft += band.Args[2];
  }
  EXPECT_EQ(nextLeft, 111);

  const auto copies = canvas.CallsOf("BitBlt");
  ASSERT_EQ(copies.size(), 1u);
  EXPECT_EQ(copies[0].ToString(), "BitBlt(0, 0, 111, 11, 0, 0, " + std::to_string(ropSrcCopy) + ")");
  EXPECT_EQ(copies[0].Surface, 0);
  EXPECT_EQ(copies[0].SourceSurface, 1);
  EXPECT_EQ(calls.back().Op, "FreeBuffer");
}

TEST(GaugeVertical, BorderFrameAndBandsFromTheBottom) {
  TGaugeState s;
  s.Border = gbLowered;
  s.GradientFill = true;
  s.Percent = 40;
  TRecordingCanvas canvas;
  PaintGauge(canvas, 20, 53, s);

  const auto frame = OnSurface(canvas, "Polyline");
  ASSERT_EQ(frame.size(), 2u);
  EXPECT_EQ(frame[0].ToString(), "Polyline(19, 0, 0, 0, 0, 52)");
  EXPECT_EQ(frame[0].Pen.Color, clBtnShadow);
  EXPECT_EQ(frame[1].ToString(), "Polyline(0, 52, 19, 52, 19, 0)");
  EXPECT_EQ(frame[1].Pen.Color, clBtnHighlight);
  const auto fills = OnSurface(canvas, "FillRect");
  ASSERT_EQ(fills.size(), 2u);
  EXPECT_EQ(fills[1].ToString(), "FillRect(1, 1, 19, 52)");

  const auto bands = OnSurface(canvas, "PatBlt");
  ASSERT_EQ(bands.size(), 40u);
  int nextBottom = 52;  // inner rectangle 1..52, 51 high
  for (const auto& band : bands) {
    EXPECT_EQ(band.Args[0], 1);
    EXPECT_EQ(band.Args[2], 18);
    EXPECT_EQ(band.Args[1] + band.Args[3], nextBottom) << band.ToString();
    nextBottom = band.Args[1];
  }
  EXPECT_EQ(nextBottom, 52 - quillfen::vcl::MulDiv(40, 51, 100));
  EXPECT_EQ(bands.front().Brush.Color, clLime);
}

TEST(GaugeRect, SolidFillTruncatesAndZeroPercentIsEmpty) {
  TGaugeState s;
  s.Shape = gsHorzRect;
  s.Percent = 37;
  TRecordingCanvas canvas;
  PaintGauge(canvas, 52, 10, s);  // inner width 50: 50 * 37 div 100 = 18
  auto fills = OnSurface(canvas, "FillRect");
  ASSERT_EQ(fills.size(), 3u);
  EXPECT_EQ(fills[2].ToString(), "FillRect(1, 1, 19, 9)");
  EXPECT_EQ(fills[2].Brush.Color, clLime);

  s.Shape = gsVertRect;
  s.Percent = 0;
  TRecordingCanvas empty;
  PaintGauge(empty, 52, 10, s);
  fills = OnSurface(empty, "FillRect");
  ASSERT_EQ(fills.size(), 3u);
  EXPECT_EQ(fills[2].ToString(), "FillRect(1, 9, 51, 9)");

  s.GradientFill = true;
  TRecordingCanvas gradient;
  PaintGauge(gradient, 52, 10, s);
  EXPECT_TRUE(gradient.CallsOf("PatBlt").empty());
  EXPECT_EQ(gradient.CallsOf("BitBlt").size(), 1u);
}

TEST(GaugeTriangle, WedgesRoundTiesToEvenAndLargestComesFirst) {
  TGaugeState s;
  s.Shape = gsTriangle;
  s.GradientFill = true;
  s.Percent = 5;
  TRecordingCanvas canvas;
  PaintGauge(canvas, 51, 26, s);  // x = 50 * i / 100: 2.5, 2, 1.5, 1, 0.5
  const auto polygons = OnSurface(canvas, "Polygon");
  ASSERT_EQ(polygons.size(), 6u);
  EXPECT_EQ(polygons[0].ToString(), "Polygon(50, 0, 0, 25, 50, 25)");
  EXPECT_EQ(polygons[0].Brush.Color, clBtnFace);
  EXPECT_EQ(polygons[0].Pen.Color, clBtnFace);
  const std::vector<std::string> wedges = {
      "Polygon(0, 25, 2, 25, 2, 25)",  // 2.5 -> 2, y = 26 - Trunc(1.27)
      "Polygon(0, 25, 2, 25, 2, 25)",  // 2.0
      "Polygon(0, 25, 2, 25, 2, 26)",  // 1.5 -> 2, y = 26 - Trunc(0.76)
      "Polygon(0, 25, 1, 25, 1, 26)",
      "Polygon(0, 25, 0, 25, 0, 26)",  // 0.5 -> 0
  };
  for (size_t i = 0; i < wedges.size(); ++i) EXPECT_EQ(polygons[i + 1].ToString(), wedges[i]);
  EXPECT_EQ(polygons[1].Brush.Color, GetGradientColor(s, 5));
  EXPECT_EQ(polygons[5].Pen.Color, GetGradientColor(s, 1));

  const auto diagonal = OnSurface(canvas, "LineTo");
  ASSERT_EQ(diagonal.size(), 1u);
  EXPECT_EQ(diagonal[0].ToString(), "LineTo(0, 25)");
  EXPECT_EQ(diagonal[0].Pen.Color, clWindowFrame);
  EXPECT_EQ(OnSurface(canvas, "Polyline").at(0).ToString(), "Polyline(0, 25, 50, 25, 50, 0)");

  s.GradientFill = false;
  s.Percent = 50;
  TRecordingCanvas solid;
  PaintGauge(solid, 100, 50, s);  // x = 49.5 -> 50; y = 50 - Trunc(24.75)
  const auto one = OnSurface(solid, "Polygon");
  ASSERT_EQ(one.size(), 2u);
  EXPECT_EQ(one[1].ToString(), "Polygon(0, 49, 50, 49, 50, 26)");
  EXPECT_EQ(one[1].Brush.Color, clLime);

  // The tip height is cut from the extended product itself: tan(arctan(2))
  // lands just below 2, so 49 times it lies just below 98, and rounding it
  // to a double first would lift the tip by a pixel.
  s.Percent = 100;
  TRecordingCanvas steep;
  PaintGauge(steep, 50, 100, s);
  const long double product = std::tan(std::atan(100.0L / 50)) * 49;
  const int tip = 100 - static_cast<int>(std::trunc(product));
  const auto tall = OnSurface(steep, "Polygon");
  ASSERT_EQ(tall.size(), 2u);
  EXPECT_EQ(tall[1].ToString(), "Polygon(0, 99, 49, 99, 49, " + std::to_string(tip) + ")");
}

TEST(GaugeArc, HalfDialSlicesAndBorder) {
  TGaugeState s;
  s.Shape = gsArc;
  s.Percent = 25;
  TRecordingCanvas solid;
  PaintGauge(solid, 100, 50, s);
  auto pies = OnSurface(solid, "Pie");
  ASSERT_EQ(pies.size(), 2u);
  EXPECT_EQ(pies[0].ToString(), "Pie(0, 0, 99, 99, 99, 49, 0, 49)");
  EXPECT_EQ(pies[1].ToString(), "Pie(0, 0, 99, 99, 14, 14, 0, 49)");
  EXPECT_EQ(pies[1].Pen.Color, clBlack);
  EXPECT_EQ(pies[1].Brush.Color, clLime);
  const auto arcs = OnSurface(solid, "Arc");
  ASSERT_EQ(arcs.size(), 2u);
  EXPECT_EQ(arcs[0].ToString(), "Arc(0, 0, 99, 99, 99, 0, 0, 99)");
  EXPECT_EQ(arcs[1].ToString(), "Arc(0, 0, 99, 99, 0, 99, 99, 0)");
  EXPECT_EQ(OnSurface(solid, "LineTo").at(0).ToString(), "LineTo(99, 49)");
  EXPECT_EQ(solid.CallsOf("BitBlt").at(0).Args[2], 99);
  EXPECT_EQ(solid.CallsOf("BitBlt").at(0).Args[3], 50);

  s.GradientFill = true;
  s.Percent = 100;
  s.Border = gbNone;
  TRecordingCanvas gradient;
  PaintGauge(gradient, 100, 50, s);
  pies = OnSurface(gradient, "Pie");
  ASSERT_EQ(pies.size(), 101u);
  // Slice 1 overlaps into slice 2; slice 2 starts where slice 1 ends without the overlap.
  EXPECT_EQ(pies[1].ToString(), "Pie(0, 0, 99, 99, 0, 46, 0, 49)");
  EXPECT_EQ(pies[2].ToString(), "Pie(0, 0, 99, 99, 0, 45, 0, 47)");
  EXPECT_EQ(pies[100].Args[4], 98);  // the last slice ends exactly at the right end
  EXPECT_EQ(pies[100].Args[5], 49);
  EXPECT_EQ(pies[100].Brush.Color, clRed);
  EXPECT_TRUE(OnSurface(gradient, "Arc").empty());
}

TEST(GaugeEllipse, FullDialSolidSliceAndTheWideBorderEnd) {
  TGaugeState s;
  s.Shape = gsEllipse;
  s.Percent = 25;
  TRecordingCanvas canvas;
  PaintGauge(canvas, 100, 60, s);
  EXPECT_EQ(OnSurface(canvas, "Ellipse").at(0).ToString(), "Ellipse(0, 0, 99, 59)");
  const auto pies = OnSurface(canvas, "Pie");
  ASSERT_EQ(pies.size(), 1u);
  EXPECT_EQ(pies[0].ToString(), "Pie(0, 0, 99, 59, 49, 0, 0, 29)");
  const auto arcs = OnSurface(canvas, "Arc");
  ASSERT_EQ(arcs.size(), 2u);
  EXPECT_EQ(arcs[0].ToString(), "Arc(0, 0, 99, 59, 99, 0, 0, 59)");
  EXPECT_EQ(arcs[1].ToString(), "Arc(0, 0, 99, 59, 0, 59, 100, 0)");
  const auto copy = canvas.CallsOf("BitBlt").at(0);
  EXPECT_EQ(copy.Args[2], 99);
  EXPECT_EQ(copy.Args[3], 59);

  s.GradientFill = true;
  s.Percent = 3;
  TRecordingCanvas gradient;
  PaintGauge(gradient, 100, 60, s);
  EXPECT_EQ(OnSurface(gradient, "Pie").size(), 3u);
  EXPECT_EQ(OnSurface(gradient, "Pie").at(0).Args[7], 29);  // starts at the left middle
}

TEST(GaugePole, RingsNestAndShrinkPastThemselves) {
  TGaugeState s;
  s.Shape = gsPole;
  s.FillColor = clWhite;
  s.GradientColor = clBlack;
  s.Percent = 3;
  TRecordingCanvas canvas;
  PaintGauge(canvas, 40, 30, s);
  const auto lines = OnSurface(canvas, "LineTo");
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(OnSurface(canvas, "MoveTo").at(0).ToString(), "MoveTo(39, 0)");
  EXPECT_EQ(lines[2].ToString(), "LineTo(39, 29)");
  EXPECT_EQ(lines[2].Pen.Color, clBlack);
  EXPECT_EQ(OnSurface(canvas, "FillRect").at(1).ToString(), "FillRect(21, 1, 36, 29)");
  const auto rings = OnSurface(canvas, "PatBlt");
  ASSERT_EQ(rings.size(), 3u);  // Top = 29 - Round(0.84) = 28
  EXPECT_EQ(rings[0].Args, (std::vector<int>{21, 28, 15, 1, static_cast<int>(ropPatCopy)}));
  EXPECT_EQ(rings[1].Args, (std::vector<int>{22, 29, 13, -1, static_cast<int>(ropPatCopy)}));
  EXPECT_EQ(rings[2].Args, (std::vector<int>{23, 30, 11, -3, static_cast<int>(ropPatCopy)}));
  EXPECT_EQ(rings[0].Brush.Color, clBlack);
  EXPECT_EQ(canvas.CallsOf("BitBlt").at(0).Args[2], 39);

  s.Percent = 100;
  s.Border = gbNone;
  s.UseMedianColor = true;  // ignored by the pole
  TRecordingCanvas full;
  PaintGauge(full, 40, 30, s);
  const auto all = OnSurface(full, "PatBlt");
  ASSERT_EQ(all.size(), 7u);
  EXPECT_EQ(all[0].Args[1], 1);
  EXPECT_EQ(all[0].Brush.Color, clBlack);
  EXPECT_EQ(all[6].Brush.Color, clWhite);
}

TEST(GaugeFrame, BufferIsFreedWhenDrawingFailsAndBadShapesPaintNothing) {
  TRecordingCanvas canvas;
  canvas.FailAtCall(20);
  EXPECT_THROW(PaintGauge(canvas, 111, 11, ProgramGauge(100)), std::runtime_error);
  EXPECT_EQ(canvas.Calls().back().Op, "FreeBuffer");
  EXPECT_TRUE(canvas.CallsOf("BitBlt").empty());

  TGaugeState bad;
  bad.Shape = static_cast<TGaugeShape>(6);
  TRecordingCanvas nothing;
  PaintGauge(nothing, 50, 50, bad);
  PaintGauge(nothing, 0, 50, TGaugeState{});
  EXPECT_TRUE(nothing.Calls().empty());
}

TEST(GaugeProperties, SettersFollowTheirRepaintRules) {
  TGaugeProperties p;
  EXPECT_EQ(p.State().Border, gbSingle);
  EXPECT_EQ(p.State().Shape, gsVertRect);
  EXPECT_EQ(p.State().FillColor, clLime);
  EXPECT_EQ(p.State().GradientColor, clRed);
  EXPECT_EQ(p.State().MedianColor, clYellow);

  EXPECT_EQ(p.SetPercent(40), TGaugeUpdate::PaintNowAndNotify);
  EXPECT_EQ(p.SetPercent(40), TGaugeUpdate::None);
  EXPECT_EQ(p.SetPercent(101), TGaugeUpdate::None);
  EXPECT_EQ(p.SetPercent(-1), TGaugeUpdate::None);
  EXPECT_EQ(p.State().Percent, 40);  // out of range is ignored, not clamped
  EXPECT_EQ(p.SetPercent(100), TGaugeUpdate::PaintNowAndNotify);
  EXPECT_EQ(p.SetPercent(0), TGaugeUpdate::PaintNowAndNotify);

  EXPECT_EQ(p.SetShape(gsArc), TGaugeUpdate::Invalidate);
  EXPECT_EQ(p.SetBorder(gbRaised), TGaugeUpdate::Invalidate);
  EXPECT_EQ(p.SetGradientFill(true), TGaugeUpdate::Invalidate);
  EXPECT_EQ(p.SetGradientFill(true), TGaugeUpdate::None);
  EXPECT_EQ(p.SetFillColor(clBlack), TGaugeUpdate::PaintNow);
  EXPECT_EQ(p.SetGradientColor(clBlue), TGaugeUpdate::PaintNow);
  EXPECT_EQ(p.SetMedianColor(clNavy), TGaugeUpdate::PaintNow);
  EXPECT_EQ(p.SetMedianColor(clNavy), TGaugeUpdate::None);
  EXPECT_EQ(p.SetUseMedianColor(true), TGaugeUpdate::PaintNow);
}
