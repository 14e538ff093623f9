#include "StringList.h"

#include <gtest/gtest.h>

#include <random>

#include "TextCompare.h"

namespace quillfen {
namespace {

TEST(StringList, UnsortedKeepsOrderAndDuplicatesAndFindsFirstIgnoringCase) {
  StringList list(false);
  list.Add("Music");
  list.Add("Sound");
  list.Add("music");
  list.Add("Sound");
  ASSERT_EQ(list.Count(), 4);
  EXPECT_EQ(list[2], "music");
  EXPECT_EQ(list.IndexOf("MUSIC"), 0);
  EXPECT_EQ(list.IndexOf("sound"), 1);
  EXPECT_EQ(list.IndexOf("Panorama"), -1);
}

TEST(StringList, SortedOrdersIgnoringCaseAndKeepsFirstSpelling) {
  StringList list(true);
  list.Add("slime");
  list.Add("Hero_01");
  list.Add("hero_01");
  list.Add("Bat");
  list.Add("HERO_01");
  ASSERT_EQ(list.Count(), 3);
  EXPECT_EQ(list[0], "Bat");
  EXPECT_EQ(list[1], "Hero_01");
  EXPECT_EQ(list[2], "slime");
  EXPECT_EQ(list.IndexOf("SLIME"), 2);
  EXPECT_EQ(list.IndexOf("bat"), 0);
  EXPECT_EQ(list.IndexOf("Bats"), -1);
  EXPECT_EQ(list.IndexOf(""), -1);
}

TEST(StringList, SwitchingToSortedDropsLaterDuplicates) {
  StringList list(false);
  for (const char* s : {"b", "A", "a", "B", "c"}) list.Add(s);
  list.SetSorted(true);
  EXPECT_EQ(list.Items(), (std::vector<std::string>{"A", "b", "c"}));
}

// Batch adding must give exactly what adding one by one gives, also for
// lists long enough to be sorted in two halves, whose later spellings of
// an entry must lose to earlier ones in either half.
TEST(StringList, AddAllEqualsAddingOneByOne) {
  std::mt19937 rng(7);
  const std::string alphabet = "aAbB-_0Z";
  for (int round = 0; round < 204; ++round) {
    std::vector<std::string> texts;
    const bool large = round >= 200;
    // Long lists hold entries first met in either half, some in several spellings.
    const std::string letters = large ? "aAbBcC-_" : alphabet;
    int n = large ? 9000 + static_cast<int>(rng() % 12000) : static_cast<int>(rng() % 40);
    for (int i = 0; i < n; ++i) {
      std::string s;
      int len = large ? 1 + static_cast<int>(rng() % 6) : static_cast<int>(rng() % 4);
      for (int k = 0; k < len; ++k) s += letters[rng() % letters.size()];
      texts.push_back(s);
    }
    StringList one(true), batch(true);
    one.Add("b");
    batch.Add("b");
    for (const auto& t : texts) one.Add(t);
    batch.AddAll(texts);
    ASSERT_EQ(one.Items(), batch.Items()) << "round " << round;
    for (int i = 1; i < one.Count(); ++i) {
      ASSERT_LT(CompareTextIgnoreCase(one[i - 1], one[i]), 0);
    }
  }
}

}  // namespace
}  // namespace quillfen
