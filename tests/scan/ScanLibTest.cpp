#include "ScanLib.h"

#include <gtest/gtest.h>

#include <cctype>
#include <random>
#include <set>

#include "EveryVectorScanner.h"
#include "MemoryFileSystem.h"

namespace quillfen {
namespace {

using testing::MemoryFileSystem;
using testing::WithEveryVectorScanner;

std::vector<std::string> Words(std::string_view data) {
  StringList list(true);
  ExtractWordsFromData(data, list, nullptr);
  return list.Items();
}

// The distinct words of data, each in the spelling met first: the naive way.
std::vector<std::string> FirstSpellings(const std::string& data) {
  std::set<std::string> folded;
  std::vector<std::string> firstSpelling;
  std::string word;
  auto lower = [](std::string w) {
    for (char& c : w) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return w;
  };
  for (std::size_t i = 0; i <= data.size(); ++i) {
    char c = i < data.size() ? data[i] : ' ';
    if (std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '_') {
      word += c;
      continue;
    }
    if (!word.empty() && folded.insert(lower(word)).second) firstSpelling.push_back(word);
    word.clear();
  }
  return firstSpelling;
}

TEST(ExtractWords, SplitsOnEveryByteThatIsNoWordCharacter) {
  EXPECT_EQ(Words("abc.def"), (std::vector<std::string>{"abc", "def"}));
  EXPECT_EQ(Words(std::string_view("x\xE9y z-1_Q\x00w", 11)), (std::vector<std::string>{"w", "x", "y", "z-1_Q"}));
  EXPECT_EQ(Words("Hero_01 hero_01 HERO_01"), (std::vector<std::string>{"Hero_01"}));
  EXPECT_EQ(Words("...last"), (std::vector<std::string>{"last"}));
  EXPECT_TRUE(Words("").empty());
}

TEST(ExtractWords, KeepsWordsAlreadyInTheListAndTheirSpelling) {
  StringList list(false);
  list.Add("Slime");
  ExtractWordsFromData("slime bat", list, nullptr);
  EXPECT_TRUE(list.Sorted());
  EXPECT_EQ(list.Items(), (std::vector<std::string>{"bat", "Slime"}));
}

TEST(ExtractWords, WordsRunAcrossBlockAndPassEdges) {
  // Words straddling 512000, the 1024 pass and the single-byte tail.
  std::string data(512000 + 102400 + 1024 + 7, ' ');
  auto plant = [&](std::size_t at, const std::string& w) { data.replace(at, w.size(), w); };
  plant(511997, "Edge512k");
  plant(512000 + 102400 - 3, "PassEdge");
  plant(data.size() - 10, "TailWord_9");
  plant(0, "First");
  auto words = Words(data);
  EXPECT_EQ(words, (std::vector<std::string>{"Edge512k", "First", "PassEdge", "TailWord_9"}));
}

// The gauge sequence: one value per whole-percent change, taken before each
// block of the seven passes; never 0, and never 100 although the last
// blocks round up to it.
TEST(ExtractWords, ReportsProgressBeforeEachBlockWhenThePercentChanges) {
  auto sequence = [](std::size_t size) {
    std::vector<int> seen;
    StringList list(true);
    ExtractWordsFromData(std::string(size, 'a'), list, [&](int p) { seen.push_back(p); });
    return seen;
  };
  // Block starts computed by hand for 1,300,000 bytes: 0, 512000, 1024000,
  // then 102400-byte blocks at 1024000..., 51200 ..., and so on.
  std::vector<int> expected;
  {
    const std::size_t size = 1300000;
    const std::size_t blocks[] = {512000, 102400, 51200, 20480, 5120, 1024, 1};
    std::size_t pos = 0;
    int last = 0;
    for (std::size_t s : blocks) {
      while (pos + s <= size) {
        double exact = static_cast<double>(pos) * 100.0 / static_cast<double>(size);
        int p = static_cast<int>(std::nearbyint(exact));
        if (p != last && p != 100) expected.push_back(last = p);
        pos += s;
      }
    }
  }
  EXPECT_EQ(sequence(1300000), expected);
  EXPECT_TRUE(sequence(1023).empty() || sequence(1023).front() != 0);
  for (int p : sequence(777777)) {
    EXPECT_GT(p, 0);
    EXPECT_LT(p, 100);
  }
  EXPECT_TRUE(sequence(0).empty());
}

// Large data is read in slices; the list and the gauge
// must not show it.
TEST(ExtractWords, LargeDataGivesTheSameWordsSpellingsAndGauge) {
  std::mt19937 rng(99);
  const std::string chars = "aAbBzZ09-_ .\xE9\x00";
  std::string data(9u << 20, ' ');
  for (char& c : data) c = chars[rng() % chars.size()];
  // A long word across the middle, where the work is split.
  data.replace(data.size() / 2 - 6, 12, " MiddleWord ");
  data.replace(data.size() - 200, 8, " Hero_1 ");
  data.replace(100, 8, " hero_1 ");  // the first spelling, far away

  const std::vector<std::string> firstSpelling = FirstSpellings(data);
  std::vector<int> seen;
  WithEveryVectorScanner([&] {
    StringList list(true);
    seen.clear();
    ExtractWordsFromData(data, list, [&](int p) { seen.push_back(p); });
    ASSERT_EQ(static_cast<std::size_t>(list.Count()), firstSpelling.size());
    for (const auto& w : firstSpelling) {
      int at = list.IndexOf(w);
      ASSERT_GE(at, 0) << w;
      EXPECT_EQ(list[at], w);
    }
    EXPECT_GE(list.IndexOf("MiddleWord"), 0);
    EXPECT_EQ(list[list.IndexOf("HERO_1")], "hero_1");
  });

  std::vector<int> expected;
  const std::size_t blocks[] = {512000, 102400, 51200, 20480, 5120, 1024, 1};
  std::size_t pos = 0;
  int last = 0;
  for (std::size_t s : blocks) {
    for (; pos + s <= data.size(); pos += s) {
      int p = RoundedPercent(pos, data.size());
      if (p != last && p != 100) expected.push_back(last = p);
    }
  }
  EXPECT_EQ(seen, expected);
}

// Once every one- and two-character word has been met the scanner skips
// such words; longer words right beside them, at 64-byte edges and in other
// letter case must still come out exactly.
TEST(ExtractWords, WordsStayExactAfterEveryShortWordWasMet) {
  const std::string alphabet = "-_0123456789abcdefghijklmnopqrstuvwxyz";
  std::string data;
  for (char a : alphabet) data += std::string(1, a) + " ";
  for (char a : alphabet)
    for (char b : alphabet) data += std::string{a, b, '.'};
  std::mt19937 rng(7);
  const std::string chars = "aAbBcCxX09-_ .\x01\xFF";
  const std::size_t start = data.size();
  data.resize(start + (3u << 20));
  for (std::size_t i = start; i < data.size(); ++i) data[i] = chars[rng() % chars.size()];
  // Short and long words planted on both sides of 64-byte edges.
  for (std::size_t at = start + 4096; at + 80 < data.size(); at += 64 * 997) {
    const std::size_t edge = at - at % 64;
    data.replace(edge - 3, 7, ".Q.Qz.");
    data.replace(edge + 20, 9, ".Zq9_Zq.");
  }
  data.replace(data.size() - 5, 5, " Zq9_");

  const std::vector<std::string> firstSpelling = FirstSpellings(data);
  WithEveryVectorScanner([&] {
    StringList list(true);
    ExtractWordsFromData(data, list, nullptr);
    ASSERT_EQ(static_cast<std::size_t>(list.Count()), firstSpelling.size());
    for (const auto& w : firstSpelling) {
      int at = list.IndexOf(w);
      ASSERT_GE(at, 0) << w;
      EXPECT_EQ(list[at], w);
    }
    EXPECT_EQ(list[list.IndexOf("q")], "q");  // met in lower case first
    EXPECT_GE(list.IndexOf("QZ"), 0);
    EXPECT_GE(list.IndexOf("zq9_zq"), 0);
  });
}

// Words of data cut into pieces and spans at random and fed in order: the
// words, their spellings and their order of first appearance must be those
// of the whole data, whatever the cutting.
TEST(WordStream, AnyCuttingGivesTheWordsOfTheWholeData) {
  WithEveryVectorScanner([&] {
    std::mt19937 rng(11);
    const std::string chars = "aAbBzZ09-_ .\x01\xFF";
    for (int round = 0; round < 60; ++round) {
      std::string data(rng() % 3000 + (round % 3 == 0 ? 70000 : 0), ' ');
      for (char& c : data) c = chars[rng() % chars.size()];
      // Long runs of word characters, some filling whole pieces, one longer
      // than a length byte can say.
      for (int k = 0; k < 6 && !data.empty(); ++k) {
        const std::size_t at = rng() % data.size();
        const std::size_t length = std::min<std::size_t>(data.size() - at, k == 0 ? 400 : rng() % 300);
        for (std::size_t i = at; i < at + length; ++i) data[i] = "aBz9_"[rng() % 5];
      }
      // Pieces (some empty), each cut into spans (some empty).
      std::vector<std::vector<std::string_view>> pieces;
      std::size_t at = 0;
      while (at < data.size()) {
        const std::size_t size = std::min<std::size_t>(data.size() - at, rng() % 500);
        std::vector<std::string_view> spans;
        std::size_t inner = 0;
        while (inner < size || spans.empty()) {
          const std::size_t span = std::min<std::size_t>(size - inner, rng() % 90);
          spans.push_back(std::string_view(data).substr(at + inner, span));
          inner += span;
          if (size == 0) break;
        }
        pieces.push_back(std::move(spans));
        at += size;
      }
      WordStream words;
      for (const auto& piece : pieces) words.Feed(piece);
      const std::vector<std::string> found = words.Finish();
      ASSERT_EQ(found, FirstSpellings(data)) << "round " << round;
      StringList pieced(true);
      pieced.AddAll(found);
      StringList whole(true);
      whole.AddAll(FirstSpellings(data));
      ASSERT_EQ(pieced.Items(), whole.Items()) << "round " << round;
    }
  });
}

TEST(RoundedPercent, RoundsHalvesToEven) {
  EXPECT_EQ(RoundedPercent(1, 200), 0);  // 0.5
  EXPECT_EQ(RoundedPercent(3, 200), 2);  // 1.5
  EXPECT_EQ(RoundedPercent(5, 200), 2);  // 2.5
  EXPECT_EQ(RoundedPercent(7, 8), 88);   // 87.5
  EXPECT_EQ(RoundedPercent(1, 3), 33);
  EXPECT_EQ(RoundedPercent(2, 3), 67);
  EXPECT_EQ(RoundedPercent(0, 0), 0);
}

TEST(ExtractWords, MissingFileLeavesTheListAlone) {
  MemoryFileSystem fs;
  StringList list(false);
  list.Add("keep");
  ExtractWords(fs, "C:\\nowhere\\~prtmp.buf", list, nullptr);
  EXPECT_FALSE(list.Sorted());
  EXPECT_EQ(list.Count(), 1);
  fs.Put("C:\\x\\data", "one two");
  fs.failLoad.insert("c:\\x\\data");
  EXPECT_THROW(ExtractWords(fs, "C:\\x\\data", list, nullptr), FileError);
}

TEST(FindPatternInFile, FindsFirstOccurrenceAcrossBlocksAndZeroBytes) {
  MemoryFileSystem fs;
  std::string data(100000, 'x');
  data[10] = '\0';
  data.replace(32767, 2, "\xCE\x7E");  // starts in the last byte of the first block
  fs.Put("C:\\f", data);
  EXPECT_EQ(FindPatternInFile(fs, "C:\\f", "\xCE\x7E", true), 32767);

  std::string second(70000, 'y');
  second.replace(65535, 2, "ab");  // straddles the second block edge
  second[40000] = '\0';
  fs.Put("C:\\g", second);
  EXPECT_EQ(FindPatternInFile(fs, "C:\\g", "ab", true), 65535);
  EXPECT_EQ(FindPatternInFile(fs, "C:\\g", "AB", true), -1);
  EXPECT_EQ(FindPatternInFile(fs, "C:\\g", "AB", false), 65535);
  EXPECT_EQ(FindPatternInFile(fs, "C:\\g", "yab", false), 65534);
  EXPECT_EQ(FindPatternInFile(fs, "C:\\g", "", true), -1);
  EXPECT_EQ(FindPatternInFile(fs, "", "ab", true), -1);
  EXPECT_EQ(FindPatternInFile(fs, "C:\\g", std::string_view("y\0y", 3), true), -1);
  EXPECT_EQ(FindPatternInFile(fs, "C:\\g", std::string(40000, 'y'), true), -1);
  // A pattern as long as a block still moves the search on.
  std::string wide(40000, 'y');
  fs.Put("C:\\w", wide);
  EXPECT_EQ(FindPatternInFile(fs, "C:\\w", std::string(32768, 'z'), true), -1);
  wide.replace(5000, 32768, std::string(32768, 'z'));
  fs.Put("C:\\w", wide);
  EXPECT_EQ(FindPatternInFile(fs, "C:\\w", std::string(32768, 'z'), true), 5000);
  EXPECT_THROW(FindPatternInFile(fs, "C:\\missing", "ab", true), FileError);
}

TEST(FindPatternInFile, AgreesWithAPlainSearchOnRandomData) {
  MemoryFileSystem fs;
  std::mt19937 rng(3);
  for (int round = 0; round < 30; ++round) {
    std::string data(static_cast<std::size_t>(rng() % 100000), '\0');
    for (char& c : data) c = static_cast<char>("\xCE\x7E\x00" "ab"[rng() % 5]);
    fs.Put("C:\\r", data);
    std::size_t expect = data.find("\xCE\x7E");
    EXPECT_EQ(FindPatternInFile(fs, "C:\\r", "\xCE\x7E", true),
              expect == std::string::npos ? -1 : static_cast<std::int64_t>(expect));
  }
}

TEST(ListContains, SortedIgnoresCaseUnsortedComparesBytes) {
  StringList sorted(true), plain(false);
  sorted.Add("Hero");
  plain.Add("Hero");
  EXPECT_TRUE(ListContains("hero", sorted));
  EXPECT_FALSE(ListContains("hero", plain));
  EXPECT_TRUE(ListContains("Hero", plain));
}

}  // namespace
}  // namespace quillfen
