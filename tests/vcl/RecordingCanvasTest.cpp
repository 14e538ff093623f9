#include "RecordingCanvas.h"

#include <gtest/gtest.h>

#include <stdexcept>

using namespace quillfen::vcl;

TEST(RecordingCanvas, LogsArgumentsStateAndBufferLifetime) {
  TRecordingCanvas canvas;
  canvas.Brush.Color = clNavy;
  canvas.Pen.Width = 3;
  canvas.FillRect({1, 2, 3, 4});
  {
    auto buffer = canvas.CreateBuffer(10, 20);
    buffer->Polygon({{0, 1}, {2, 3}, {4, 5}});
    canvas.BitBlt(0, 0, 10, 20, *buffer, 0, 0, ropSrcCopy);
  }
  const auto& calls = canvas.Calls();
  ASSERT_EQ(calls.size(), 5u);
  EXPECT_EQ(calls[0].ToString(), "FillRect(1, 2, 3, 4)");
  EXPECT_EQ(calls[0].Brush.Color, clNavy);
  EXPECT_EQ(calls[0].Pen.Width, 3);
  EXPECT_EQ(calls[1].ToString(), "CreateBuffer(10, 20)");
  EXPECT_EQ(calls[2].Surface, 1);
  EXPECT_EQ(calls[2].Brush.Color, clWhite);  // a buffer starts with its own default state
  EXPECT_EQ(calls[3].SourceSurface, 1);
  EXPECT_EQ(calls[4].Op, "FreeBuffer");
  TRect r{0, 0, 0, 0};
  EXPECT_EQ(canvas.DrawText("abc", r, dtCalcRect), 13);
  EXPECT_EQ(r, (TRect{0, 0, 18, 13}));
}

TEST(RecordingCanvas, InjectedFailureThrowsAfterLogging) {
  TRecordingCanvas canvas;
  canvas.FailAtCall(2);
  canvas.MoveTo(0, 0);
  EXPECT_THROW(canvas.LineTo(1, 1), std::runtime_error);
  EXPECT_EQ(canvas.Calls().size(), 2u);
}
