#include "Demo.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "Inventory.h"
#include "LcfChecker.h"
#include "Platform.h"
#include "ProjectData.h"
#include "RestartStripMarkers.h"
#include "ScanLib.h"
#include "TestFiles.h"

namespace quillfen {
namespace {

namespace stdfs = std::filesystem;
using testing::LcfChecker;
using testing::ReadAll;
using testing::TempDir;

std::size_t Markers(std::string_view data) {
  std::size_t n = 0;
  for (std::size_t at = data.find("\xCE\x7E"); at != std::string_view::npos; at = data.find("\xCE\x7E", at + 1)) ++n;
  return n;
}

void ExpectCleanCut(const std::string& data, const std::string& label) {
  std::string slow = data;
  ASSERT_NO_THROW(oracle::RestartStripMarkers(slow)) << label;
  std::string fast = data;
  ASSERT_NO_THROW(StripMarkers(fast)) << label;
  EXPECT_TRUE(fast == slow) << label << ": one-pass and restart removal differ";
  EXPECT_EQ(Markers(fast), 0u) << label;
}

// Every database file of a project folder, by name.
std::vector<stdfs::path> DatabaseFiles(const stdfs::path& project) {
  std::vector<stdfs::path> files;
  for (const auto& entry : stdfs::directory_iterator(project)) {
    const std::string ext = entry.path().extension().string();
    if (ext == ".ldb" || ext == ".lmt" || ext == ".lmu") files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());
  return files;
}

LcfChecker::File KindOf(const stdfs::path& file) {
  const std::string ext = file.extension().string();
  if (ext == ".ldb") return LcfChecker::File::Database;
  if (ext == ".lmt") return LcfChecker::File::MapTree;
  return LcfChecker::File::MapUnit;
}

TEST(Synthetic, SmallProjectIsWellFormedRepeatableAndNearItsSize) {
  TempDir dir;
  SyntheticOptions options;
  options.targetBytes = 3'000'000;
  options.maps = 12;
  options.messageRecords = 900;
  options.seed = 7;
  WriteSyntheticProject(dir.Path() / "a", options);
  WriteSyntheticProject(dir.Path() / "b", options);
  options.seed = 8;
  WriteSyntheticProject(dir.Path() / "c", options);

  const std::vector<stdfs::path> files = DatabaseFiles(dir.Path() / "a");
  ASSERT_EQ(files.size(), 14u);
  std::uint64_t total = 0;
  int mapMessages = 0, continuation = 0;
  std::map<int, int> codes;
  bool seedMatters = false;
  for (const stdfs::path& file : files) {
    const std::string name = file.filename().string();
    const std::string data = ReadAll(file);
    total += data.size();
    EXPECT_TRUE(data == ReadAll(dir.Path() / "b" / name)) << name << " differs for the same seed";
    seedMatters = seedMatters || data != ReadAll(dir.Path() / "c" / name);
    testing::LcfSummary s;
    ASSERT_NO_THROW(s = LcfChecker::Check(data, KindOf(file))) << name;
    EXPECT_EQ(Markers(data), static_cast<std::size_t>(s.messages)) << name << ": a marker that is no message";
    if (KindOf(file) == LcfChecker::File::MapUnit) {
      EXPECT_GT(s.messages, 0) << name;
      mapMessages += s.messages;
    }
    continuation += s.continuationLines;
    for (const auto& [code, count] : s.codes) codes[code] += count;
    ExpectCleanCut(data, name);
  }
  EXPECT_TRUE(seedMatters);
  EXPECT_EQ(mapMessages, 900);
  EXPECT_GT(continuation, 900);
  EXPECT_GT(total, 2'700'000u);
  EXPECT_LT(total, 3'300'000u);
  // Messages also sit inside branches and choices.
  for (int code : {10140, 20140, 20141, 12010, 22010, 22011, 10660, 10670, 11110, 11510, 11550}) {
    EXPECT_GT(codes[code], 0) << code;
  }
}

TEST(Synthetic, MarkerHeavyMapHoldsItsRunsAndCutsCleanly) {
  const std::string data = MakeMarkerHeavyData(600'000, 600, 5);
  testing::LcfSummary s;
  ASSERT_NO_THROW(s = LcfChecker::Check(data, LcfChecker::File::MapUnit));
  EXPECT_EQ(s.messages, 600);
  EXPECT_EQ(Markers(data), 600u);
  EXPECT_GT(data.size(), 540'000u);
  EXPECT_LT(data.size(), 660'000u);
  EXPECT_TRUE(data == MakeMarkerHeavyData(600'000, 600, 5));
  ExpectCleanCut(data, "marker-heavy map");
}

TEST(Synthetic, ScanOfferedFilesComeFromTheRtpAndAreMissingInTheProject) {
  TempDir dir;
  SyntheticOptions options;
  options.targetBytes = 1'000'000;
  options.maps = 5;
  options.messageRecords = 200;
  const stdfs::path project = dir.Path() / "Project";
  const stdfs::path rtp = dir.Path() / "RTP";
  WriteSyntheticProject(project, options);
  WriteSyntheticRtp(rtp);

  std::unique_ptr<FileSystem> fs = MakeFileSystem();
  const std::string scratch = testing::FolderText(dir.Path());
  StringList words(true);
  const ProjectDataBuffer data = BuildProjectData(*fs, project.string() + "\\", BuildOptions{scratch, nullptr, nullptr});
  ExtractWordsFromData(data.Joined(), words, nullptr);
  RtpFiles files;
  TakeInventory(*fs, project.string() + "\\", rtp.string() + "\\", files);
  StringList found(true);
  MatchWords(files, words, found, nullptr);

  EXPECT_GT(found.Count(), 20);
  EXPECT_LT(found.Count(), files.baseNames.Count());
  for (const std::string& entry : found) {
    std::string relative = entry;
    std::replace(relative.begin(), relative.end(), '\\', '/');
    EXPECT_TRUE(stdfs::exists(rtp / relative)) << entry;
    EXPECT_FALSE(stdfs::exists(project / relative)) << entry;
  }
}

}  // namespace
}  // namespace quillfen
