#include <gtest/gtest.h>

#include <stdexcept>

#include "GdiCanvas.h"
#include "Graphics.h"

using namespace quillfen::vcl;

TEST(SelectGuard, PutsTheOldObjectBackAndDeletesItsOwnAlsoOnThrow) {
  TWindowDC screen(nullptr);
  TMemoryDC dc(screen.get());
  const HGDIOBJ original = ::GetCurrentObject(dc.get(), OBJ_BRUSH);
  const int before = TGdiStats::LiveObjects();
  HGDIOBJ created = nullptr;
  try {
    TSelectGuard guard(dc.get(), MakeSolidBrush(clRed));
    created = ::GetCurrentObject(dc.get(), OBJ_BRUSH);
    EXPECT_NE(created, original);
    EXPECT_EQ(TGdiStats::LiveObjects(), before + 1);
    throw std::runtime_error("drawing failed");
  } catch (const std::runtime_error&) {
  }
  EXPECT_EQ(::GetCurrentObject(dc.get(), OBJ_BRUSH), original);
  EXPECT_EQ(TGdiStats::LiveObjects(), before);
  EXPECT_EQ(::GetObjectType(created), 0u);  // really deleted

  // A borrowed stock object is selected back out but not deleted.
  {
    TSelectGuard stock(dc.get(), ::GetStockObject(BLACK_BRUSH));
  }
  EXPECT_EQ(::GetCurrentObject(dc.get(), OBJ_BRUSH), original);
  EXPECT_NE(::GetObjectType(::GetStockObject(BLACK_BRUSH)), 0u);
}

TEST(GdiCanvas, DrawsWithTheStateAndRestoresTheDeviceContext) {
  TBitmap bitmap(40, 20);
  TGdiCanvas& canvas = bitmap.Canvas();
  const HGDIOBJ pen = ::GetCurrentObject(canvas.Handle(), OBJ_PEN);
  const HGDIOBJ brush = ::GetCurrentObject(canvas.Handle(), OBJ_BRUSH);
  const HGDIOBJ font = ::GetCurrentObject(canvas.Handle(), OBJ_FONT);
  const int before = TGdiStats::LiveObjects();

  canvas.Brush.Color = clLime;
  canvas.PatBlt(0, 0, 10, 10, ropPatCopy);
  canvas.Brush.Color = clBtnFace;  // system colours resolve
  canvas.FillRect({10, 0, 20, 10});
  canvas.Pen.Color = clRed;
  canvas.Brush.Style = TBrushStyle::bsClear;
  canvas.Rectangle(20, 0, 30, 10);
  canvas.Font.Color = clBlue;
  const TPoint extent = canvas.TextExtent("Scan");
  canvas.TextOut(0, 10, "Scan");

  EXPECT_EQ(bitmap.Pixel(5, 5), clLime);
  EXPECT_EQ(bitmap.Pixel(15, 5), ColorToRGB(clBtnFace));
  EXPECT_EQ(bitmap.Pixel(20, 5), clRed);
  EXPECT_EQ(bitmap.Pixel(25, 5), clWhite);  // a clear brush leaves the inside alone
  EXPECT_GT(extent.X, 10);
  EXPECT_GT(extent.Y, 5);
  EXPECT_EQ(::GetCurrentObject(canvas.Handle(), OBJ_PEN), pen);
  EXPECT_EQ(::GetCurrentObject(canvas.Handle(), OBJ_BRUSH), brush);
  EXPECT_EQ(::GetCurrentObject(canvas.Handle(), OBJ_FONT), font);
  EXPECT_EQ(TGdiStats::LiveObjects(), before);

  // A buffer copies in one block and frees its DC and bitmap.
  const int dcs = TGdiStats::LiveDCs();
  {
    auto buffer = canvas.CreateBuffer(8, 8);
    buffer->Brush.Color = clNavy;
    buffer->FillRect({0, 0, 8, 8});
    canvas.BitBlt(32, 0, 8, 8, *buffer, 0, 0, ropSrcCopy);
    EXPECT_EQ(TGdiStats::LiveDCs(), dcs + 1);
  }
  EXPECT_EQ(bitmap.Pixel(35, 5), clNavy);
  EXPECT_EQ(TGdiStats::LiveDCs(), dcs);
  EXPECT_EQ(TGdiStats::LiveObjects(), before);
}

TEST(Bitmap, FreesItsBitmapAndDCEvenWhileSelected) {
  const int objects = TGdiStats::LiveObjects();
  const int dcs = TGdiStats::LiveDCs();
  {
    TBitmap bitmap(16, 16);
    bitmap.Canvas().Brush.Color = clRed;
    bitmap.Canvas().FillRect({0, 0, 16, 16});
    TBitmap copy;
    copy.Assign(bitmap);
    copy.Canvas();
  }
  EXPECT_EQ(TGdiStats::LiveObjects(), objects);
  EXPECT_EQ(TGdiStats::LiveDCs(), dcs);
}

TEST(Bitmap, AssignCopiesAndSetSizeStartsWhite) {
  TBitmap a(4, 4);
  a.Canvas().Brush.Color = clYellow;
  a.Canvas().FillRect({0, 0, 4, 4});
  TBitmap b;
  EXPECT_TRUE(b.Empty());
  b.Assign(a);
  EXPECT_EQ(b.Width(), 4);
  EXPECT_EQ(b.Pixel(2, 2), clYellow);
  b.SetSize(6, 3);
  EXPECT_EQ(b.Pixel(5, 2), clWhite);
  EXPECT_FALSE(b.LoadFromResourceName(::GetModuleHandleA(nullptr), "NO_SUCH_BITMAP"));
}
