#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <string>
#include <utility>
#include <vector>

#include "TabOrder.h"

using namespace quillfen::vcl;

namespace {
using Names = std::vector<std::string>;
}

TEST(TabOrderList, MovingAnEntryClampsTheValueAndShiftsTheOthers) {
  Names list{"A", "B", "C", "D"};
  EXPECT_EQ(MoveToTabOrder(list, std::string("C"), 0), 0);
  EXPECT_EQ(list, (Names{"C", "A", "B", "D"}));
  EXPECT_EQ(MoveToTabOrder(list, std::string("C"), 2), 2);
  EXPECT_EQ(list, (Names{"A", "B", "C", "D"}));
  EXPECT_EQ(MoveToTabOrder(list, std::string("A"), 99), 3);
  EXPECT_EQ(list, (Names{"B", "C", "D", "A"}));
  EXPECT_EQ(MoveToTabOrder(list, std::string("D"), -7), 0);
  EXPECT_EQ(list, (Names{"D", "B", "C", "A"}));
  EXPECT_EQ(MoveToTabOrder(list, std::string("B"), 1), 1);  // already there
  EXPECT_EQ(MoveToTabOrder(list, std::string("X"), 0), -1);
  EXPECT_EQ(list, (Names{"D", "B", "C", "A"}));
  EXPECT_EQ(ClampTabOrder(3, 0), -1);
}

TEST(TabOrderList, StoredValuesGiveTheirOrderWhateverOrderTheyWereStoredIn) {
  // Every order of five values over five entries created in a fixed order.
  std::vector<int> values(5);
  std::iota(values.begin(), values.end(), 0);
  do {
    std::vector<int> list{0, 1, 2, 3, 4};
    std::vector<std::pair<int, int>> stored;
    for (int entry = 0; entry < 5; ++entry) stored.emplace_back(entry, values[static_cast<size_t>(entry)]);
    ApplyTabOrders(list, stored);
    for (int entry = 0; entry < 5; ++entry)
      ASSERT_EQ(list[static_cast<size_t>(values[static_cast<size_t>(entry)])], entry);
  } while (std::next_permutation(values.begin(), values.end()));

  // An entry without a stored value (a status bar) keeps the front; values
  // above the count land at the end.
  Names list{"status", "exit", "scan", "readme"};
  ApplyTabOrders(list, {{"exit", 5}, {"scan", 4}, {"readme", 1}});
  EXPECT_EQ(list, (Names{"status", "readme", "scan", "exit"}));
}

TEST(TabOrderList, TheNextIndexGoesRoundAndSkipsWhatCannotTakeTheFocus) {
  const std::vector<bool> can{true, false, true, true, false};
  auto accepts = [&](int i) { return static_cast<bool>(can[static_cast<size_t>(i)]); };
  EXPECT_EQ(NextTabIndex(5, 0, true, accepts), 2);
  EXPECT_EQ(NextTabIndex(5, 3, true, accepts), 0);   // past the end, round to the front
  EXPECT_EQ(NextTabIndex(5, 0, false, accepts), 3);  // before the front, round to the end
  EXPECT_EQ(NextTabIndex(5, -1, true, accepts), 0);  // nothing focused yet: the first
  EXPECT_EQ(NextTabIndex(5, -1, false, accepts), 3); // or the last
  EXPECT_EQ(NextTabIndex(5, 1, true, accepts), 2);   // from an entry that no longer accepts
  // Only the current one can: it stays; none can: nothing.
  EXPECT_EQ(NextTabIndex(3, 1, true, [](int i) { return i == 1; }), 1);
  EXPECT_EQ(NextTabIndex(3, 1, true, [](int) { return false; }), -1);
  EXPECT_EQ(NextTabIndex(0, -1, true, accepts), -1);
}
