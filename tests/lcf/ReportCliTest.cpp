// quillfen report and import --exact end to end: the real binary on a
// generated game, its output, exit codes and the files it leaves.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>

#include "ProgramRun.h"
#include "SampleGame.h"

namespace fs = std::filesystem;

namespace {

using quillfen::testing::Quote;
using quillfen::testing::ReadAll;
using Result = quillfen::testing::ProgramResult;

class ReportCli : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = fs::temp_directory_path() /
            ("quillfen-report-" + std::to_string(::getpid()) + "-" +
             ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(root_);
    fs::create_directories(root_ / "wine");
    game_ = quillfen::testing::WriteSampleGame(root_);
  }
  void TearDown() override { fs::remove_all(root_); }

  Result Run(const std::vector<std::string>& args) {
    // No RTP of the machine may leak in.
    return quillfen::testing::RunShell(quillfen::testing::CleanRtpCommand(root_, QF_QUILLFEN, args), root_);
  }
  std::string Project() const { return game_.project.string(); }
  std::string Rtp() const { return game_.rtp.string(); }

  fs::path root_;
  quillfen::testing::SampleGame game_;
};

TEST_F(ReportCli, ReportPrintsEveryReferenceAndTheSummaryAsTextJsonAndHtml) {
  Result r = Run({"report", Project(), "--rtp", Rtp()});
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_NE(r.out.find("RTP      Sound\\Door"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("Map0001.lmu, event 1 'Guard', page 1, command 3: Play Sound"),
            std::string::npos);
  std::string needed = "needed (" + std::to_string(game_.needed.size()) + "):\n";
  for (const std::string& n : game_.needed) needed += "  " + n + "\n";
  EXPECT_NE(r.out.find(needed), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("unused (4):\n  Battle\\Big.png\n"), std::string::npos);
  EXPECT_NE(r.out.find("dynamic: 1\n"), std::string::npos);

  const fs::path page = root_ / "report.html";
  r = Run({"report", Project(), "--rtp", Rtp(), "--json", "--html", page.string()});
  ASSERT_EQ(r.code, 0) << r.err;
  const auto j = nlohmann::json::parse(r.out);
  // Written as it goes, yet byte for byte what the library writes.
  EXPECT_EQ(j.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) + "\n", r.out);
  EXPECT_EQ(j["needed"].get<std::vector<std::string>>(), game_.needed);
  EXPECT_EQ(j["missing"].get<std::vector<std::string>>(), game_.missing);
  EXPECT_EQ(j["unused"].get<std::vector<std::string>>(), game_.unused);
  EXPECT_EQ(j["dynamic"], 1);
  EXPECT_EQ(j["references"].size(), game_.references.size());
  EXPECT_EQ(j["encoding"], "cp1252");
  EXPECT_EQ(j["exitCode"], 0);
  const std::string html = ReadAll(page);
  EXPECT_NE(html.find("<h2 class=\"missing\">Missing (7)</h2>"), std::string::npos);
  EXPECT_NE(html.find("<code>Sound\\Hit sound</code>"), std::string::npos);
  EXPECT_EQ(html.find("<script"), std::string::npos);
}

// Games with thousands of references, written in two halves and from the
// text each name shares: still byte for byte what the library writes, and
// every reference of the text report is there in order.
TEST_F(ReportCli, ALongJsonReportIsWhatTheLibraryWritesAndListsWhatTheTextDoes) {
  const fs::path fixtures = QF_FIXTURES_DIR;
  if (!fs::exists(fixtures / "testgame-2003" / "RPG_RT.ldb")) GTEST_SKIP() << "no test games at " << fixtures;
  for (const std::vector<std::string>& how :
       {std::vector<std::string>{"testgame-2000"}, {"testgame-2003", "--encoding", "shift-jis"}}) {
    std::vector<std::string> args = {"report", (fixtures / how[0]).string(), "--rtp",
                                     (fixtures / "easyrpg-rtp").string()};
    args.insert(args.end(), how.begin() + 1, how.end());
    const Result text = Run(args);
    args.push_back("--json");
    const Result r = Run(args);
    const auto j = nlohmann::json::parse(r.out);
    EXPECT_EQ(j.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) + "\n", r.out) << how[0];
    // The 2000 game has enough references to be written in two halves.
    ASSERT_GT(j["references"].size(), how[0] == "testgame-2000" ? 2048u : 1000u) << how[0];
    std::size_t at = 0;
    for (const auto& reference : j["references"]) {
      const std::string where = reference["where"];
      at = text.out.find(" " + where + "\n", at);
      ASSERT_NE(at, std::string::npos) << how[0] << ": " << where;
    }
  }
}

// A game too big to keep in memory is read through a temporary file: the
// text, JSON and page are byte for byte the same, and import --exact warns
// of the same references.
TEST_F(ReportCli, AGameReadThroughATemporaryFileReportsAndImportsAlike) {
  std::vector<fs::path> games = {game_.project};
  const fs::path fixtures = QF_FIXTURES_DIR;
  if (fs::exists(fixtures / "testgame-2000" / "RPG_RT.ldb")) games.push_back(fixtures / "testgame-2000");
  for (const fs::path& game : games) {
    for (const char* form : {"--json", ""}) {
      std::vector<std::string> args = {"report", game.string(), "--rtp", Rtp(), "--html"};
      args.push_back((root_ / "kept.html").string());
      if (*form) args.push_back(form);
      const Result kept = Run(args);
      args[5] = (root_ / "spilled.html").string();
      args.insert(args.end(), {"--spill-above", "0"});
      const Result spilled = Run(args);
      EXPECT_EQ(kept.code, spilled.code) << game;
      EXPECT_EQ(kept.out, spilled.out) << game << form;
      EXPECT_EQ(kept.err, spilled.err) << game << form;
      EXPECT_EQ(ReadAll(root_ / "kept.html"), ReadAll(root_ / "spilled.html")) << game;
    }
  }
  const Result r = Run({"import", Project(), "--exact", "--all", "--full-package", "--rtp", Rtp(), "--spill-above", "0"});
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_NE(r.err.find("Warning: 7 reference(s) name files that are not in the project"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("  Monster\\Slime  RPG_RT.ldb, enemy 1 'Slime': battler\n"), std::string::npos);
  for (const std::string& n : game_.needed) {
    std::string path = n;
    std::replace(path.begin(), path.end(), '\\', '/');
    EXPECT_TRUE(fs::exists(game_.project / path)) << n;
  }
}

TEST_F(ReportCli, ReportExitCodesNameTheFault) {
  EXPECT_EQ(Run({"report", (root_ / "nothing").string(), "--rtp", Rtp()}).code, 3);
  Result r = Run({"report", Project(), "--encoding", "ebcdic"});
  EXPECT_EQ(r.code, 2);
  EXPECT_NE(r.err.find("unknown encoding 'ebcdic'"), std::string::npos);

  // With --json an early end is an object too, for scripts.
  struct Early {
    std::vector<std::string> args;
    int code;
    std::string title;
  };
  for (const Early& e : std::vector<Early>{
           {{"report", Project(), "--encoding", "ebcdic", "--json"}, 2, "quillfen"},
           {{"report", (root_ / "nothing").string(), "--json"}, 3, "Invalid Project"},
           {{"import", Project(), "--exact", "--all", "--json"}, 3, "RTP Not Found"},
           {{"import", Project(), "--exact", "--rtp", Rtp(), "A/x", "B/y", "--json"}, 2, "quillfen"}}) {
    r = Run(e.args);
    EXPECT_EQ(r.code, e.code) << e.args[1];
    const auto j = nlohmann::json::parse(r.out);
    EXPECT_EQ(j["exitCode"], e.code);
    ASSERT_EQ(j["errors"].size(), 1u) << r.out;
    EXPECT_EQ(j["errors"][0]["title"], e.title);
    EXPECT_NE(r.err.find(j["errors"][0]["message"].get<std::string>()), std::string::npos) << r.err;
  }
  EXPECT_NE(r.err.find("'A\\x', 'B\\y' are not among the needed files"), std::string::npos) << r.err;

  // No RTP: a report all the same, saying so.
  r = Run({"report", Project(), "--json"});
  EXPECT_EQ(r.code, 0);
  EXPECT_NE(r.err.find("no RTP known"), std::string::npos);

  // A damaged map: named with its offset, the rest reported, exit 1.
  const fs::path map = game_.project / "Map0001.lmu";
  const std::string bytes = ReadAll(map);
  std::ofstream(map, std::ios::binary | std::ios::trunc) << bytes.substr(0, bytes.size() - 9);
  r = Run({"report", Project(), "--rtp", Rtp(), "--json"});
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.err.find("quillfen: Map0001.lmu, offset "), std::string::npos) << r.err;
  const auto j = nlohmann::json::parse(r.out);
  EXPECT_EQ(j["problems"][0]["file"], "Map0001.lmu");
  EXPECT_GT(j["references"].size(), 20u);
}

TEST_F(ReportCli, ExactImportCopiesFromTheNeededListAndWarnsBeforeFullPackage) {
  const fs::path project = game_.project;
  // A mistyped entry changes nothing.
  Result r = Run({"import", Project(), "--exact", "--rtp", Rtp(), "Sound/Door.wav", "Sound/Nope.wav"});
  EXPECT_EQ(r.code, 2);
  EXPECT_NE(r.err.find("'Sound\\Nope.wav' is not among the needed files"), std::string::npos);
  EXPECT_FALSE(fs::exists(project / "Sound" / "Door.wav"));

  r = Run({"import", Project(), "--exact", "--rtp", Rtp(), "sound/door.WAV"});
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.out, "Sound\\Door.wav\nFinished: The scanner has finished importing the files to "
                   "your project directory.\n");
  EXPECT_TRUE(fs::exists(project / "Sound" / "Door.wav"));

  const std::string ini = ReadAll(project / "RPG_RT.ini");
  r = Run({"import", Project(), "--exact", "--all", "--full-package", "--rtp", Rtp()});
  EXPECT_EQ(r.code, 0) << r.err;
  for (const std::string& n : game_.needed) {
    std::string path = n;
    std::replace(path.begin(), path.end(), '\\', '/');
    EXPECT_TRUE(fs::exists(project / path)) << n;
  }
  EXPECT_NE(r.err.find("Warning: 7 reference(s) name files that are not in the project"),
            std::string::npos)
      << r.err;
  EXPECT_NE(r.err.find("  Monster\\Slime  RPG_RT.ldb, enemy 1 'Slime': battler\n"),
            std::string::npos);
  EXPECT_NE(r.err.find("Warning: 1 name(s) are built while the game runs"), std::string::npos);
  EXPECT_NE(ReadAll(project / "RPG_RT.ini").find("FullPackageFlag=1"), std::string::npos);
  EXPECT_NE(ReadAll(project / "RPG_RT.ini"), ini);

  // Now the project holds every file the RTP had for it.
  r = Run({"report", Project(), "--rtp", Rtp(), "--json"});
  EXPECT_TRUE(nlohmann::json::parse(r.out)["needed"].empty());

  // A damaged map: what could be read is imported, but the run is no success.
  const fs::path map = project / "Map0001.lmu";
  const std::string bytes = ReadAll(map);
  std::ofstream(map, std::ios::binary | std::ios::trunc) << bytes.substr(0, bytes.size() / 2);
  r = Run({"import", Project(), "--exact", "--all", "--rtp", Rtp(), "--json"});
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.err.find("quillfen: Map0001.lmu, offset "), std::string::npos) << r.err;
  EXPECT_EQ(nlohmann::json::parse(r.out)["exitCode"], 1);

  fs::remove_all(game_.rtp);
  r = Run({"import", Project(), "--exact", "--all"});
  EXPECT_EQ(r.code, 3);
  EXPECT_NE(r.err.find("RTP Not Found"), std::string::npos);
}

TEST_F(ReportCli, Big5NamesAndRunTimePicturesReadAndImportAsTheEngineLoadsThem) {
  using quillfen::testing::WriteFile;
  const fs::path project = root_ / "Big5", rtp = root_ / "Big5RTP";
  std::vector<std::int64_t> numbered(20, 0);
  numbered[0] = 3;
  numbered[18] = 3;
  numbered[19] = 7;
  quillfen::lcf::Commands list;
  list.Add(quillfen::lcf::kShowPicture, 0, "\xA7\xF8\x31", {1, 0, 0, 160, 120});  // 村1
  list.Add(quillfen::lcf::kShowPicture, 0, "\x81\x5C", {2, 0, 0, 160, 120});      // no Big5 character
  list.Add(quillfen::lcf::kShowPicture, 0, "menuicon_000", numbered);
  list.Add(quillfen::lcf::kEnd, 0, "", {});
  const std::string commands = list.Finish();
  WriteFile(project / "RPG_RT.ldb",
            quillfen::lcf::Header("LcfDataBase") +
                quillfen::lcf::Chunks()
                    .Raw(quillfen::lcf::chunk::Database::kCommonEvents, quillfen::lcf::Array({quillfen::lcf::Chunks().Str(quillfen::lcf::chunk::CommonEvent::kName, "Menu").Raw(quillfen::lcf::chunk::CommonEvent::kEventCommands, commands).Finish()}))
                    .Finish());
  WriteFile(project / "RPG_RT.lmt", quillfen::testing::MapTree({}));
  WriteFile(project / "Picture" / "\xE6\x9D\x91\x31.png", "x");
  WriteFile(project / "Picture" / "menuicon_000.png", "x");
  WriteFile(rtp / "Picture" / "menuicon_001.png", "x");

  Result r = Run({"report", project.string(), "--rtp", rtp.string()});
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_NE(r.out.find("Names: big5 (1 of 2 names decode; 1 file found)\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("project  Picture\\\xE6\x9D\x91\x31 "), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("missing  Picture\\\\x81\\x5C "), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("names built at run time: 1\n"), std::string::npos);
  EXPECT_NE(r.out.find("possibly needed (1):\n  Picture\\menuicon_001.png\n"), std::string::npos);

  // By name or by number; JSON keeps the bytes of what did not decode.
  for (const char* given : {"950", "BIG5", "cp950"}) {
    r = Run({"report", project.string(), "--rtp", rtp.string(), "--encoding", given, "--json"});
    ASSERT_EQ(r.code, 0) << r.err;
    const auto j = nlohmann::json::parse(r.out);
    EXPECT_EQ(j["encoding"], "big5");
    EXPECT_EQ(j["encodingReason"], "set by --encoding");
    EXPECT_EQ(j["references"][0]["name"], "\xE6\x9D\x91\x31");
    EXPECT_FALSE(j["references"][0].contains("nameBytes"));
    EXPECT_EQ(j["references"][1]["nameBytes"], "815c");
    EXPECT_EQ(j["dynamicNames"][0]["pattern"], "menuicon_###");
    EXPECT_EQ(j["dynamicNames"][0]["files"], nlohmann::json::array({"Picture\\menuicon_000.png"}));
    EXPECT_EQ(j["possiblyNeeded"], nlohmann::json::array({"Picture\\menuicon_001.png"}));
  }
  r = Run({"report", project.string(), "--encoding", "koi8"});
  EXPECT_EQ(r.code, 2);
  EXPECT_NE(r.err.find("big5/chinese-traditional (950)"), std::string::npos) << r.err;

  // What fits a run-time name is copied only when asked.
  r = Run({"import", project.string(), "--exact", "--all", "--rtp", rtp.string()});
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_FALSE(fs::exists(project / "Picture" / "menuicon_001.png"));
  r = Run({"import", project.string(), "--exact", "--rtp", rtp.string(), "Picture/menuicon_001.png"});
  EXPECT_EQ(r.code, 2);
  r = Run({"import", project.string(), "--exact", "--all", "--with-run-time-names", "--rtp", rtp.string()});
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.out.rfind("Picture\\menuicon_001.png\n", 0), 0u) << r.out;
  EXPECT_TRUE(fs::exists(project / "Picture" / "menuicon_001.png"));
}

}  // namespace
