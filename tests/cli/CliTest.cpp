// The quillfen program end to end: generated projects on disk, the real
// binary, its output and exit codes, and the files it leaves.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <future>
#include <nlohmann/json.hpp>
#include <regex>
#include <set>

#include "Demo.h"
#include "ProgramRun.h"
#include "QuillfenVersion.h"
#include "WineReg.h"

namespace fs = std::filesystem;

namespace {

using quillfen::testing::Quote;
using quillfen::testing::ReadAll;
using quillfen::testing::WriteAll;
using Result = quillfen::testing::ProgramResult;

class Cli : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = fs::temp_directory_path() /
            ("quillfen-cli-" + std::to_string(::getpid()) + "-" +
             ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(root_);
    fs::create_directories(root_);
    // No Wine prefix of the machine may leak in: an empty one of our own.
    fs::create_directories(root_ / "wine");
  }
  void TearDown() override { fs::remove_all(root_); }

  // launcher: a command the program is run through, such as setpriv.
  Result Run(const std::vector<std::string>& args, const std::string& program = QF_QUILLFEN,
             const std::string& launcher = "", const std::vector<std::string>& env = {}) {
    std::string cmd = launcher + quillfen::testing::CleanRtpCommand(root_, program, args, env);
    cmd += " --scratch ";
    cmd += Quote((root_ / "scratch").string());
    return Exec(cmd);
  }
  Result RunPlain(const std::string& args) {
    std::string cmd = QF_QUILLFEN;
    cmd += " ";
    cmd += args;
    return Exec(cmd);
  }
  Result Exec(const std::string& cmd) { return quillfen::testing::RunShell(cmd, root_); }

  fs::path root_;
};

std::string Lines(const std::vector<std::string>& lines) {
  std::string s;
  for (const auto& l : lines) s += l + "\n";
  return s;
}

TEST_F(Cli, ScanListsExactlyTheFilesTheDemoProjectLacks) {
  quillfen::DemoLayout demo = quillfen::WriteDemo(root_ / "demo");
  ASSERT_FALSE(demo.expectedFound.empty());
  Result r = Run({"scan", demo.projectFolder, "--rtp", demo.rtpFolder});
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.out, Lines(demo.expectedFound));
  EXPECT_TRUE(fs::exists(root_ / "scratch" / "~prtmp.buf"));
  EXPECT_FALSE(fs::exists(root_ / "scratch" / "~temp.buf"));

  r = Run({"scan", demo.projectFolder + "/", "--rtp", demo.rtpFolder, "--json", "--words"});
  ASSERT_EQ(r.code, 0) << r.err;
  auto j = nlohmann::json::parse(r.out);
  EXPECT_EQ(j["found"].get<std::vector<std::string>>(), demo.expectedFound);
  EXPECT_EQ(j["status"], "Scan complete");
  EXPECT_TRUE(j["errors"].empty());
  EXPECT_EQ(j["rtp"], demo.rtpFolder + "\\");
  EXPECT_EQ(j["project"], demo.projectFolder + "\\");
  EXPECT_FALSE(j["words"].empty());
}

TEST_F(Cli, ImportCopiesTheChosenFilesAndAppliesBothOptions) {
  quillfen::DemoLayout demo = quillfen::WriteDemo(root_ / "demo");
  ASSERT_GE(demo.expectedFound.size(), 2u);
  const fs::path project = demo.projectFolder;
  const std::string ini = ReadAll(project / "RPG_RT.ini");
  std::string first = demo.expectedFound[0];
  std::string slashed = first;
  std::replace(slashed.begin(), slashed.end(), '\\', '/');
  Result r = Run({"import", demo.projectFolder, slashed, "--harmony", "--full-package", "--rtp",
                  demo.rtpFolder, "--editor", demo.editorFolder});
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_NE(r.out.find("Finished: The scanner has finished importing"), std::string::npos);
  EXPECT_TRUE(fs::exists(project / slashed));
  EXPECT_EQ(ReadAll(project / slashed), ReadAll(fs::path(demo.rtpFolder) / slashed));
  EXPECT_EQ(ReadAll(project / "Harmony.dll"), ReadAll(fs::path(demo.editorFolder) / "Harmony.dll"));
  std::string after = ReadAll(project / "RPG_RT.ini");
  EXPECT_NE(after.find("FullPackageFlag=1"), std::string::npos);
  std::istringstream lines(ini);
  for (std::string line; std::getline(lines, line);) {
    if (line.rfind("FullPackageFlag", 0) != 0) {
      EXPECT_NE(after.find(line), std::string::npos) << line;
    }
  }

  // The imported file is no longer offered; the rest still are.
  r = Run({"scan", demo.projectFolder, "--rtp", demo.rtpFolder});
  std::vector<std::string> rest(demo.expectedFound.begin() + 1, demo.expectedFound.end());
  EXPECT_EQ(r.out, Lines(rest));

  r = Run({"import", demo.projectFolder, "--all", "--rtp", demo.rtpFolder});
  EXPECT_EQ(r.code, 0) << r.err;
  for (const auto& e : rest) {
    std::string p = e;
    std::replace(p.begin(), p.end(), '\\', '/');
    EXPECT_TRUE(fs::exists(project / p)) << e;
  }
}

TEST_F(Cli, ExitCodesSayWhatWentWrong) {
  quillfen::DemoLayout demo = quillfen::WriteDemo(root_ / "demo");
  // 2: usage.
  EXPECT_EQ(Run({"scan"}).code, 2);
  EXPECT_EQ(Run({"scan", demo.projectFolder, "--bogus"}).code, 2);
  EXPECT_EQ(Run({"import", demo.projectFolder, "--rtp", demo.rtpFolder}).code, 2);
  Result r = Run({"import", demo.projectFolder, "Music\\nothing.mid", "--rtp", demo.rtpFolder});
  EXPECT_EQ(r.code, 2);
  EXPECT_NE(r.err.find("not among the files found"), std::string::npos);
  EXPECT_EQ(RunPlain("--help").code, 0);
  EXPECT_EQ(RunPlain("import --help").code, 0);
  EXPECT_NE(ReadAll(root_ / "out").find("--full-package"), std::string::npos);

  // 3: not a project, or no RTP known.
  r = Run({"scan", (root_ / "demo").string(), "--rtp", demo.rtpFolder});
  EXPECT_EQ(r.code, 3);
  EXPECT_NE(r.err.find("Invalid Project: The directory you loaded appears to be invalid."), std::string::npos);
  // An empty folder name names no project either.
  for (const Result& empty : {Run({"scan", "", "--rtp", demo.rtpFolder}),
                              Run({"import", "", "--all", "--rtp", demo.rtpFolder}),
                              RunPlain("report '' --rtp " + Quote(demo.rtpFolder))}) {
    EXPECT_EQ(empty.code, 3) << empty.err;
    EXPECT_NE(empty.err.find("Invalid Project: "), std::string::npos) << empty.err;
  }
  r = Run({"scan", demo.projectFolder});
  EXPECT_EQ(r.code, 3);
  EXPECT_NE(r.err.find("RTP Not Found: The location of the RTP could not be located"), std::string::npos);

  // 1: a stage fails (a map that starts with a message marker).
  WriteAll(fs::path(demo.projectFolder) / "Map9999.lmu", std::string("\xCE\x7E\x00\x00\x00", 5));
  r = Run({"scan", demo.projectFolder, "--rtp", demo.rtpFolder, "--json"});
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.err.find("Build Error: An error occured while building your project!"), std::string::npos);
  auto j = nlohmann::json::parse(r.out);
  EXPECT_EQ(j["errors"][0]["title"], "Build Error");
  EXPECT_TRUE(j["found"].empty());
}

TEST_F(Cli, ACopyThatCannotBeMadeIsReportedAndTheRestGoOn) {
  quillfen::DemoLayout demo = quillfen::WriteDemo(root_ / "demo");
  ASSERT_GE(demo.expectedFound.size(), 2u);
  // A plain file where the category folder of the first entry should be.
  std::string category = demo.expectedFound[0].substr(0, demo.expectedFound[0].find('\\'));
  fs::path blocker = fs::path(demo.projectFolder) / category;
  fs::remove_all(blocker);
  WriteAll(blocker, "not a folder");
  Result r = Run({"import", demo.projectFolder, "--all", "--rtp", demo.rtpFolder});
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.err.find("Could Not Create Directory: The directory '"), std::string::npos);
  EXPECT_NE(r.err.find("Could Not Copy File: The file '" + demo.rtpFolder + "\\" + category),
            std::string::npos);
  EXPECT_EQ(ReadAll(blocker), "not a folder");
  EXPECT_NE(r.out.find("Finished"), std::string::npos);
  const std::string& last = demo.expectedFound.back();
  if (last.rfind(category + "\\", 0) != 0) {
    std::string p = last;
    std::replace(p.begin(), p.end(), '\\', '/');
    EXPECT_TRUE(fs::exists(fs::path(demo.projectFolder) / p));
  }
}

// A map larger than the memory the program may use is read and passed on
// in chunks: the scan needs no more memory for it than for any other.
TEST_F(Cli, ADatabaseFileLargerThanMemoryIsScannedInChunks) {
  quillfen::DemoLayout demo = quillfen::WriteDemo(root_ / "demo");
  {
    std::ofstream big(fs::path(demo.projectFolder) / "Map0500.lmu", std::ios::binary);
  }
  fs::resize_file(fs::path(demo.projectFolder) / "Map0500.lmu", 1'200'000'000ull);  // sparse
  std::string cmd = "ulimit -v 1000000; ";
  cmd += QF_QUILLFEN;
  cmd += " scan ";
  cmd += Quote(demo.projectFolder) + " --rtp " + Quote(demo.rtpFolder) + " --scratch " +
         Quote((root_ / "scratch").string());
  Result r = Exec("sh -c " + Quote(cmd));
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.err.find("Build Error"), std::string::npos) << r.err;
  EXPECT_GT(fs::file_size(root_ / "scratch" / "~prtmp.buf"), 1'200'000'000ull);
}

// Everything a user may not change: every copy, Harmony and the
// configuration fail one by one with their messages, and the project is
// left exactly as it was.
TEST_F(Cli, AReadOnlyProjectIsReportedFileByFileAndLeftUnchanged) {
  quillfen::DemoLayout demo = quillfen::WriteDemo(root_ / "demo");
  ASSERT_FALSE(demo.expectedFound.empty());
  auto snapshot = [&] {
    std::vector<std::string> entries;
    for (const auto& e : fs::recursive_directory_iterator(demo.projectFolder)) {
      std::string entry = e.path().string();
      if (e.is_regular_file()) {
        entry += '=';
        entry += ReadAll(e.path());
      } else {
        entry += '/';
      }
      entries.push_back(std::move(entry));
    }
    std::sort(entries.begin(), entries.end());
    return entries;
  };
  const std::vector<std::string> before = snapshot();
  // Readable for the unprivileged user whatever the umask; the project then
  // read-only for everyone.
  fs::permissions(root_, fs::perms(0755));
  for (const auto& e : fs::recursive_directory_iterator(root_)) {
    fs::permissions(e.path(), e.is_directory() ? fs::perms(0755) : fs::perms(0644));
  }
  for (const auto& e : fs::recursive_directory_iterator(demo.projectFolder)) {
    fs::permissions(e.path(), e.is_directory() ? fs::perms(0555) : fs::perms(0444));
  }
  fs::permissions(demo.projectFolder, fs::perms(0555));
  fs::create_directories(root_ / "scratch");
  // Shared like /tmp: the sticky bit keeps others from the files in it.
  fs::permissions(root_ / "scratch", fs::perms(01777));
  // Root writes through any permission: run as nobody then, from a copy of
  // the program that nobody may run.
  std::string prefix;
  const fs::path program = root_ / "quillfen";
  fs::copy_file(QF_QUILLFEN, program);
  fs::permissions(program, fs::perms(0755));
  if (::geteuid() == 0) {
    prefix = "setpriv --reuid=65534 --regid=65534 --clear-groups ";
    if (std::system((prefix + "true 2>/dev/null").c_str()) != 0)
      GTEST_SKIP() << "cannot run as an unprivileged user here (setpriv)";
    // A private temporary folder (TMPDIR) would hide the project from that user.
    std::string reach = prefix;
    reach += "test -x ";
    reach += Quote(program.string());
    reach += " -a -r ";
    reach += Quote(demo.projectFolder + "/RPG_RT.ldb");
    if (std::system(reach.c_str()) != 0)
      GTEST_SKIP() << "the test folder is out of an unprivileged user's reach";
  }
  Result r = Run({"import", demo.projectFolder, "--all", "--harmony", "--full-package", "--rtp", demo.rtpFolder,
                  "--editor", demo.editorFolder},
                 program.string(), prefix);
  for (const auto& e : fs::recursive_directory_iterator(demo.projectFolder)) {
    fs::permissions(e.path(), fs::perms::owner_write, fs::perm_options::add);
  }
  fs::permissions(demo.projectFolder, fs::perms::owner_write, fs::perm_options::add);

  EXPECT_EQ(r.code, 1) << r.err;
  std::size_t copyFailures = 0;
  for (std::size_t at = r.err.find("Could Not Copy File: "); at != std::string::npos;
       at = r.err.find("Could Not Copy File: ", at + 1))
    ++copyFailures;
  EXPECT_EQ(copyFailures, demo.expectedFound.size()) << r.err;
  EXPECT_NE(r.err.find("Could Not Copy Harmony: "), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("Could Not Update Configuration: "), std::string::npos) << r.err;
  EXPECT_EQ(snapshot(), before);
}

// A link that another user planted as the scratch file in a shared folder
// is never written through: the scan fails as a build does, says why, and
// the linked file keeps its bytes. An open folder is refused before that.
TEST_F(Cli, APlantedScratchLinkFailsTheScanAndChangesNothing) {
  quillfen::DemoLayout demo = quillfen::WriteDemo(root_ / "demo");
  WriteAll(root_ / "victim.txt", "the user's own file");
  fs::create_directories(root_ / "scratch");
  fs::permissions(root_ / "scratch", fs::perms(01777));
  fs::create_symlink(root_ / "victim.txt", root_ / "scratch" / "~prtmp.buf");
  if (::geteuid() == 0) {
    ASSERT_EQ(::lchown((root_ / "scratch" / "~prtmp.buf").c_str(), 65534, 65534), 0);
  }
  Result r = Run({"scan", demo.projectFolder, "--rtp", demo.rtpFolder});
  if (::geteuid() == 0) {
    EXPECT_EQ(r.code, 1) << r.err;
    EXPECT_NE(r.err.find("Build Error: An error occured while building your project!"), std::string::npos)
        << r.err;
  } else {
    EXPECT_EQ(r.code, 0) << r.err;  // our own stale link: replaced by a fresh file
  }
  EXPECT_EQ(ReadAll(root_ / "victim.txt"), "the user's own file");

  fs::remove(root_ / "scratch" / "~prtmp.buf");
  fs::permissions(root_ / "scratch", fs::perms(0777));
  r = Run({"scan", demo.projectFolder, "--rtp", demo.rtpFolder});
  EXPECT_EQ(r.code, 1) << r.err;
  EXPECT_NE(r.err.find("is refused: other users may write into it and it lacks the sticky bit"),
            std::string::npos)
      << r.err;
  EXPECT_FALSE(fs::exists(root_ / "scratch" / "~prtmp.buf"));
}

// Without an editor folder there is no Harmony source, whatever lies at
// the root of the file system.
TEST_F(Cli, HarmonyWithoutAnEditorFolderIsApplicationPathNotFound) {
  quillfen::DemoLayout demo = quillfen::WriteDemo(root_ / "demo");
  Result r = Run({"import", demo.projectFolder, "--all", "--harmony", "--rtp", demo.rtpFolder});
  EXPECT_EQ(r.code, 1) << r.err;
  EXPECT_NE(r.err.find("Application Path Not Found: The path to RPG Maker 2000 could not be found!"),
            std::string::npos)
      << r.err;
  EXPECT_EQ(r.err.find("Could Not Copy Harmony"), std::string::npos) << r.err;
  EXPECT_FALSE(fs::exists(fs::path(demo.projectFolder) / "Harmony.dll"));
}

// A project and an RTP whose folder names hold a backslash, and a map whose
// file name holds one (as a zip unpacked on Linux leaves it), scan as any.
TEST_F(Cli, BackslashesInFolderAndFileNamesArePartsOfTheNames) {
  quillfen::DemoLayout demo = quillfen::WriteDemo(root_ / "demo");
  const fs::path project = root_ / "my\\game";
  const fs::path rtp = root_ / "r\\tp";
  fs::rename(demo.projectFolder, project);
  fs::rename(demo.rtpFolder, rtp);
  Result before = Run({"scan", project.string(), "--rtp", rtp.string()});
  EXPECT_EQ(before.code, 0) << before.err;
  EXPECT_EQ(before.out, Lines(demo.expectedFound));

  // Every map under a name with a backslash.
  for (const auto& e : fs::directory_iterator(project)) {
    const std::string name = e.path().filename().string();
    if (name.size() > 4 && name.substr(name.size() - 4) == ".lmu") fs::rename(e.path(), project / ("old\\" + name));
  }
  Result r = Run({"import", project.string(), "--all", "--rtp", rtp.string()});
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.out.substr(0, before.out.size()), before.out);
  for (std::string entry : demo.expectedFound) {
    std::replace(entry.begin(), entry.end(), '\\', '/');
    EXPECT_EQ(ReadAll(project / entry), ReadAll(rtp / entry)) << entry;
  }
}

// Two scans and two reports at once on one project, sharing one scratch
// folder: each completes with the list it gives alone, or a scan fails with
// "Build Error" because the other holds the scratch files; none gives a
// wrong list.
TEST_F(Cli, ScansAndReportsAtOnceEachGiveTheirListOrFail) {
  // Large enough that the runs overlap.
  const fs::path project = root_ / "Project", rtp = root_ / "RTP";
  quillfen::SyntheticOptions options;
  options.targetBytes = 30'000'000;
  options.maps = 300;
  options.messageRecords = 3000;
  quillfen::WriteSyntheticProject(project, options);
  quillfen::WriteSyntheticRtp(rtp);
  const std::vector<std::string> scan = {"scan", project.string(), "--rtp", rtp.string(), "--scratch",
                                         (root_ / "scratch").string()};
  const std::vector<std::string> report = {"report", project.string(), "--rtp", rtp.string()};
  auto command = [&](const std::vector<std::string>& args) {
    return quillfen::testing::CleanRtpCommand(root_, QF_QUILLFEN, args);
  };
  fs::create_directories(root_ / "alone");
  const Result scanAlone = quillfen::testing::RunShell(command(scan), root_ / "alone");
  ASSERT_EQ(scanAlone.code, 0) << scanAlone.err;
  ASSERT_FALSE(scanAlone.out.empty());
  const Result reportAlone = quillfen::testing::RunShell(command(report), root_ / "alone");
  ASSERT_EQ(reportAlone.code, 0) << reportAlone.err;

  auto files = [&] {
    std::set<std::string> names;
    for (const auto& e : fs::recursive_directory_iterator(project)) names.insert(e.path().string());
    return names;
  };
  const std::set<std::string> before = files();
  int scansDone = 0;
  for (int round = 0; round < 5; ++round) {
    std::vector<std::future<Result>> runs;
    for (int i = 0; i < 4; ++i) {
      const fs::path folder = root_ / ("run" + std::to_string(i));
      fs::create_directories(folder);
      const std::string cmd = command(i % 2 == 0 ? scan : report);
      runs.push_back(std::async(std::launch::async, [cmd, folder] { return quillfen::testing::RunShell(cmd, folder); }));
    }
    for (int i = 0; i < 4; ++i) {
      const Result r = runs[static_cast<std::size_t>(i)].get();
      if (i % 2 == 1) {
        EXPECT_EQ(r.code, 0) << r.err;
        EXPECT_EQ(r.out, reportAlone.out);
        continue;
      }
      if (r.code == 0) {
        EXPECT_EQ(r.out, scanAlone.out);
        ++scansDone;
      } else {
        EXPECT_EQ(r.code, 1);
        EXPECT_EQ(r.out, "");
        EXPECT_NE(r.err.find("Build Error"), std::string::npos) << r.err;
      }
    }
  }
  RecordProperty("scansCompleted", scansDone);  // of 10; the rest met the other's lock
  EXPECT_GE(scansDone, 5);  // at least one scan of each round completes
  EXPECT_EQ(files(), before);
}

TEST_F(Cli, DemoRunsTheWholeJob) {
  Result r = RunPlain("demo " + Quote((root_ / "d").string()) + " --quiet");
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_NE(r.out.find("Finished"), std::string::npos);
  EXPECT_TRUE(fs::exists(root_ / "d" / "Project" / "Harmony.dll"));

  // Again into the same folder: its own earlier files are replaced.
  r = RunPlain("demo " + Quote((root_ / "d").string()) + " --quiet");
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_NE(r.out.find("the project now holds 14 of them"), std::string::npos) << r.out;

  // A folder the demo did not write is left alone.
  WriteAll(root_ / "game" / "Project" / "RPG_RT.ldb", "my own game");
  r = RunPlain("demo " + Quote((root_ / "game").string()) + " --quiet");
  EXPECT_EQ(r.code, 2);
  EXPECT_NE(r.err.find("already holds files the demo did not write"), std::string::npos) << r.err;
  EXPECT_EQ(ReadAll(root_ / "game" / "Project" / "RPG_RT.ldb"), "my own game");
  EXPECT_FALSE(fs::exists(root_ / "game" / "RTP"));
}

// After a stage fails, import neither copies, nor adds Harmony, nor marks
// the project, and says the scan failed rather than blame the selection.
TEST_F(Cli, ImportAfterAFailedScanChangesNothing) {
  quillfen::DemoLayout demo = quillfen::WriteDemo(root_ / "demo");
  ASSERT_FALSE(demo.expectedFound.empty());
  WriteAll(fs::path(demo.projectFolder) / "Map9999.lmu", std::string("\xCE\x7E\x00\x00\x00", 5));
  const std::string ini = ReadAll(fs::path(demo.projectFolder) / "RPG_RT.ini");
  for (const std::vector<std::string>& selection :
       {std::vector<std::string>{"--all"}, std::vector<std::string>{demo.expectedFound[0]}}) {
    std::vector<std::string> args = {"import", demo.projectFolder, "--harmony", "--full-package",
                                     "--rtp", demo.rtpFolder, "--editor", demo.editorFolder};
    args.insert(args.end(), selection.begin(), selection.end());
    Result r = Run(args);
    EXPECT_EQ(r.code, 1) << r.err;
    EXPECT_NE(r.err.find("Build Error: "), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("not among the files found"), std::string::npos) << r.err;
  }
  EXPECT_FALSE(fs::exists(fs::path(demo.projectFolder) / "Harmony.dll"));
  EXPECT_EQ(ReadAll(fs::path(demo.projectFolder) / "RPG_RT.ini"), ini);
  std::string first = demo.expectedFound[0];
  std::replace(first.begin(), first.end(), '\\', '/');
  EXPECT_FALSE(fs::exists(fs::path(demo.projectFolder) / first));
}

// The editor's key of the current user stays the scan's first source; the
// other places of the 2000 RTP count only without it.
TEST_F(Cli, ScanTakesTheEditorKeyFirstAndTheOtherPlacesWithoutIt) {
  using quillfen::testing::RegFile;
  quillfen::DemoLayout demo = quillfen::WriteDemo(root_ / "demo");
  const std::string ascii = "Software\\ASCII\\RPG2000", kadokawa = "Software\\KADOKAWA\\RPG2000";
  WriteAll(root_ / "wine" / "user.reg",
           RegFile({{kadokawa, "RuntimePackagePath", demo.rtpFolder},
                    {kadokawa, "ApplicationPath", demo.editorFolder}}));
  Result r = Run({"scan", demo.projectFolder});
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.out, Lines(demo.expectedFound));
  EXPECT_NE(r.err.find("RTP: " + demo.rtpFolder + " (from HKEY_CURRENT_USER\\" + kadokawa + ")\n"),
            std::string::npos)
      << r.err;
  r = Run({"import", demo.projectFolder, demo.expectedFound[0], "--harmony"});
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(ReadAll(fs::path(demo.projectFolder) / "Harmony.dll"),
            ReadAll(fs::path(demo.editorFolder) / "Harmony.dll"));

  // The variable comes before every key but the editor's own.
  const fs::path elsewhere = root_ / "elsewhere";
  fs::create_directories(elsewhere);
  const std::string variable = "RPG2K_RTP_PATH=" + elsewhere.string();
  r = Run({"scan", demo.projectFolder, "--json"}, QF_QUILLFEN, "", {variable});
  auto j = nlohmann::json::parse(r.out);
  EXPECT_EQ(j["rtpSource"], "RPG2K_RTP_PATH");
  EXPECT_EQ(j["rtp"], elsewhere.string() + "\\");
  EXPECT_TRUE(j["found"].empty());

  // With the editor's key, as before: even without an RTP value.
  WriteAll(root_ / "wine" / "user.reg",
           RegFile({{ascii, "ApplicationPath", demo.editorFolder},
                    {kadokawa, "RuntimePackagePath", demo.rtpFolder}}));
  r = Run({"scan", demo.projectFolder}, QF_QUILLFEN, "", {variable});
  EXPECT_EQ(r.code, 3);
  EXPECT_NE(r.err.find("RTP Not Found: "), std::string::npos) << r.err;
  WriteAll(root_ / "wine" / "user.reg", RegFile({{ascii, "RuntimePackagePath", demo.rtpFolder}}));
  r = Run({"scan", demo.projectFolder, "--json"}, QF_QUILLFEN, "", {variable});
  EXPECT_EQ(nlohmann::json::parse(r.out)["rtpSource"], "HKEY_CURRENT_USER\\" + ascii);
  EXPECT_EQ(nlohmann::json::parse(r.out)["found"].size(), demo.expectedFound.size() - 1);

  // Last, the data folders.
  fs::remove(root_ / "wine" / "user.reg");
  fs::create_directories(root_ / "data" / "rtp");
  fs::create_directory_symlink(demo.rtpFolder, root_ / "data" / "rtp" / "2000");
  r = Run({"scan", demo.projectFolder}, QF_QUILLFEN, "",
          {"XDG_DATA_HOME=" + (root_ / "data").string()});
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_NE(r.err.find("RTP: " + (root_ / "data" / "rtp" / "2000").string() + " (from XDG_DATA_HOME)"),
            std::string::npos)
      << r.err;
}

TEST_F(Cli, ScansTheRealTestGameAgainstTheFreeRtp) {
  const fs::path game = fs::path(QF_FIXTURES_DIR) / "testgame-2000";
  const fs::path rtp = fs::path(QF_FIXTURES_DIR) / "easyrpg-rtp";
  if (!fs::exists(game) || !fs::exists(rtp)) GTEST_SKIP() << "fixtures not present";
  // Only the database files: a project that lacks its resources.
  fs::create_directories(root_ / "game");
  for (const auto& e : fs::directory_iterator(game)) {
    std::string ext = e.path().extension().string();
    if (ext == ".ldb" || ext == ".lmt" || ext == ".lmu") fs::copy(e.path(), root_ / "game");
  }
  Result r = Run({"scan", (root_ / "game").string(), "--rtp", rtp.string()});
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_NE(r.out.find("System\\System.png\n"), std::string::npos);
  EXPECT_NE(r.out.find("ChipSet\\World.png\n"), std::string::npos);
  EXPECT_GT(std::count(r.out.begin(), r.out.end(), '\n'), 20);
}

// One version everywhere: --version, every JSON object of every command
// (also those of a command that stops early) and the HTML report.
TEST_F(Cli, EveryOutputNamesTheBuildsVersion) {
  Result r = RunPlain("--version");
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.out, "quillfen " QF_VERSION "\n");

  quillfen::DemoLayout demo = quillfen::WriteDemo(root_ / "demo");
  const std::string html = (root_ / "report.html").string();
  const std::vector<std::vector<std::string>> commands = {
      {"scan", demo.projectFolder, "--rtp", demo.rtpFolder, "--json"},
      {"scan", (root_ / "nothing").string(), "--json"},
      {"import", demo.projectFolder, "--rtp", demo.rtpFolder, "--json", "--all"},
      {"import", demo.projectFolder, "--exact", "--rtp", demo.rtpFolder, "--json", "--all"},
      {"report", demo.projectFolder, "--rtp", demo.rtpFolder, "--json", "--html", html},
      {"report", (root_ / "nothing").string(), "--json"}};
  for (const auto& args : commands) {
    // report and import --exact take no --scratch.
    std::string cmd = QF_QUILLFEN;
    for (const auto& a : args) {
      cmd += " ";
      cmd += Quote(a);
    }
    r = Exec(cmd);
    const auto j = nlohmann::json::parse(r.out);
    EXPECT_EQ(j.value("version", ""), QF_VERSION) << cmd << "\n" << r.out;
  }
  EXPECT_NE(ReadAll(html).find("Written by Quillfen " QF_VERSION "."), std::string::npos);
}

// The bash completion offers every option each command takes.
TEST_F(Cli, BashCompletionKnowsEveryOption) {
  const std::string script = ReadAll(QF_COMPLETION);
  ASSERT_FALSE(script.empty());
  const std::regex longOption("--[a-z][a-z-]*");
  for (const std::string command : {"scan", "import", "report", "demo"}) {
    const std::regex block(command + "\\) options='([^']*)'");
    std::smatch m;
    ASSERT_TRUE(std::regex_search(script, m, block)) << command;
    std::string offered = m[1].str() + " ";
    std::replace(offered.begin(), offered.end(), '\n', ' ');
    Result r = RunPlain(command + " --help");
    ASSERT_EQ(r.code, 0) << r.err;
    std::set<std::string> options;
    for (auto it = std::sregex_iterator(r.out.begin(), r.out.end(), longOption);
         it != std::sregex_iterator(); ++it) {
      options.insert(it->str());
    }
    EXPECT_GT(options.size(), 1u) << r.out;
    for (const std::string& option : options) {
      EXPECT_NE(offered.find(option + " "), std::string::npos) << command << " " << option;
    }
  }
  Result r = RunPlain("--help");
  for (const std::string option : {"--help-all", "--version"}) {
    EXPECT_NE(r.out.find(option), std::string::npos);
    EXPECT_NE(script.find(option), std::string::npos);
  }
}

}  // namespace
