// The report as a window shows it: the file-by-file progress of the reading,
// the counts line, the names found nowhere with their first place, and what
// remains once a game no longer asks for the RTP.
#include <gtest/gtest.h>

#include <filesystem>
#include <tuple>

#include "Platform.h"
#include "Report.h"
#include "SampleGame.h"
#include "Summary.h"
#include "TextDecode.h"
#include "TwoHalves.h"
#include "../platform/TempFolder.h"

namespace quillfen {
namespace {

namespace fs = std::filesystem;
using testing::TempFolder;

report::Options OptionsFor(const testing::SampleGame& g) {
  report::Options o;
  o.projectFolder = g.project.string() + "/";
  o.rtpFolder = g.rtp.string() + "/";
  // Names on disk are UTF-8 text here.
  o.decode = [](std::string_view bytes, report::Encoding e) {
    return DecodeToUtf8(bytes, e == report::Encoding::kShiftJis ? CodePage::kShiftJis : CodePage::kCp1252);
  };
  return o;
}

TEST(ReportSummary, ReadingTellsOfEachFileBeforeItAndChangesNothingElse) {
  TempFolder root;
  const testing::SampleGame g = testing::WriteSampleGame(root.Path());
  // The tree names a third map that is not there, and the second is cut short.
  testing::WriteFile(g.project / "RPG_RT.lmt",
                     testing::MapTree({{1, "Town", 1, 0, "", 0, ""}, {2, "Cave", 1, 0, "", 0, ""}, {4, "Gone", 1, 0, "", 0, ""}}));
  const std::string map2 = testing::sample::Map2();
  testing::WriteFile(g.project / "Map0002.lmu", map2.substr(0, map2.size() - 5));
  auto files = MakeFileSystem();
  const report::Options o = OptionsFor(g);

  std::vector<std::tuple<std::string, std::size_t, std::size_t>> told;
  const lcf::Collected collected = report::CollectProject(
      *files, o.projectFolder,
      [&](const std::string& file, std::size_t done, std::size_t total) { told.emplace_back(file, done, total); });
  const std::vector<std::tuple<std::string, std::size_t, std::size_t>> expected = {
      {"RPG_RT.ldb", 0, 2}, {"RPG_RT.lmt", 1, 2}, {"Map0001.lmu", 2, 5},
      {"Map0002.lmu", 3, 5}, {"Map0004.lmu", 4, 5}};
  EXPECT_EQ(told, expected);

  const lcf::Collected quiet = report::CollectProject(*files, o.projectFolder);
  EXPECT_EQ(report::FormatText(report::Resolve(*files, o, collected), "P", "R"),
            report::FormatText(report::Resolve(*files, o, quiet), "P", "R"));
  ASSERT_EQ(collected.problems.size(), 2u);
  EXPECT_EQ(collected.problems[0].file, "Map0002.lmu");
  EXPECT_NE(collected.problems[0].offset, lcf::Problem::kNoOffset);
  EXPECT_EQ(collected.problems[1].file, "Map0004.lmu");
}

TEST(ReportSummary, CountsAndMissingNamesReadAsTheDialogShowsThem) {
  TempFolder root;
  const testing::SampleGame g = testing::WriteSampleGame(root.Path());
  auto files = MakeFileSystem();
  const report::Report r = report::BuildReport(*files, OptionsFor(g));

  const report::Counts c = report::CountOf(r);
  std::size_t project = 0, rtp = 0, missing = 0;
  for (const std::string& line : g.references) {
    project += line.rfind("project ", 0) == 0;
    rtp += line.rfind("RTP ", 0) == 0;
    missing += line.rfind("missing ", 0) == 0;
  }
  EXPECT_EQ(c.references, g.references.size());
  EXPECT_EQ(std::tie(c.project, c.rtp, c.missing), std::tie(project, rtp, missing));
  EXPECT_EQ(c.unused, g.unused.size());
  EXPECT_EQ(c.dynamic, 1u);
  EXPECT_EQ(report::CountsLine({1, 0, 1, 0, 1, 1}),
            "1 reference: 0 in the project, 1 from the RTP, 0 missing; 1 unused project file; "
            "1 name built at run time");
  EXPECT_EQ(report::CountsLine({46, 12, 26, 8, 4, 0}),
            "46 references: 12 in the project, 26 from the RTP, 8 missing; 4 unused project files; "
            "0 names built at run time");

  std::vector<std::string> lines;
  for (const report::MissingPlace& p : report::MissingPlaces(r)) lines.push_back(report::MissingLine(p));
  ASSERT_EQ(lines.size(), g.missing.size());
  EXPECT_EQ(lines.front(), "Backdrop\\Field: RPG_RT.lmt, map 1 'Town': battle background");

  // One name in other letter case is one name; the first place is kept.
  report::Report made;
  auto entry = [](lcf::Folder folder, std::string name, std::string_view where, report::Status status) {
    report::Entry e;
    e.folder = folder;
    e.status = status;
    e.where = where;  // the literals below outlive the report
    e.resolution = std::make_shared<const report::Resolution>(report::Resolution{std::move(name), {}, {}});
    return e;
  };
  made.references = {entry(lcf::Folder::kMonster, "Slime", "RPG_RT.ldb, enemy 1", report::Status::kMissing),
                     entry(lcf::Folder::kSound, "Boom", "Map0001.lmu, event 1", report::Status::kMissing),
                     entry(lcf::Folder::kMonster, "SLIME", "Map0002.lmu, event 3", report::Status::kMissing),
                     entry(lcf::Folder::kMonster, "slime", "Map0003.lmu, event 4", report::Status::kMissing),
                     entry(lcf::Folder::kSound, "Boom", "RPG_RT.ldb, skill 2", report::Status::kRtp)};
  made.missing = {"Monster\\Slime", "Sound\\Boom"};
  lines.clear();
  for (const report::MissingPlace& p : report::MissingPlaces(made)) lines.push_back(report::MissingLine(p));
  EXPECT_EQ(lines, (std::vector<std::string>{"Monster\\Slime: RPG_RT.ldb, enemy 1 (and 2 more places)",
                                             "Sound\\Boom: Map0001.lmu, event 1"}));
  made.references.erase(made.references.begin() + 3);
  EXPECT_EQ(report::MissingLine(report::MissingPlaces(made).front()),
            "Monster\\Slime: RPG_RT.ldb, enemy 1 (and 1 more place)");

  // Under the report's own fold (here i and y are one letter, as accented
  // letters are one under a Unicode fold) spellings ASCII case keeps apart
  // are one name too.
  made.references.push_back(entry(lcf::Folder::kMonster, "Slyme", "Map0004.lmu, event 5", report::Status::kMissing));
  const report::NameFold fold = [](std::string_view text) {
    std::string key = report::AsciiLower(text);
    for (char& ch : key) ch = ch == 'y' ? 'i' : ch;
    return key;
  };
  EXPECT_EQ(report::MissingLine(report::MissingPlaces(made, fold).front()),
            "Monster\\Slime: RPG_RT.ldb, enemy 1 (and 2 more places)");
  EXPECT_EQ(report::MissingLine(report::MissingPlaces(made).front()),
            "Monster\\Slime: RPG_RT.ldb, enemy 1 (and 1 more place)");
}

TEST(ReportSummary, WhatRemainsWithoutTheRtpIsCountedOnTheProjectAsItIsNow) {
  TempFolder root;
  const testing::SampleGame g = testing::WriteSampleGame(root.Path());
  auto files = MakeFileSystem();
  const report::Options o = OptionsFor(g);
  const lcf::Collected collected = report::CollectProject(*files, o.projectFolder);
  const report::Report r = report::Resolve(*files, o, collected);
  const report::Counts c = report::CountOf(r);

  report::Remaining before = report::RemainingWithoutRtp(*files, o, collected);
  EXPECT_EQ(before.references, c.rtp + c.missing);
  EXPECT_EQ(before.dynamic, 1u);
  for (const std::string& entry : r.needed) {
    std::string path = entry;
    std::replace(path.begin(), path.end(), '\\', '/');
    fs::create_directories((g.project / path).parent_path());
    fs::copy_file(g.rtp / path, g.project / path, fs::copy_options::skip_existing);
  }
  const report::Remaining after = report::RemainingWithoutRtp(*files, o, collected);
  EXPECT_EQ(after.references, c.missing);
  EXPECT_TRUE(after.Any());

  EXPECT_EQ(report::RemainingQuestion({7, 1}),
            "7 references name files that your project does not hold, and 1 name is built while the "
            "game runs and cannot be checked. Without the RTP the game fails where it loads them. Mark "
            "the project as running without the RTP all the same?");
  EXPECT_EQ(report::RemainingQuestion({1, 0}),
            "1 reference names a file that your project does not hold. Without the RTP the game fails "
            "where it loads it. Mark the project as running without the RTP all the same?");
  EXPECT_EQ(report::RemainingQuestion({0, 2}).substr(0, 60),
            "2 names are built while the game runs and cannot be checked.");
  EXPECT_FALSE((report::Remaining{0, 0}).Any());
}

// Output made on two threads in turns comes out whole and in order, at
// every length around the slices, and an error on either side reaches the
// caller once both have stopped.
TEST(ReportOutput, SlicesMadeInTurnsAreWrittenInOrderAndFailuresReachTheCaller) {
  constexpr std::size_t kSlice = 100;
  for (std::size_t count : {std::size_t{0}, std::size_t{1}, report::kSplitAt - 1, report::kSplitAt,
                            report::kSplitAt + 1, 20 * kSlice, 21 * kSlice, 21 * kSlice + 7}) {
    std::string expected, written;
    for (std::size_t i = 0; i < count; ++i) expected += std::to_string(i) + ",";
    bool bothMade[2] = {false, false};
    report::InTurns(
        count, kSlice,
        [&](std::size_t begin, std::size_t end, std::string& out, int maker) {
          bothMade[maker] = true;
          for (std::size_t i = begin; i < end; ++i) out += std::to_string(i) + ",";
        },
        [&](std::string_view text) { written += text; });
    EXPECT_EQ(written, expected) << count;
    EXPECT_EQ(bothMade[1], count >= report::kSplitAt) << count;
  }
  for (int failing : {0, 1}) {
    std::size_t writes = 0;
    try {
      report::InTurns(
          30 * kSlice, kSlice,
          [&](std::size_t begin, std::size_t, std::string& out, int maker) {
            if (maker == failing && begin >= 10 * kSlice) throw std::runtime_error("made badly");
            out += "x";
          },
          [&](std::string_view) { ++writes; });
      ADD_FAILURE() << "no error from maker " << failing;
    } catch (const std::runtime_error& e) {
      EXPECT_STREQ(e.what(), "made badly");
    }
    EXPECT_LE(writes, 12u) << failing;
  }
}

}  // namespace
}  // namespace quillfen
