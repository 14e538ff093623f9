// Where report and import --exact find the RTP of a project's edition,
// end to end: the real binary, a 2003 project, and each place it looks.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <nlohmann/json.hpp>

#include "ProgramRun.h"
#include "SampleGame.h"
#include "WineReg.h"

namespace fs = std::filesystem;

namespace {

using quillfen::testing::Quote;
using quillfen::testing::ReadAll;
using quillfen::testing::RegFile;
using quillfen::testing::WriteAll;
using Result = quillfen::testing::ProgramResult;

class RtpCli : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = fs::temp_directory_path() /
            ("quillfen-rtp-" + std::to_string(::getpid()) + "-" +
             ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(root_);
    fs::create_directories(root_ / "wine");
    // The real 2003 test game where the fixtures are, else the generated one.
    const fs::path fixtures = QF_FIXTURES_DIR;
    if (fs::is_directory(fixtures / "testgame-2003") &&
        fs::is_directory(fixtures / "easyrpg-rtp")) {
      project_ = root_ / "Game2003";
      fs::create_directories(project_);
      for (const auto& entry : fs::directory_iterator(fixtures / "testgame-2003")) {
        if (entry.is_regular_file())
          fs::copy_file(entry.path(), project_ / entry.path().filename());
      }
      rtp_ = fixtures / "easyrpg-rtp";
    } else {
      const auto game = quillfen::testing::WriteSampleGame(root_);
      project_ = game.project;
      rtp_ = game.rtp;
    }
  }
  void TearDown() override { fs::remove_all(root_); }

  // env: NAME=value settings on top of a clean slate of RTP variables.
  Result Run(const std::vector<std::string>& args, const std::vector<std::string>& env = {}) {
    return quillfen::testing::RunShell(quillfen::testing::CleanRtpCommand(root_, QF_QUILLFEN, args, env), root_);
  }
  nlohmann::json Json(const Result& r) {
    EXPECT_EQ(r.code, 0) << r.err;
    return nlohmann::json::parse(r.out);
  }
  std::string Project() const { return project_.string(); }
  std::string Rtp() const { return rtp_.string(); }

  fs::path root_, project_, rtp_;
};

TEST_F(RtpCli, A2003ProjectFindsThe2003RtpInItsVariableAndInTheDataFolders) {
  const auto given = Json(Run({"report", Project(), "--rtp", Rtp(), "--json"}));
  ASSERT_TRUE(given["rpg2003"].get<bool>());
  EXPECT_EQ(given["rtpSource"], "--rtp");
  const auto needed = given["needed"];
  ASSERT_FALSE(needed.empty());

  // A 2000 RTP wherever a 2000 project would look: never taken for 2003.
  const fs::path rtp2000 = root_ / "rtp2000";
  const fs::path share = root_ / "share";
  fs::create_directories(rtp2000 / "Sound");
  fs::create_directories(share / "rtp" / "2000");
  fs::create_directory_symlink(rtp_, share / "rtp" / "2003");
  const std::string other2000 = "RPG2K_RTP_PATH=" + rtp2000.string();
  const std::string dataDirs = "XDG_DATA_DIRS=" + (root_ / "none").string() + ":" + share.string();

  const std::string variable = "RPG2K3_RTP_PATH=" + (root_ / "none").string() + ";" + Rtp();
  Result r = Run({"report", Project()}, {other2000, variable, dataDirs});
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_NE(r.out.find("\nRTP: " + Rtp() + " (from RPG2K3_RTP_PATH)\n"), std::string::npos)
      << r.out;
  auto j = Json(Run({"report", Project(), "--json"}, {other2000, variable, dataDirs}));
  EXPECT_EQ(j["rtpSource"], "RPG2K3_RTP_PATH");
  EXPECT_EQ(j["rtp"], Rtp() + "\\");
  EXPECT_EQ(j["needed"], needed);

  const std::string shared = (share / "rtp" / "2003").string();
  r = Run({"report", Project()}, {other2000, dataDirs});
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_NE(r.out.find("\nRTP: " + shared + " (from XDG_DATA_DIRS)\n"), std::string::npos) << r.out;
  EXPECT_EQ(Json(Run({"report", Project(), "--json"}, {other2000, dataDirs}))["needed"], needed);

  // Without a 2003 RTP anywhere, the 2000 one still is not used.
  r = Run({"report", Project(), "--json"}, {other2000});
  EXPECT_TRUE(Json(r)["rtpSource"].get<std::string>().empty());
  EXPECT_NE(r.err.find("no RTP known for this 2003 project"), std::string::npos) << r.err;

  r = Run({"import", Project(), "--exact", "--all"}, {other2000, dataDirs});
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_NE(r.err.find("RTP: " + shared + " (from XDG_DATA_DIRS)\n"), std::string::npos) << r.err;
  for (const auto& n : needed) {
    std::string path = n.get<std::string>();
    std::replace(path.begin(), path.end(), '\\', '/');
    EXPECT_TRUE(fs::exists(project_ / path)) << path;
  }
}

TEST_F(RtpCli, Harmony2003ComesFromTheEditorOfTheKeyThatGaveTheRtp) {
  const fs::path editor2000 = root_ / "RPG2000";
  const fs::path editor2003 = root_ / "RPG2003";
  WriteAll(editor2000 / "Harmony.dll", "2000");
  WriteAll(editor2003 / "Harmony.dll", "2003");
  // The 2003 editor's 32-bit installer in a 64-bit prefix; the 2000 editor for the user.
  WriteAll(root_ / "wine" / "system.reg",
           RegFile({{"Software\\Wow6432Node\\Enterbrain\\RPG2003", "RuntimePackagePath", Rtp()},
                    {"Software\\Wow6432Node\\Enterbrain\\RPG2003", "ApplicationPath",
                     editor2003.string()}}));
  WriteAll(root_ / "wine" / "user.reg",
           RegFile({{"Software\\ASCII\\RPG2000", "RuntimePackagePath", (root_ / "wine").string()},
                    {"Software\\ASCII\\RPG2000", "ApplicationPath", editor2000.string()}}));
  Result r = Run({"import", Project(), "--exact", "--all", "--harmony"});
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_NE(
      r.err.find("RTP: " + Rtp() + " (from HKEY_LOCAL_MACHINE\\Software\\Enterbrain\\RPG2003)\n"),
      std::string::npos)
      << r.err;
  EXPECT_EQ(ReadAll(project_ / "Harmony.dll"), "2003");

  // --editor stands for the key's editor folder.
  r = Run({"import", Project(), "--exact", "--all", "--harmony", "--editor", editor2000.string(),
           "--json"});
  EXPECT_EQ(Json(r)["rtpSource"], "HKEY_LOCAL_MACHINE\\Software\\Enterbrain\\RPG2003");
  EXPECT_EQ(ReadAll(project_ / "Harmony.dll"), "2000");
}

}  // namespace
