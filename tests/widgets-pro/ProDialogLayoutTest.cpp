#include <gtest/gtest.h>

#include <string>

#include "ProDlgs.h"

using namespace quillfen::widgets;
using quillfen::vcl::Bounds;

TEST(ProDialogLayout, At120DpiTheDesignedGeometryWithOneOrTwoButtons) {
  const TMessageDialogLayout two = MessageDialogLayout(120, true);
  EXPECT_EQ(two.ClientWidth, 402);
  EXPECT_EQ(two.ClientHeight, 169);
  EXPECT_EQ(two.Bevel, Bounds(10, 10, 381, 106));
  EXPECT_EQ(two.Image, Bounds(15, 29, 48, 64));
  EXPECT_EQ(two.Label, Bounds(70, 20, 311, 86));
  EXPECT_EQ(two.MainButton, Bounds(94, 128, 100, 30));
  EXPECT_EQ(two.HelpButton, Bounds(208, 128, 100, 30));
  EXPECT_TRUE(two.HelpVisible);
  const TMessageDialogLayout one = MessageDialogLayout(120, false);
  EXPECT_FALSE(one.HelpVisible);
  EXPECT_EQ(one.MainButton, Bounds(151, 128, 100, 30));  // centred
}

TEST(ProDialogLayout, At96DpiFourFifthsWithThePictureKeptAndPlacedAgainstTheBevel) {
  const TMessageDialogLayout l = MessageDialogLayout(96, false);
  EXPECT_EQ(l.ClientWidth, 322);
  EXPECT_EQ(l.ClientHeight, 135);
  EXPECT_EQ(l.Bevel, Bounds(8, 8, 305, 85));
  EXPECT_EQ(l.Label, Bounds(56, 16, 249, 69));
  EXPECT_EQ(l.MainButton, Bounds(121, 102, 80, 24));
  EXPECT_EQ(l.Image.Width(), 48);
  EXPECT_EQ(l.Image.Height(), 64);
  EXPECT_EQ(l.Image.Left, 12);
  EXPECT_EQ(l.Image.Top, (8 + 85 - 64) / 2);
  // The button stays centred in the window.
  EXPECT_LE(std::abs(l.MainButton.Left + l.MainButton.Width() / 2 - l.ClientWidth / 2), 1);
  const TMessageDialogLayout big = MessageDialogLayout(144, true);
  EXPECT_EQ(big.HelpButton, Bounds(250, 154, 120, 36));
}

TEST(ProDialogLayout, CaptionsPerLanguage) {
  EXPECT_STREQ(MessageDialogCaption(false, dlEnglish), "Information");
  EXPECT_STREQ(MessageDialogCaption(true, dlEnglish), "Stop");
  EXPECT_EQ(std::string(MessageDialogCaption(true, dlGerman)), "Halt");
  EXPECT_EQ(std::string(MessageDialogCaption(true, dlHungarian)), "Állj");
  EXPECT_EQ(std::string(MessageDialogCaption(false, dlKorean)), "정보");
  EXPECT_EQ(std::string(MessageDialogCaption(true, dlTurkish)), "DUR");
}
