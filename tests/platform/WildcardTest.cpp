#include "Wildcard.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace quillfen {
namespace {

TEST(Wildcard, MatchesAsFindFirstFileDoes) {
  EXPECT_TRUE(MatchesWildcard("*.lmu", "Map0001.LMU"));
  EXPECT_FALSE(MatchesWildcard("*.lmu", "Map0001.lmu.bak"));
  EXPECT_FALSE(MatchesWildcard("*.lmu", "lmu"));
  for (const char* name : {"hero.png", "README", ".", "..", "a.b.c"}) {
    EXPECT_TRUE(MatchesWildcard("*.*", name)) << name;
    EXPECT_TRUE(MatchesWildcard("*", name)) << name;
  }
  EXPECT_TRUE(MatchesWildcard("hero.*", "HERO"));
  EXPECT_TRUE(MatchesWildcard("hero.*", "hero.png"));
  EXPECT_FALSE(MatchesWildcard("hero.*", "heroes"));
  EXPECT_TRUE(MatchesWildcard("Map????.lmu", "map0042.lmu"));
  EXPECT_FALSE(MatchesWildcard("Map????.lmu", "map042.lmu"));
  EXPECT_TRUE(MatchesWildcard("*.", "README"));
  EXPECT_FALSE(MatchesWildcard("*.", "read.me"));
  EXPECT_TRUE(MatchesWildcard("*a*b*", "xxaxxbxx"));
  EXPECT_FALSE(MatchesWildcard("*a*b", "xxbxxa"));
  EXPECT_TRUE(MatchesWildcard("rpg_rt.ldb", "RPG_RT.LDB"));
}

TEST(Wildcard, SortsInNtfsOrder) {
  std::vector<std::string> names = {"b", "_a", "A2", "a10", "Z", "[x]", "a", "~t", "\xC3\xA9", "1"};
  std::sort(names.begin(), names.end(),
            [](const std::string& x, const std::string& y) { return NtfsNameLess(x, y); });
  // Upper-cased ordinal order: '_' (0x5F) and '[' sit between 'Z' and '~'.
  const std::vector<std::string> expected = {"1", "a",   "a10", "A2", "b",
                                             "Z", "[x]", "_a",  "~t", "\xC3\xA9"};
  EXPECT_EQ(names, expected);
  EXPECT_TRUE(NtfsNameLess("CharSet", "charset"));
  EXPECT_FALSE(NtfsNameLess("charset", "CharSet"));
}

}  // namespace
}  // namespace quillfen
