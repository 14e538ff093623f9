#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "ComCtrls.h"
#include "Forms.h"
#include "GdiCanvas.h"
#include "Graphics.h"
#include "WinTestSupport.h"
#include "rmGauge.h"
#include "ProgramGauge.h"

using namespace quillfen::vcl;
using namespace quillfen::widgets;
using quillfen::testing::ProgramGauge;

namespace {

// The main window's lower edge: a status bar with the gauge over panel 1.
struct TGaugeForm {
  TForm* form;
  TStatusBar* status;
  TrmGauge* prog;
};

TGaugeForm MakeGaugeForm() {
  auto* form = new TForm(&Application());
  form->SetCaption("Gauge");
  form->SetBorderStyle(TFormBorderStyle::bsSingle);
  form->Position = TPosition::poScreenCenter;
  form->SetClientSize(475, 243);
  auto* status = new TStatusBar(form);
  status->SizeGrip = false;
  status->SetParent(form);
  status->AddPanel("No project loaded", 359);
  status->AddPanel("", 100);
  auto* prog = new TrmGauge(form);
  prog->SetParent(status);
  prog->SetBounds(362, 5, 111, 11);
  prog->SetBorder(gbNone);
  prog->SetShape(gsHorzRect);
  prog->SetGradientFill(true);
  prog->SetFillColor(clBlack);
  prog->SetGradientColor(clBlue);
  prog->SetMedianColor(clNavy);
  form->Show();
  qftest::PumpUntil([] { return false; }, 200);  // let the first paint happen
  return {form, status, prog};
}

COLORREF ScreenPixel(TWinControl* window, int x, int y) {
  TWindowDC dc(window->Handle());
  return ::GetPixel(dc.get(), x, y);
}

}  // namespace

TEST(GaugeBitmap, ProgramBarRunsFromBlackToBlueOnTheBackground) {
  TBitmap bitmap(111, 11);
  PaintGauge(bitmap.Canvas(), 111, 11, ProgramGauge(100));
  EXPECT_EQ(bitmap.Pixel(0, 5), clBlack);
  EXPECT_EQ(bitmap.Pixel(110, 5), clBlue);
  const TColor middle = bitmap.Pixel(55, 5);
  EXPECT_EQ(RedOf(middle), 0);
  EXPECT_GT(BlueOf(middle), 100);
  EXPECT_LT(BlueOf(middle), 160);

  TBitmap half(111, 11);
  PaintGauge(half.Canvas(), 111, 11, ProgramGauge(50));
  EXPECT_EQ(half.Pixel(54, 5) & 0xFFFF, 0);  // inside the bar: no red or green
  EXPECT_EQ(half.Pixel(60, 5), ColorToRGB(clBtnFace));
}

TEST(GaugeBitmap, EveryShapeGivesBackItsGdiObjects) {
  const int objectsBefore = TGdiStats::LiveObjects();
  const int dcsBefore = TGdiStats::LiveDCs();
  const int createdBefore = TGdiStats::ObjectsCreated();
  TBitmap bitmap(120, 60);
  for (TGaugeShape shape : {gsTriangle, gsVertRect, gsHorzRect, gsEllipse, gsArc, gsPole}) {
    for (bool gradient : {false, true}) {
      TGaugeState s;
      s.Shape = shape;
      s.GradientFill = gradient;
      s.Percent = 100;
      s.Border = gbRaised;
      PaintGauge(bitmap.Canvas(), 120, 60, s);
    }
  }
  EXPECT_GT(TGdiStats::ObjectsCreated() - createdBefore, 600);  // a brush and pen per step
  EXPECT_EQ(TGdiStats::LiveObjects(), objectsBefore + 1);      // the bitmap itself
  EXPECT_EQ(TGdiStats::LiveDCs(), dcsBefore + 1);
}

TEST(GaugeWindow, PercentPaintsAtOnceThenNotifiesAndScreenshotIsWritten) {
  TGaugeForm g = MakeGaugeForm();
  int changes = 0;
  g.prog->OnChange = [&](TObject* sender) {
    EXPECT_EQ(sender, g.prog);
    ++changes;
  };
  g.prog->SetPercent(0);  // already 0: nothing
  EXPECT_EQ(changes, 0);
  const int objectsBefore = TGdiStats::LiveObjects();
  g.prog->SetPercent(100);  // no message loop between the setter and the check
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(ScreenPixel(g.status, 362, 10), clBlack);
  EXPECT_EQ(ScreenPixel(g.status, 472, 10), clBlue);
  EXPECT_EQ(TGdiStats::LiveObjects(), objectsBefore);

  g.prog->SetPercent(101);
  g.prog->SetPercent(-1);
  EXPECT_EQ(g.prog->Percent(), 100);
  EXPECT_EQ(changes, 1);

  g.prog->SetPercent(30);
  EXPECT_EQ(ScreenPixel(g.status, 362 + 50, 10), ColorToRGB(clBtnFace));

  // A colour repaints at once; the fill mode only invalidates.
  g.prog->SetFillColor(clRed);
  EXPECT_EQ(ScreenPixel(g.status, 362, 10), clRed);
  ::ValidateRect(g.status->Handle(), nullptr);
  g.prog->SetGradientFill(false);
  RECT dirty{};
  EXPECT_TRUE(::GetUpdateRect(g.status->Handle(), &dirty, FALSE));
  EXPECT_EQ(dirty.left, 362);
  EXPECT_EQ(dirty.right, 473);
  qftest::PumpUntil([] { return false; }, 100);
  g.prog->SetPercent(100);
  g.prog->SetGradientFill(true);
  g.prog->SetFillColor(clBlack);
  g.status->SetPanelText(0, "Scanning...");
  qftest::PumpUntil([] { return false; }, 200);

  // Screenshot of the whole window, kept as a build artifact.
  HWND window = g.form->Handle();
  RECT outer{};
  ::GetWindowRect(window, &outer);
  TBitmap shot(outer.right - outer.left, outer.bottom - outer.top);
  {
    HDC screen = ::GetDC(nullptr);
    ::BitBlt(shot.Canvas().Handle(), 0, 0, shot.Width(), shot.Height(), screen, outer.left,
             outer.top, SRCCOPY);
    ::ReleaseDC(nullptr, screen);
  }
  const std::string path = std::string(QF_ARTIFACT_DIR) + "/gauge-window.bmp";
  ASSERT_TRUE(shot.SaveToFile(path)) << path;
  FILE* file = std::fopen(path.c_str(), "rb");
  ASSERT_NE(file, nullptr);
  std::fseek(file, 0, SEEK_END);
  const long size = std::ftell(file);
  std::fclose(file);
  const long stride = ((shot.Width() * 3 + 3) / 4) * 4;
  EXPECT_EQ(size, 54 + stride * shot.Height());
  delete g.form;
}
