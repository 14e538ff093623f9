#include "Colors.h"

#include <gtest/gtest.h>

using namespace quillfen::vcl;

TEST(Colors, SystemColoursCarryTheTopBitAndTheirIndex) {
  EXPECT_EQ(static_cast<std::uint32_t>(clBtnFace), 0x8000000Fu);
  EXPECT_EQ(static_cast<std::uint32_t>(clScrollBar), 0x80000000u);
  EXPECT_EQ(static_cast<std::uint32_t>(clInfoBk), 0x80000018u);
  EXPECT_EQ(static_cast<std::uint32_t>(clHighlight), 0x8000000Du);
  EXPECT_TRUE(IsSystemColor(clMenuText));
  EXPECT_FALSE(IsSystemColor(clWhite));
  EXPECT_EQ(clRed, RGBColor(255, 0, 0));
  EXPECT_EQ(clNavy, RGBColor(0, 0, 128));
  EXPECT_EQ(RedOf(clOlive), 0x80);
  EXPECT_EQ(GreenOf(clOlive), 0x80);
  EXPECT_EQ(BlueOf(clOlive), 0);
}

#ifndef _WIN32
TEST(Colors, ColorToRGBResolvesTheClassicScheme) {
  EXPECT_EQ(ColorToRGB(clBlue), clBlue);
  EXPECT_EQ(ColorToRGB(clBtnFace), RGBColor(212, 208, 200));
  EXPECT_EQ(ColorToRGB(clBtnShadow), RGBColor(128, 128, 128));
  EXPECT_EQ(ColorToRGB(clBtnHighlight), clWhite);
  EXPECT_EQ(ColorToRGB(clWindowFrame), clBlack);
  EXPECT_EQ(ColorToRGB(clInfoBk), RGBColor(255, 255, 225));
  EXPECT_EQ(ColorToRGB(SystemColor(200)), 0);
}
#endif
