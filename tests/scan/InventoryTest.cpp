#include "Inventory.h"

#include <gtest/gtest.h>

#include "MemoryFileSystem.h"

namespace quillfen {
namespace {

using testing::MemoryFileSystem;

const std::string kProject = "C:\\Game\\";
const std::string kRtp = "C:\\RTP\\";

std::vector<std::string> Found(const MemoryFileSystem& fs, std::vector<std::string> words) {
  RtpFiles files;
  TakeInventory(fs, kProject, kRtp, files);
  StringList list(true);
  list.AddAll(std::move(words));
  StringList found(true);
  MatchWords(files, list, found, nullptr);
  return found.Items();
}

TEST(Inventory, ListsRtpFilesTheProjectLacksInParallelLists) {
  MemoryFileSystem fs;
  fs.Put(kRtp + "Music\\theme.mid");
  fs.Put(kRtp + "CharSet\\hero.png");
  fs.Put(kRtp + "CharSet\\noext");
  fs.Put(kRtp + "CharSet\\Sub\\inner.png");  // a sub-folder is an entry of its own
  fs.Put(kRtp + "Battle\\ab");
  fs.Put(kProject + "charset\\HERO.PNG");   // the project has it, other case
  RtpFiles files;
  TakeInventory(fs, kProject, kRtp, files);
  // Table order: Battle, CharSet, ..., Music; within a folder, listing order.
  EXPECT_EQ(files.categories.Items(),
            (std::vector<std::string>{"Battle", "CharSet", "CharSet", "Music"}));
  EXPECT_EQ(files.baseNames.Items(), (std::vector<std::string>{"", "n", "", "theme"}));
  EXPECT_EQ(files.extensions.Items(), (std::vector<std::string>{"", "", "", ".mid"}));
}

TEST(Inventory, MatchesBaseNamesAgainstWords) {
  MemoryFileSystem fs;
  fs.Put(kRtp + "CharSet\\hero.png");
  fs.Put(kProject + "CharSet\\hero.bmp");  // another extension does not count
  fs.Put(kRtp + "Monster\\slime.png");
  fs.Put(kRtp + "Battle\\Slime.png");      // the same name in two folders
  fs.Put(kRtp + "Music\\theme.midi");      // base "theme." never matches
  fs.Put(kRtp + "Sound\\unused.wav");
  fs.MakeDir(kProject + "Panorama");       // no RTP Panorama folder at all
  EXPECT_EQ(Found(fs, {"HERO", "slime", "theme", "Theme"}),
            (std::vector<std::string>{"Battle\\Slime.png", "CharSet\\hero.png", "Monster\\slime.png"}));
  EXPECT_TRUE(Found(fs, {"nothing"}).empty());
}

TEST(Inventory, GaugeShowsItemIndexOverCountBeforeEachItem) {
  RtpFiles files;
  for (int i = 0; i < 8; ++i) {
    files.categories.Add("Sound");
    files.baseNames.Add(std::string(1, 's').append(std::to_string(i)));
    files.extensions.Add(".wav");
  }
  StringList words(true), found(true);
  std::vector<int> seen;
  MatchWords(files, words, found, [&](int p) { seen.push_back(p); });
  EXPECT_EQ(seen, (std::vector<int>{0, 12, 25, 38, 50, 62, 75, 88}));  // 12.5 -> 12, 37.5 -> 38
  seen.clear();
  MatchWords(RtpFiles{}, words, found, [&](int p) { seen.push_back(p); });
  EXPECT_TRUE(seen.empty());
}

}  // namespace
}  // namespace quillfen
