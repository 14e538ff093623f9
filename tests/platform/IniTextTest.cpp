#include "IniText.h"

#include <gtest/gtest.h>

namespace quillfen {
namespace {

std::string SetFlag(std::string_view text) {
  return SetIniValue(text, "RPG_RT", "FullPackageFlag", "1");
}

TEST(IniText, ReplacesTheValueInTheMatchingSectionOnly) {
  const std::string text =
      "[Other]\r\nFullPackageFlag=0\r\n[ rpg_rt ]\r\n; FullPackageFlag=0\r\n"
      "GameTitle=Hero\r\n  fullpackageflag =  0\r\n[Last]\r\nFullPackageFlag=0\r\n";
  EXPECT_EQ(SetFlag(text),
            "[Other]\r\nFullPackageFlag=0\r\n[ rpg_rt ]\r\n; FullPackageFlag=0\r\n"
            "GameTitle=Hero\r\n  fullpackageflag =  1\r\n[Last]\r\nFullPackageFlag=0\r\n");
  // A key given without "=" gets one.
  EXPECT_EQ(SetFlag("[RPG_RT]\nFullPackageFlag\nX=1\n"), "[RPG_RT]\nFullPackageFlag=1\nX=1\n");
  // The first section that holds the key wins over an earlier one without it.
  EXPECT_EQ(SetFlag("[RPG_RT]\nA=1\n[RPG_RT]\nFullPackageFlag=0\n"),
            "[RPG_RT]\nA=1\n[RPG_RT]\nFullPackageFlag=1\n");
}

TEST(IniText, InsertsAfterTheLastNonBlankLineOfTheSection) {
  EXPECT_EQ(
      SetFlag("[RPG_RT]\r\nGameTitle=Hero\r\n\r\n; next\r\n\r\n[Other]\r\nA=1\r\n"),
      "[RPG_RT]\r\nGameTitle=Hero\r\n\r\n; next\r\nFullPackageFlag=1\r\n\r\n[Other]\r\nA=1\r\n");
  EXPECT_EQ(SetFlag("[RPG_RT]\n"), "[RPG_RT]\nFullPackageFlag=1\n");
  // Without a final line break the file stays without one.
  EXPECT_EQ(SetFlag("[RPG_RT]\r\nGameTitle=Hero"),
            "[RPG_RT]\r\nGameTitle=Hero\r\nFullPackageFlag=1");
  EXPECT_EQ(SetFlag("[RPG_RT]"), "[RPG_RT]\r\nFullPackageFlag=1");
  // Old Mac line ends are kept and used.
  EXPECT_EQ(SetFlag("[RPG_RT]\rA=1\r"), "[RPG_RT]\rA=1\rFullPackageFlag=1\r");
}

TEST(IniText, AppendsTheSectionWhenMissing) {
  EXPECT_EQ(SetFlag("[Other]\nA=1\n"), "[Other]\nA=1\n[RPG_RT]\nFullPackageFlag=1\n");
  EXPECT_EQ(SetFlag("[Other]\nA=1"), "[Other]\nA=1\n[RPG_RT]\nFullPackageFlag=1");
  EXPECT_EQ(SetFlag(""), "[RPG_RT]\r\nFullPackageFlag=1\r\n");
  EXPECT_EQ(SetFlag("; only a comment\n\n"), "; only a comment\n\n[RPG_RT]\nFullPackageFlag=1\n");
  // A key line before any section does not count.
  EXPECT_EQ(SetFlag("FullPackageFlag=0\n"), "FullPackageFlag=0\n[RPG_RT]\nFullPackageFlag=1\n");
}

TEST(IniText, KeepsTheByteOrderMarkAndIsIdempotent) {
  const std::string bom = "\xEF\xBB\xBF";
  EXPECT_EQ(SetFlag(bom + "[RPG_RT]\r\nA=1\r\n"), bom + "[RPG_RT]\r\nA=1\r\nFullPackageFlag=1\r\n");
  EXPECT_EQ(SetFlag(bom), bom + "[RPG_RT]\r\nFullPackageFlag=1\r\n");
  for (const char* text :
       {"", "[RPG_RT]", "[a]\nb=c", "\xEF\xBB\xBF[RPG_RT]\r\n\r\n", "x\r\n\n\r"}) {
    const std::string once = SetFlag(text);
    EXPECT_EQ(SetFlag(once), once) << text;
  }
}

TEST(IniText, RefusesEditsThatWouldBreakTheLineStructure) {
  EXPECT_TRUE(IsValidIniEdit("RPG_RT", "FullPackageFlag", "1"));
  EXPECT_FALSE(IsValidIniEdit("RPG_RT", "Full=Flag", "1"));
  EXPECT_FALSE(IsValidIniEdit("RPG]RT", "FullPackageFlag", "1"));
  EXPECT_FALSE(IsValidIniEdit("RPG_RT", "FullPackageFlag", "1\r\n[x]"));
  EXPECT_FALSE(IsValidIniEdit("RPG_RT", "  ", "1"));
}

}  // namespace
}  // namespace quillfen
