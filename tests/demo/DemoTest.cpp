#include "Demo.h"

#include <gtest/gtest.h>

#include <optional>

#include "Inventory.h"
#include "LcfChecker.h"
#include "Pipeline.h"
#include "Platform.h"
#include "ProjectData.h"
#include "RecordingHost.h"
#include "RestartStripMarkers.h"
#include "ScanLib.h"
#include "TestFiles.h"

namespace quillfen {
namespace {

namespace stdfs = std::filesystem;
using testing::LcfChecker;
using testing::ReadAll;
using testing::TempDir;

constexpr std::string_view kMarker = "\xCE\x7E";

// The literal restart removal neither fails nor leaves a marker, and the
// one-pass removal gives the same bytes.
void ExpectCleanCut(const std::string& data, const std::string& label) {
  std::string slow = data;
  ASSERT_NO_THROW(oracle::RestartStripMarkers(slow)) << label;
  EXPECT_EQ(slow.find(kMarker), std::string::npos) << label;
  std::string fast = data;
  ASSERT_NO_THROW(StripMarkers(fast)) << label;
  EXPECT_TRUE(fast == slow) << label << ": one-pass and restart removal differ";
}

std::size_t Markers(std::string_view data) {
  std::size_t n = 0;
  for (std::size_t at = data.find(kMarker); at != std::string_view::npos; at = data.find(kMarker, at + 1)) ++n;
  return n;
}

class FixedRegistry : public Registry {
 public:
  FixedRegistry(std::string rtp, std::string editor) : rtp_(std::move(rtp)), editor_(std::move(editor)) {}
  bool KeyExists(const std::string& key) const override { return key == "Software\\ASCII\\RPG2000"; }
  std::optional<std::string> ReadString(const std::string& key, const std::string& name) const override {
    if (!KeyExists(key)) return std::nullopt;
    if (name == "RuntimePackagePath") return rtp_;
    if (name == "ApplicationPath") return editor_;
    return std::nullopt;
  }

 private:
  std::string rtp_, editor_;
};

TEST(Demo, FilesAreWellFormedLcfWhoseMessagesCutCleanly) {
  TempDir dir;
  const DemoLayout layout = WriteDemo(dir.Path());
  const stdfs::path project = layout.projectFolder;

  const std::string ldb = ReadAll(project / "RPG_RT.ldb");
  testing::LcfSummary s;
  ASSERT_NO_THROW(s = LcfChecker::Check(ldb, LcfChecker::File::Database));
  EXPECT_EQ(s.messages, 1);
  EXPECT_EQ(Markers(ldb), 1u);
  ExpectCleanCut(ldb, "RPG_RT.ldb");

  const std::string lmt = ReadAll(project / "RPG_RT.lmt");
  ASSERT_NO_THROW(LcfChecker::Check(lmt, LcfChecker::File::MapTree));
  EXPECT_EQ(Markers(lmt), 0u);

  const std::vector<std::pair<const char*, int>> maps = {{"Map0001.lmu", 5}, {"Map0002.lmu", 2}, {"Map0003.lmu", 2}};
  int continuation = 0;
  std::string stripped;
  for (const auto& [name, messages] : maps) {
    const std::string data = ReadAll(project / name);
    ASSERT_NO_THROW(s = LcfChecker::Check(data, LcfChecker::File::MapUnit)) << name;
    EXPECT_EQ(s.messages, messages) << name;
    EXPECT_EQ(Markers(data), static_cast<std::size_t>(messages)) << name << ": a marker that is no message";
    continuation += s.continuationLines;
    ExpectCleanCut(data, name);
    std::string cut = data;
    StripMarkers(cut);
    stripped += cut;
  }
  EXPECT_EQ(continuation, 5);
  // Words spoken only in messages are gone, names in other commands stay.
  for (const char* gone : {"Lullaby", "Cavern", "Welcome", "sleepy", "hear"}) {
    EXPECT_EQ(stripped.find(gone), std::string::npos) << gone;
  }
  for (const char* kept : {"door1", "Battle2", "Sign", "Sky1", "Chara1", "Listen/Leave"}) {
    EXPECT_NE(stripped.find(kept), std::string::npos) << kept;
  }

  for (const char* category : kRtpCategoryTable) {
    EXPECT_TRUE(stdfs::is_directory(stdfs::path(layout.rtpFolder) / category)) << category;
  }
  EXPECT_TRUE(stdfs::is_regular_file(stdfs::path(layout.editorFolder) / "Harmony.dll"));
  EXPECT_EQ(ReadAll(project / "RPG_RT.ini").rfind("[RPG_RT]\r\n", 0), 0u);
}

TEST(Demo, ScanOffersExactlyTheExpectedFiles) {
  TempDir dir;
  const DemoLayout layout = WriteDemo(dir.Path() / "demo");
  const std::string scratch = testing::FolderText(dir.Path() / "scratch");
  stdfs::create_directories(scratch);
  const std::string project = layout.projectFolder + "\\";
  std::unique_ptr<FileSystem> fs = MakeFileSystem();

  // The stages one after the other.
  const ProjectDataBuffer data = BuildProjectData(*fs, project, BuildOptions{scratch, nullptr, nullptr});
  EXPECT_TRUE(stdfs::is_regular_file(scratch + kProjectDataFile));
  StringList words(true);
  ExtractWordsFromData(data.Joined(), words, nullptr);
  EXPECT_TRUE(words.Contains("theme"));  // Theme.midi is missed for its extension only
  EXPECT_FALSE(words.Contains("Lullaby"));
  EXPECT_TRUE(words.Contains("Mist1G"));  // a map's panorama name runs into the next chunk id
  RtpFiles rtp;
  TakeInventory(*fs, project, layout.rtpFolder + "\\", rtp);
  StringList found(true);
  MatchWords(rtp, words, found, nullptr);
  EXPECT_EQ(found.Items(), layout.expectedFound);

  // The whole scan, twice: each starts from empty lists.
  FixedRegistry registry(layout.rtpFolder, layout.editorFolder);
  testing::RecordingHost host;
  host.recordProgress = false;
  Scanner scanner(ScanEnvironment{*fs, registry, scratch}, host);
  scanner.LoadToolLocations();
  ASSERT_TRUE(scanner.ChooseProject(layout.projectFolder));
  for (int run = 0; run < 2; ++run) {
    host.imported.clear();
    scanner.StartScan();
    EXPECT_EQ(host.imported, layout.expectedFound) << "scan " << run;
  }
  EXPECT_TRUE(host.Only("stop").empty());
  EXPECT_EQ(host.Only("status").back(), "Scan complete");
}

}  // namespace
}  // namespace quillfen
