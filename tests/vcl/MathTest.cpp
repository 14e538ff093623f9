#include "Math.h"

#include <gtest/gtest.h>

using namespace quillfen::vcl;

TEST(MulDiv, RoundsHalvesAwayFromZeroWithAWideProduct) {
  EXPECT_EQ(quillfen::vcl::MulDiv(1, 1, 2), 1);
  EXPECT_EQ(quillfen::vcl::MulDiv(3, 1, 2), 2);
  EXPECT_EQ(quillfen::vcl::MulDiv(-1, 1, 2), -1);
  EXPECT_EQ(quillfen::vcl::MulDiv(-3, 1, 2), -2);
  EXPECT_EQ(quillfen::vcl::MulDiv(1, -3, 2), -2);
  EXPECT_EQ(quillfen::vcl::MulDiv(3, 1, -2), -2);
  EXPECT_EQ(quillfen::vcl::MulDiv(-3, 1, -2), 2);
  EXPECT_EQ(quillfen::vcl::MulDiv(1, 1, 3), 0);
  EXPECT_EQ(quillfen::vcl::MulDiv(2, 1, 3), 1);
  EXPECT_EQ(quillfen::vcl::MulDiv(50, 111, 100), 56);  // 55.5
  EXPECT_EQ(quillfen::vcl::MulDiv(49, 111, 100), 54);  // 54.39
  // The product exceeds 32 bits but the quotient fits.
  EXPECT_EQ(quillfen::vcl::MulDiv(100000, 100000, 100000), 100000);
  EXPECT_EQ(quillfen::vcl::MulDiv(2147483647, 2, 2), 2147483647);
  EXPECT_EQ(quillfen::vcl::MulDiv(-2147483647 - 1, 1, -1), -1);  // 2^31 does not fit
}

TEST(MulDiv, AnswersMinusOneOnDivisionByZeroAndOverflow) {
  EXPECT_EQ(quillfen::vcl::MulDiv(5, 7, 0), -1);
  EXPECT_EQ(quillfen::vcl::MulDiv(0, 7, 0), -1);
  EXPECT_EQ(quillfen::vcl::MulDiv(2147483647, 2, 1), -1);
  EXPECT_EQ(quillfen::vcl::MulDiv(-2147483647, 2, 1), -1);
}

TEST(Round, TiesGoToTheEvenNeighbour) {
  EXPECT_EQ(Round(0.5), 0);
  EXPECT_EQ(Round(1.5), 2);
  EXPECT_EQ(Round(2.5), 2);
  EXPECT_EQ(Round(3.5), 4);
  EXPECT_EQ(Round(-0.5), 0);
  EXPECT_EQ(Round(-1.5), -2);
  EXPECT_EQ(Round(-2.5), -2);
  EXPECT_EQ(Round(2.4999), 2);
  EXPECT_EQ(Round(2.5001), 3);
  EXPECT_EQ(Round(-2.5001), -3);
  EXPECT_EQ(Round(49.5), 50);
  EXPECT_EQ(Round(24.5), 24);
}

TEST(Trunc, CutsTowardZero) {
  EXPECT_EQ(Trunc(2.9), 2);
  EXPECT_EQ(Trunc(-2.9), -2);
  EXPECT_EQ(Trunc(-0.1), 0);
}

TEST(ExtendedTrig, ArgumentsBeyondTheReductionRangeGiveZero) {
  EXPECT_NEAR(static_cast<double>(SinExt(1.0L)), 0.8414709848, 1e-9);
  EXPECT_EQ(SinExt(1e30L), 0.0L);
  EXPECT_EQ(CosExt(-1e30L), 0.0L);
}
