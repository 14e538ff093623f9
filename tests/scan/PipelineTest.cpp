#include "Pipeline.h"

#include <gtest/gtest.h>

#include <map>

#include "MemoryFileSystem.h"
#include "Messages.h"
#include "ProjectData.h"
#include "RecordingHost.h"

namespace quillfen {
namespace {

using testing::MemoryFileSystem;
using testing::RecordingHost;

struct FakeRegistry : Registry {
  std::map<std::string, std::string> values;
  bool key = true;
  bool KeyExists(const std::string&) const override { return key; }
  std::optional<std::string> ReadString(const std::string&, const std::string& name) const override {
    auto it = values.find(name);
    if (!key || it == values.end()) return std::nullopt;
    return it->second;
  }
};

std::string Message(const std::string& text) {
  std::string r = "\xCE\x7E";
  r += '\0';
  r += static_cast<char>(text.size());
  r += text;
  r += '\0';
  return r;
}

struct PipelineFixture : ::testing::Test {
  MemoryFileSystem fs;
  FakeRegistry registry;
  RecordingHost host;
  std::unique_ptr<Scanner> scanner;

  void SetUp() override {
    registry.values["RuntimePackagePath"] = "C:\\RTP";
    registry.values["ApplicationPath"] = "C:\\RPG2000\\";
    fs.MakeDir("C:\\Tool");
    fs.Put("C:\\RTP\\CharSet\\hero.png");
    fs.Put("C:\\RTP\\Monster\\slime.png");
    fs.Put("C:\\RTP\\Sound\\talk.wav");
    fs.Put("C:\\Game\\RPG_RT.ldb", "\x0b" "LcfDataBase hero " + Message("talk of slime") + "!!");
    fs.Put("C:\\Game\\RPG_RT.lmt", "LcfMapTree");
    fs.Put("C:\\Game\\Map0002.lmu", " slime ");
    fs.Put("C:\\Game\\MAP0001.LMU", " x ");
    host.recordProgress = false;
    Restart();
  }
  void Restart() {
    scanner = std::make_unique<Scanner>(ScanEnvironment{fs, registry, "C:\\Tool\\"}, host);
    scanner->LoadToolLocations();
  }
  void Choose() {
    ASSERT_TRUE(scanner->ChooseProject("C:\\Game"));
    host.events.clear();
  }
};

TEST_F(PipelineFixture, ToolLocationsComeFromTheRegistry) {
  EXPECT_EQ(scanner->State().rtpPath, "C:\\RTP\\");
  EXPECT_EQ(scanner->BrowserStartFolder(), "C:\\RPG2000\\Project");
  registry.key = false;
  Restart();
  EXPECT_EQ(scanner->State().rtpPath, "");
  EXPECT_FALSE(scanner->BrowserStartFolder());
  // A key without the RTP value names no RTP.
  registry.key = true;
  registry.values.erase("RuntimePackagePath");
  Restart();
  EXPECT_EQ(scanner->State().rtpPath, "");
}

TEST_F(PipelineFixture, ChoosingAProjectNeedsBothDatabaseFiles) {
  fs.Put("C:\\Half\\rpg_rt.ldb");
  EXPECT_TRUE(scanner->ChooseProject("C:\\Game"));
  EXPECT_FALSE(scanner->ChooseProject("C:\\Half"));
  EXPECT_FALSE(scanner->ChooseProject("C:\\Nowhere"));
  EXPECT_EQ(host.project, "C:\\Game\\");
  EXPECT_EQ(host.events, (std::vector<std::string>{
                             "project C:\\Game\\", std::string("status ") + msg::kProjectLoaded,
                             std::string("stop Invalid Project: ") + msg::kInvalidProject,
                             std::string("stop Invalid Project: ") + msg::kInvalidProject}));
}

TEST_F(PipelineFixture, AScanRunsTheStagesInOrderAndImportsAfterwards) {
  Choose();
  host.onImport = [&] { EXPECT_TRUE(scanner->Busy()); EXPECT_FALSE(scanner->CanClose()); };
  scanner->StartScan();
  EXPECT_EQ(host.events,
            (std::vector<std::string>{
                "lock", "status Building project...", "status Building RPG_RT.ldb...",
                "status Building RPG_RT.lmt...", "status Building Map0002.lmu...",
                "status Building MAP0001.LMU...", "status Fetching word list...",
                "status Fetching file list...", "status Scanning...", "status Scan complete",
                "import 2", std::string("stop Cannot Exit!: ") + msg::kCannotExit, "unlock"}));
  // "talk" was only said in a message, which is cut out.
  EXPECT_EQ(host.imported, (std::vector<std::string>{"CharSet\\hero.png", "Monster\\slime.png"}));
  const std::string* data = fs.Get("C:\\Tool\\~prtmp.buf");
  ASSERT_NE(data, nullptr);
  EXPECT_EQ(*data, "\x0b" "LcfDataBase hero!!LcfMapTree slime  x ");
  EXPECT_FALSE(fs.FileExists("C:\\Tool\\~temp.buf"));
  EXPECT_FALSE(scanner->Busy());
  EXPECT_TRUE(scanner->CanClose());
  EXPECT_EQ(scanner->State().wordList.Count(), 0);  // emptied after the scan

  auto first = host.imported;
  scanner->StartScan();
  EXPECT_EQ(host.imported, first);
}

// A map whose messages, right after a chunk's end, take back more bytes
// than the chunk held: the words are those of the whole map cut at once,
// and the scan shows each status once.
TEST_F(PipelineFixture, MessagesTakingBackPastAChunkGiveTheWordsOfTheWholeCut) {
  std::string map(65536, '.');
  map.replace(61000, 6, " talk ");  // passed on with the first chunk, then taken back
  map.replace(58000, 6, " hero ");  // kept
  for (int i = 0; i < 5000; ++i) map += Message("m");
  map += " x ";
  fs.Put("C:\\Game\\Map0003.lmu", map);
  fs.Put("C:\\Game\\Map0002.lmu", " ");
  Choose();
  scanner->StartScan();
  EXPECT_EQ(host.imported, (std::vector<std::string>{"CharSet\\hero.png"}));
  EXPECT_TRUE(host.Only("stop").empty());
  EXPECT_EQ(host.Only("status"),
            (std::vector<std::string>{"Building project...", "Building RPG_RT.ldb...", "Building RPG_RT.lmt...",
                                      "Building Map0002.lmu...", "Building MAP0001.LMU...",
                                      "Building Map0003.lmu...", "Fetching word list...", "Fetching file list...",
                                      "Scanning...", "Scan complete"}));
  std::string whole = map;
  StripMarkers(whole);
  ASSERT_EQ(whole.size(), 65536u - 5000 + 3);
  const std::string* data = fs.Get("C:\\Tool\\~prtmp.buf");
  ASSERT_NE(data, nullptr);
  EXPECT_EQ(data->substr(data->size() - whole.size()), whole);
}

TEST_F(PipelineFixture, WithoutRtpOnlyTheMessageShows) {
  registry.key = false;
  Restart();
  Choose();
  scanner->StartScan();
  EXPECT_EQ(host.events, (std::vector<std::string>{std::string("stop RTP Not Found: ") + msg::kRtpNotFound}));
  EXPECT_FALSE(host.locked);
}

TEST_F(PipelineFixture, AVanishedProjectStillOpensTheImportStep) {
  Choose();
  fs.Remove("C:\\Game");
  scanner->StartScan();
  EXPECT_EQ(host.events, (std::vector<std::string>{
                             "lock", std::string("stop Project Not Found: ") + msg::kProjectNotFound,
                             "import 0", "unlock"}));
}

TEST_F(PipelineFixture, BuildFailuresStopThePipelineWithBuildError) {
  Choose();
  fs.Put("C:\\Game\\Map0003.lmu", Message("starts with a marker"));
  scanner->StartScan();
  auto stops = host.Only("stop");
  ASSERT_EQ(stops.size(), 1u);
  EXPECT_EQ(stops[0], std::string("Build Error: ") + msg::kBuildError);
  EXPECT_EQ(host.Only("status").back(), "Building Map0003.lmu...");
  EXPECT_EQ(host.Only("import"), (std::vector<std::string>{"0"}));
  EXPECT_FALSE(fs.FileExists("C:\\Tool\\~prtmp.buf"));  // not written by a failed build
  EXPECT_FALSE(fs.FileExists("C:\\Tool\\~temp.buf"));

  fs.Remove("C:\\Game\\Map0003.lmu");
  fs.failLoad.insert("c:\\game\\rpg_rt.lmt");
  host.events.clear();
  scanner->StartScan();
  EXPECT_EQ(host.Only("stop"), (std::vector<std::string>{std::string("Build Error: ") + msg::kBuildError}));

  // When the very first input fails, the scratch file of an earlier scan
  // is not touched.
  fs.failLoad.clear();
  fs.failLoad.insert("c:\\game\\rpg_rt.ldb");
  fs.Put("C:\\Tool\\~prtmp.buf", "earlier scan");
  host.events.clear();
  scanner->StartScan();
  EXPECT_EQ(host.Only("stop"), (std::vector<std::string>{std::string("Build Error: ") + msg::kBuildError}));
  EXPECT_EQ(fs.LoadFile("C:\\Tool\\~prtmp.buf"), "earlier scan");
}

TEST_F(PipelineFixture, ASecondScanHoldingTheScratchFileFailsTheBuild) {
  Choose();
  auto held = fs.LockExclusive("C:\\Tool\\~prtmp.buf");
  scanner->StartScan();
  EXPECT_EQ(host.Only("stop"), (std::vector<std::string>{std::string("Build Error: ") + msg::kBuildError}));
  held.reset();
  host.events.clear();
  scanner->StartScan();
  EXPECT_TRUE(host.Only("stop").empty());
}

TEST_F(PipelineFixture, GaugeIsResetAndDrivenDuringTheScan) {
  Choose();
  host.recordProgress = true;
  scanner->StartScan();
  auto progress = host.Only("progress");
  ASSERT_GE(progress.size(), 6u);
  EXPECT_EQ(progress.front(), "0");  // reset first
  // The word extraction climbs, then matching three RTP files shows 0, 33
  // and 67 before each, then the reset after the scan.
  EXPECT_GT(std::stoi(progress[progress.size() - 5]), 50);
  std::vector<std::string> tail(progress.end() - 4, progress.end());
  EXPECT_EQ(tail, (std::vector<std::string>{"0", "33", "67", "0"}));
}

}  // namespace
}  // namespace quillfen
