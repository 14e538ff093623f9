#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "rmBrowseFor.h"
#include "rmBtnEdit.h"

using namespace quillfen::widgets;
using namespace quillfen::vcl;

TEST(EllipsisGlyph, BitsMatchTheCheckedInBitmapAndSurviveTheBmpRoundTrip) {
  const TPixelImage image = EllipsisGlyphBits();
  ASSERT_EQ(image.Width, 9);
  ASSERT_EQ(image.Height, 9);
  int black = 0;
  for (int y = 0; y < 9; ++y)
    for (int x = 0; x < 9; ++x) {
      const bool dot = (y == 5 || y == 6) && x != 0 && x != 3 && x != 6;
      EXPECT_EQ(image.At(x, y), dot ? clBlack : clWhite) << x << "," << y;
      black += image.At(x, y) == clBlack;
    }
  EXPECT_EQ(black, 12);

  const std::vector<unsigned char> encoded = EncodeBmp24(image);
  EXPECT_EQ(encoded.size(), 54u + 9 * 28);  // rows of 27 bytes padded to 28
  EXPECT_EQ(DecodeBmp24(encoded), image);

  std::ifstream file(std::string(QF_RM_RES_DIR) + "/rm_ellipsis.bmp", std::ios::binary);
  ASSERT_TRUE(file) << "rm_ellipsis.bmp missing: run GenerateRmEllipsis";
  const std::vector<unsigned char> stored{std::istreambuf_iterator<char>(file), {}};
  EXPECT_EQ(stored, encoded) << "rm_ellipsis.bmp is stale: run GenerateRmEllipsis";

  std::vector<unsigned char> truncated(encoded.begin(), encoded.begin() + 80);
  EXPECT_EQ(DecodeBmp24(truncated).Width, 0);
}

TEST(GlyphImages, RecolouringAndTheDisabledLook) {
  TPixelImage glyph = EllipsisGlyphBits();
  glyph.At(0, 0) = RGBColor(1, 0, 0);  // near black is not black
  RecolorPixels(glyph, clBtnFace, clBtnText);
  EXPECT_EQ(glyph.At(1, 5), ColorToRGB(clBtnText));
  EXPECT_EQ(glyph.At(0, 0), ColorToRGB(clBtnFace));
  EXPECT_EQ(glyph.At(4, 4), ColorToRGB(clBtnFace));

  // One image: every non-transparent pixel embossed, shadow over highlight.
  TPixelImage one(3, 3, clOlive);
  one.At(0, 0) = clRed;
  const TPixelImage dis = DisabledGlyphImage(one, 1, clOlive, clBtnFace, clBtnHighlight, clBtnShadow);
  EXPECT_EQ(dis.At(0, 0), ColorToRGB(clBtnShadow));
  EXPECT_EQ(dis.At(1, 1), ColorToRGB(clBtnHighlight));
  EXPECT_EQ(dis.At(2, 2), ColorToRGB(clBtnFace));

  // A strip: slot 1 with white, grey and the transparent colour replaced.
  TPixelImage strip(4, 2, clOlive);
  strip.At(2, 0) = clWhite;
  strip.At(3, 0) = clGray;
  strip.At(2, 1) = clBlue;
  const TPixelImage slot = DisabledGlyphImage(strip, 2, clOlive, clBtnFace, clBtnHighlight, clBtnShadow);
  ASSERT_EQ(slot.Width, 2);
  EXPECT_EQ(slot.At(0, 0), ColorToRGB(clBtnHighlight));
  EXPECT_EQ(slot.At(1, 0), ColorToRGB(clBtnShadow));
  EXPECT_EQ(slot.At(0, 1), clBlue);
  EXPECT_EQ(slot.At(1, 1), ColorToRGB(clBtnFace));
  EXPECT_EQ(CutSlot(strip, 1, 2).At(0, 1), clBlue);
}

TEST(GlyphCache, ListsAreSharedPerSizeReuseSlotsAndGoWithTheirLastImage) {
  ASSERT_EQ(CurrentGlyphCache(), nullptr);
  const int listsBefore = TGlyphList::LiveLists();
  {
    TGlyphSlots a, b, c;
    TGlyphList& la = a.List(9, 9);
    a.SetIndex(bsUp, la.AllocateIndex());
    a.SetIndex(bsDisabled, la.AllocateIndex());
    TGlyphList& lb = b.List(9, 9);
    EXPECT_EQ(&la, &lb);  // same size, same list
    b.SetIndex(bsUp, lb.AllocateIndex());
    EXPECT_EQ(b.Index(bsUp), 2);
    TGlyphList& lc = c.List(16, 16);
    EXPECT_NE(&lc, &la);
    c.SetIndex(bsUp, lc.AllocateIndex());
    EXPECT_EQ(GlyphCache().ListCount(), 2);
    EXPECT_EQ(TGlyphList::LiveLists(), listsBefore + 2);

    a.Invalidate();  // slots 0 and 1 free again; the list still serves b
    EXPECT_EQ(lb.Count(), 1);
    EXPECT_EQ(lb.AllocateIndex(), 0);
    EXPECT_EQ(lb.Capacity(), 3);
    lb.Delete(0);
    lb.Delete(0);  // twice: no double count
    EXPECT_EQ(lb.Count(), 1);

    c.Invalidate();
    EXPECT_EQ(GlyphCache().ListCount(), 1);
    EXPECT_EQ(TGlyphList::LiveLists(), listsBefore + 1);
  }
  EXPECT_EQ(TGlyphList::LiveLists(), listsBefore);
  ASSERT_NE(CurrentGlyphCache(), nullptr);
  EXPECT_TRUE(CurrentGlyphCache()->Empty());
  ReleaseGlyphCacheIfEmpty();
  EXPECT_EQ(CurrentGlyphCache(), nullptr);
}

TEST(BrowseForFolder, RootsAndTypesMapToShellConstants) {
  EXPECT_EQ(RootFolderId(bfrDesktop), -1);
  EXPECT_EQ(RootFolderId(bfrMyComputer), 0x11);
  EXPECT_EQ(RootFolderId(bfrNetworkNeighborhood), 0x12);
  EXPECT_EQ(RootFolderId(bfrPrinters), 0x04);
  EXPECT_EQ(BrowseFlags(bftFolders), 0x0001u);
  EXPECT_EQ(BrowseFlags(bftPrinters), 0x2000u);
  EXPECT_EQ(BrowseFlags(bftComputers), 0x1000u);
  EXPECT_EQ(BrowseFlags(bftFileorFolders), 0x4000u);
}
