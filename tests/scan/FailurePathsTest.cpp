// Every failure message of the scan, made to happen: its title and text,
// the stages it leaves unrun, and that no file of the project or the RTP
// is lost or changed on the way.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <stdexcept>

#include "MemoryFileSystem.h"
#include "Messages.h"
#include "Pipeline.h"
#include "Platform.h"
#include "RecordingHost.h"

#ifndef _WIN32
#include <sys/mount.h>
#include <unistd.h>
#endif

namespace quillfen {
namespace {

using testing::MemoryFileSystem;
using testing::RecordingHost;
namespace fs = std::filesystem;

struct ToolRegistry : Registry {
  std::string rtp;
  bool KeyExists(const std::string&) const override { return true; }
  std::optional<std::string> ReadString(const std::string&, const std::string& name) const override {
    if (name == "RuntimePackagePath") return rtp;
    return std::nullopt;
  }
};

// A host whose status line or gauge fails at a chosen moment, as a window
// can when it is torn down or out of resources.
struct FailingHost : RecordingHost {
  std::string statusThatFails;
  std::string gaugeFailsDuring;  // the status text while the gauge fails
  std::function<void(std::string_view)> onStatus;
  std::string current;

  void SetStatus(std::string_view text) override {
    RecordingHost::SetStatus(text);
    current = text;
    if (onStatus) onStatus(text);
    if (text == statusThatFails) throw std::runtime_error("status line gone");
  }
  void SetProgress(int percent) override {
    RecordingHost::SetProgress(percent);
    if (!gaugeFailsDuring.empty() && current == gaugeFailsDuring) {
      gaugeFailsDuring.clear();  // once: the reset after the scan finds it back
      throw std::runtime_error("gauge gone");
    }
  }
};

std::string Stop(const char* title, const char* message) { return std::string(title) + ": " + message; }

struct FailureFixture : ::testing::Test {
  MemoryFileSystem files;
  ToolRegistry registry;
  FailingHost host;
  std::unique_ptr<Scanner> scanner;
  std::map<std::string, std::string> before;

  const std::vector<std::string> kInputs = {"C:\\Game\\RPG_RT.ldb", "C:\\Game\\RPG_RT.lmt",
                                            "C:\\Game\\Map0001.lmu", "C:\\RTP\\CharSet\\hero.png",
                                            "C:\\RTP\\Sound\\talk.wav"};

  void SetUp() override {
    registry.rtp = "C:\\RTP";
    files.MakeDir("C:\\Tool");
    files.Put("C:\\Game\\RPG_RT.ldb", "LcfDataBase hero talk ");
    files.Put("C:\\Game\\RPG_RT.lmt", "LcfMapTree");
    files.Put("C:\\Game\\Map0001.lmu", std::string(3000, ' ') + "hero");
    files.Put("C:\\RTP\\CharSet\\hero.png", "rtp hero");
    files.Put("C:\\RTP\\Sound\\talk.wav", "rtp talk");
    for (const std::string& path : kInputs) before[path] = *files.Get(path);
    host.recordProgress = false;
    scanner = std::make_unique<Scanner>(ScanEnvironment{files, registry, "C:\\Tool\\"}, host);
    scanner->LoadToolLocations();
    ASSERT_TRUE(scanner->ChooseProject("C:\\Game"));
    host.events.clear();
  }

  // One stop, the import step with what the scan had, the window unlocked,
  // the state emptied, and every input as it was.
  void ExpectEndedWith(const std::string& stop, int imported) {
    EXPECT_EQ(host.Only("stop"), std::vector<std::string>{stop});
    EXPECT_EQ(host.Only("import"), std::vector<std::string>{std::to_string(imported)});
    EXPECT_EQ(host.events.back(), "unlock");
    EXPECT_FALSE(scanner->Busy());
    EXPECT_EQ(scanner->State().wordList.Count(), 0);
    EXPECT_EQ(scanner->State().rtp.baseNames.Count(), 0);
    for (const auto& [path, data] : before) {
      ASSERT_NE(files.Get(path), nullptr) << path;
      EXPECT_EQ(*files.Get(path), data) << path;
    }
    EXPECT_FALSE(files.FileExists("C:\\Tool\\~temp.buf"));
    EXPECT_FALSE(files.DirectoryExists("C:\\Game\\CharSet"));  // nothing imported
  }
};

TEST_F(FailureFixture, AFailingWordStageIsAScanLibError) {
  host.gaugeFailsDuring = msg::kStatusWords;
  scanner->StartScan();
  ExpectEndedWith(Stop(msg::kScanLibErrorTitle, msg::kScanLibError), 0);
  EXPECT_EQ(host.Only("status").back(), msg::kStatusWords);
  // The project data was built whole before the words failed.
  ASSERT_TRUE(files.FileExists("C:\\Tool\\~prtmp.buf"));
  EXPECT_EQ(files.Get("C:\\Tool\\~prtmp.buf")->size(), 22u + 10u + 3004u);
}

TEST_F(FailureFixture, AnRtpFolderThatCannotBeListedIsAFileError) {
  files.failFind.insert("c:\\rtp\\sound");
  scanner->StartScan();
  ExpectEndedWith(Stop(msg::kFileErrorTitle, msg::kFileError), 0);
  EXPECT_EQ(host.Only("status").back(), msg::kStatusFiles);
}

TEST_F(FailureFixture, AFailingMatchIsAScanError) {
  host.gaugeFailsDuring = msg::kStatusScanning;
  scanner->StartScan();
  ExpectEndedWith(Stop(msg::kScanErrorTitle, msg::kScanError), 0);
  EXPECT_EQ(host.Only("status").back(), msg::kStatusScanning);
}

TEST_F(FailureFixture, AFailingStatusLineIsScanStopped) {
  host.statusThatFails = msg::kStatusBuilding;
  scanner->StartScan();
  ExpectEndedWith(Stop(msg::kScanStoppedTitle, msg::kScanStopped), 0);
  EXPECT_FALSE(files.FileExists("C:\\Tool\\~prtmp.buf"));  // the build never began

  // After the last stage the found files still reach the import step.
  host.events.clear();
  host.statusThatFails = msg::kStatusComplete;
  scanner->StartScan();
  ExpectEndedWith(Stop(msg::kScanStoppedTitle, msg::kScanStopped), 2);
}

TEST_F(FailureFixture, ADiskThatFillsWhileTheProjectDataIsWrittenIsABuildError) {
  files.Put("C:\\Tool\\~prtmp.buf", "an earlier scan's data");
  files.failWriteAt = 1;  // the second file's write
  scanner->StartScan();
  ExpectEndedWith(Stop(msg::kBuildErrorTitle, msg::kBuildError), 0);
  EXPECT_FALSE(files.FileExists("C:\\Tool\\~prtmp.buf"));  // no torso of the new data
}

#ifndef _WIN32

// The same on real file systems: a full tmpfs (where this machine lets us
// mount one), and a project folder removed while the build reads it.
struct RealFailureFixture : ::testing::Test {
  fs::path root;
  std::unique_ptr<FileSystem> files = MakeFileSystem();
  ToolRegistry registry;
  FailingHost host;

  void SetUp() override {
    root = fs::temp_directory_path() /
           ("qf-failures-" + std::to_string(::getpid()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(root);
    for (const char* folder : {"Game", "RTP/CharSet", "scratch"}) fs::create_directories(root / folder);
    Write("Game/RPG_RT.ldb", "LcfDataBase hero");
    Write("Game/RPG_RT.lmt", "LcfMapTree");
    Write("Game/Map0001.lmu", std::string(200000, ' ') + "hero");
    Write("Game/Map0002.lmu", "hero");
    Write("RTP/CharSet/hero.png", "rtp hero");
    registry.rtp = (root / "RTP").string();
    host.recordProgress = false;
  }
  void TearDown() override {
    ::umount((root / "scratch").c_str());
    fs::remove_all(root);
  }
  void Write(const std::string& relative, const std::string& data) {
    std::ofstream(root / relative, std::ios::binary) << data;
  }
  std::string Read(const std::string& relative) {
    std::ifstream in(root / relative, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  void Scan() {
    Scanner scanner({*files, registry, (root / "scratch").string() + "/"}, host);
    scanner.LoadToolLocations();
    ASSERT_TRUE(scanner.ChooseProject((root / "Game").string()));
    host.events.clear();
    scanner.StartScan();
  }
};

TEST_F(RealFailureFixture, AFullDiskIsABuildErrorAndLeavesNoScratchFile) {
  if (::mount("tmpfs", (root / "scratch").c_str(), "tmpfs", 0, "size=64k") != 0) {
    GTEST_SKIP() << "cannot mount a small tmpfs here";
  }
  Scan();
  EXPECT_EQ(host.Only("stop"), std::vector<std::string>{Stop(msg::kBuildErrorTitle, msg::kBuildError)});
  EXPECT_EQ(host.Only("import"), std::vector<std::string>{"0"});
  EXPECT_FALSE(fs::exists(root / "scratch" / "~prtmp.buf"));
  EXPECT_EQ(Read("Game/Map0001.lmu").size(), 200004u);
  EXPECT_EQ(Read("RTP/CharSet/hero.png"), "rtp hero");
}

TEST_F(RealFailureFixture, AProjectRemovedMidScanIsABuildError) {
  host.onStatus = [&](std::string_view text) {
    if (text == "Building Map0002.lmu...") fs::remove_all(root / "Game");
  };
  Scan();
  EXPECT_EQ(host.Only("stop"), std::vector<std::string>{Stop(msg::kBuildErrorTitle, msg::kBuildError)});
  EXPECT_EQ(host.Only("import"), std::vector<std::string>{"0"});
  EXPECT_EQ(host.events.back(), "unlock");
  EXPECT_FALSE(fs::exists(root / "scratch" / "~prtmp.buf"));
  EXPECT_FALSE(fs::exists(root / "scratch" / "~temp.buf"));
  EXPECT_EQ(Read("RTP/CharSet/hero.png"), "rtp hero");
}

#endif

}  // namespace
}  // namespace quillfen
