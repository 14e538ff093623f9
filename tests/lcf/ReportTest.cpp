// The reference report on generated games and on the real test game.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <optional>

#include "Platform.h"
#include "Report.h"
#include "SampleGame.h"
#include "../platform/TempFolder.h"
#include "TextDecode.h"

namespace quillfen {
namespace {

namespace fs = std::filesystem;
using report::Encoding;
using testing::TempFolder;

report::Decoder Decoder() {
  return [](std::string_view bytes, Encoding e) { return DecodeToUtf8(bytes, static_cast<CodePage>(e)); };
}

report::Report ReportOn(const fs::path& project, const fs::path& rtp,
                        Encoding encoding = Encoding::kAuto) {
  auto files = MakeFileSystem();
  report::Options o;
  o.projectFolder = project.string() + "/";
  o.rtpFolder = rtp.empty() ? std::string() : rtp.string() + "/";
  o.encoding = encoding;
  o.decode = Decoder();
  o.fold = FoldFileName;
  return report::BuildReport(*files, o);
}

std::vector<std::string> Sorted(std::vector<std::string> v) {
  std::sort(v.begin(), v.end());
  return v;
}

std::vector<std::string> StatusLines(const report::Report& r) {
  std::vector<std::string> lines;
  report::ForEachEntry(r, [&](const report::Entry& e) {
    lines.push_back(std::string(report::StatusName(e.status)) + " " +
                    std::string(lcf::FolderName(e.folder)) + "\\" + e.Name());
  });
  return lines;
}

bool HasWhere(const report::Report& r, const std::string& where) {
  bool found = false;
  report::ForEachEntry(r, [&](const report::Entry& e) { found = found || e.where == where; });
  return found;
}

TEST(Report, GeneratedGameGivesExactlyTheReferencesAndListsItsGeneratorPutThere) {
  TempFolder root;
  const testing::SampleGame g = testing::WriteSampleGame(root.Path());
  const report::Report r = ReportOn(g.project, g.rtp);
  for (const lcf::Problem& p : r.problems) ADD_FAILURE() << report::ProblemText(p);
  EXPECT_EQ(Sorted(StatusLines(r)), Sorted(g.references));
  EXPECT_EQ(r.needed, g.needed);
  EXPECT_EQ(r.missing, g.missing);
  EXPECT_EQ(r.unused, g.unused);
  ASSERT_EQ(r.dynamic.size(), 1u);
  EXPECT_EQ(r.dynamic[0].where, "RPG_RT.ldb, common event 1 'Intro', command 5: Show Picture");
  EXPECT_EQ(r.encoding, "cp1252");
  EXPECT_TRUE(r.is2003);

  // Folders inside the resource folders are no files: not unused, and not
  // found for a name they share.
  ASSERT_FALSE(g.missing.empty());
  const std::string missing = g.missing.front();
  const std::string missingFolder = missing.substr(0, missing.find('\\'));
  fs::create_directories(g.project / missingFolder / (missing.substr(missingFolder.size() + 1) + ".png"));
  fs::create_directories(g.project / missingFolder / "Old versions");
  {
    const report::Report again = ReportOn(g.project, g.rtp);
    EXPECT_EQ(again.missing, g.missing);
    EXPECT_EQ(again.unused, g.unused);
  }

  // Where each kind is used, counted as the editor lists commands.
  for (const char* where : {
           "RPG_RT.ldb, actor 1 'Alex': charset",
           "RPG_RT.ldb, troop 1 'Slimes', page 1, command 1: Play Sound",
           "RPG_RT.ldb, animation 1 'Hit', timing 1: sound",
           "RPG_RT.ldb, battler animation 1 'Soldier', pose 1 'Idle': battler",
           "RPG_RT.ldb, system: title music",
           "RPG_RT.ldb, common event 1 'Intro', command 4: Show Picture",
           "RPG_RT.lmt, map 1 'Town': battle background",
           "Map0001.lmu: parallax",
           "Map0001.lmu, event 1 'Guard', page 1: charset",
           "Map0001.lmu, event 1 'Guard', page 1, move route, step 2: Change Graphic",
           "Map0001.lmu, event 1 'Guard', page 1, move route, step 4: Play Sound",
           "Map0001.lmu, event 2 'EV0002', page 1, command 1: Move Event, step 3: Play Sound",
           "Map0001.lmu, event 2 'EV0002', page 1, command 2: Battle",
       }) {
    EXPECT_TRUE(HasWhere(r, where)) << where;
  }
  // A reference finds its file in its own folder only, with its kind's extensions.
  for (const report::Entry& e : r.references) {
    if (e.Name() == "Hit1") {
      EXPECT_EQ(e.Files(), std::vector<std::string>{"Battle\\Hit1.png"});
    }
    if (e.Name() == "Town Theme") {
      EXPECT_EQ(e.Files(), std::vector<std::string>{"Music\\Town Theme.mp3"});
    }
  }

  // Without an RTP, what it would give is missing.
  const report::Report alone = ReportOn(g.project, {});
  EXPECT_TRUE(alone.needed.empty());
  EXPECT_EQ(alone.missing.size(), g.missing.size() + g.needed.size());
}

TEST(Report, ShiftJisNamesAreFoundAndTheirCodePageDetected) {
  TempFolder root;
  const fs::path project = root.Path() / "Game";
  // 勇者 and ソード; the second byte of ソ is a backslash.
  const std::string hero = "\x97\x45\x8E\xD2", sword = "\x83\x5C\x81\x5B\x83\x68";
  namespace database = lcf::chunk::Database;
  namespace actor = lcf::chunk::Actor;
  testing::WriteFile(project / "RPG_RT.ldb",
                     lcf::Header(lcf::kDatabaseSignature) +
                         lcf::Chunks()
                             .Raw(database::kActors, lcf::Array({lcf::Chunks().Str(actor::kName, hero)
                                                                     .Str(actor::kCharacterName, hero)
                                                                     .Str(actor::kFaceName, sword).Finish()}))
                             .Finish());
  testing::WriteFile(project / "RPG_RT.lmt", testing::MapTree({}));
  testing::WriteFile(project / "CharSet/\xE5\x8B\x87\xE8\x80\x85.png", "x");
  testing::WriteFile(project / "FaceSet/\xE3\x82\xBD\xE3\x83\xBC\xE3\x83\x89.png", "x");

  report::Report r = ReportOn(project, {});
  EXPECT_EQ(r.encoding, "Shift-JIS");
  ASSERT_EQ(r.references.size(), 2u);
  for (const report::Entry& e : r.references) EXPECT_EQ(e.status, report::Status::kProject) << e.Name();
  EXPECT_EQ(r.references[0].where, "RPG_RT.ldb, actor 1 '\xE5\x8B\x87\xE8\x80\x85': charset");
  EXPECT_TRUE(r.unused.empty());

  // Told the wrong code page, the names are not found.
  r = ReportOn(project, {}, Encoding::kCp1252);
  EXPECT_EQ(r.encoding, "cp1252");
  EXPECT_EQ(r.missing.size(), 2u);
  EXPECT_EQ(r.unused.size(), 2u);
}

TEST(Report, DamagedFilesAreNamedWithTheirOffsetAndTheRestIsStillRead) {
  TempFolder root;
  const testing::SampleGame g = testing::WriteSampleGame(root.Path());
  const report::Report whole = ReportOn(g.project, g.rtp);
  auto files = MakeFileSystem();
  const std::string folder = g.project.string() + "/";

  for (const char* name : {"RPG_RT.ldb", "RPG_RT.lmt", "Map0001.lmu"}) {
    const std::string bytes = files->LoadFile(folder + name);
    // Every truncation, then every single corrupted byte: never a crash.
    // Only the database may end after any whole chunk, as the editor's does.
    std::size_t unnoticed = 0;
    for (std::size_t cut = 0; cut < bytes.size(); ++cut) {
      lcf::Collected c;
      const std::string part = bytes.substr(0, cut);
      if (std::string(name) == "RPG_RT.ldb") lcf::ReadDatabase(part, name, c);
      if (std::string(name) == "RPG_RT.lmt") lcf::ReadMapTree(part, name, c);
      if (std::string(name) == "Map0001.lmu") lcf::ReadMapUnit(part, name, c);
      for (const lcf::Problem& p : c.problems) {
        EXPECT_EQ(p.file, name);
        EXPECT_LE(p.offset, cut);
      }
      unnoticed += c.problems.empty() ? 1 : 0;
    }
    EXPECT_LE(unnoticed, std::string(name) == "RPG_RT.ldb" ? 12u : 0u) << name;
    for (std::size_t at = 0; at < bytes.size(); ++at) {
      for (unsigned char value : {0x00, 0x7F, 0x80, 0xFF}) {
        std::string bad = bytes;
        bad[at] = static_cast<char>(value);
        lcf::Collected c;
        lcf::ReadDatabase(bad, name, c);
        lcf::ReadMapTree(bad, name, c);
        lcf::ReadMapUnit(bad, name, c);
      }
    }
  }

  // A map cut in half: its problem names it, the database and tree are whole.
  const std::string map = files->LoadFile(folder + "Map0001.lmu");
  testing::WriteFile(g.project / "Map0001.lmu", map.substr(0, map.size() / 2));
  fs::remove(g.project / "Map0002.lmu");
  const report::Report damaged = ReportOn(g.project, g.rtp);
  ASSERT_EQ(damaged.problems.size(), 2u);
  EXPECT_EQ(damaged.problems[0].file, "Map0001.lmu");
  EXPECT_LE(damaged.problems[0].offset, map.size() / 2);
  EXPECT_EQ(report::ProblemText(damaged.problems[1]),
            "Map0002.lmu: is in the map tree but not in the project");
  std::size_t fromDatabase = 0;
  for (const report::Entry& e : whole.references) fromDatabase += e.where.rfind("RPG_RT.", 0) == 0;
  EXPECT_GT(damaged.references.size(), fromDatabase);
  EXPECT_LT(damaged.references.size(), whole.references.size());

  // A tree cut before its maps: the map files present are still read.
  testing::WriteFile(g.project / "Map0001.lmu", map);
  const std::string tree = files->LoadFile(folder + "RPG_RT.lmt");
  testing::WriteFile(g.project / "RPG_RT.lmt", tree.substr(0, tree.find("Town") + 4));
  const report::Report cutTree = ReportOn(g.project, g.rtp);
  ASSERT_FALSE(cutTree.problems.empty());
  EXPECT_EQ(cutTree.problems[0].file, "RPG_RT.lmt");
  auto fromMap1 = [](const report::Report& r) {
    return std::count_if(r.references.begin(), r.references.end(),
                         [](const report::Entry& e) { return e.where.rfind("Map0001.lmu", 0) == 0; });
  };
  EXPECT_GT(fromMap1(whole), 0);
  EXPECT_EQ(fromMap1(cutTree), fromMap1(whole));
}

TEST(Report, FilesReadOnTwoThreadsKeepTheOrderOfOneAndTheirOwnProblems) {
  TempFolder root;
  const fs::path project = root.Path() / "Game";
  // 60 maps, each naming its own sound; one damaged, two listed but absent.
  std::vector<testing::TreeMap> tree;
  for (int m = 1; m <= 60; ++m) {
    tree.push_back({m, "Map", 1, 0, "", 0, ""});
    if (m == 7 || m == 41) continue;
    lcf::Commands c;
    c.Add(quillfen::lcf::kPlaySound, 0, "Sound" + std::to_string(m), {100, 100, 50});
    c.Add(quillfen::lcf::kPlaySound, 0, "Again" + std::to_string(m), {100, 100, 50});
    const std::string map = testing::MapUnit(false, "", {testing::Event("EV", {testing::Page("", 1, nullptr, c)})});
    testing::WriteFile(project / lcf::MapFileName(m), m == 30 ? map.substr(0, map.size() - 12) : map);
  }
  testing::WriteFile(project / "RPG_RT.lmt", testing::MapTree(tree));
  testing::WriteFile(project / "RPG_RT.ldb", testing::sample::Database());

  for (int run = 0; run < 5; ++run) {
    const report::Report r = ReportOn(project, {});
    std::vector<std::string> order;
    for (const report::Entry& e : r.references) {
      if (e.where.rfind("Map", 0) == 0) order.push_back(e.Name());
    }
    std::vector<std::string> expected;
    for (int m = 1; m <= 60; ++m) {
      if (m == 7 || m == 30 || m == 41) continue;  // the cut map's events chunk runs past its end
      expected.push_back("Sound" + std::to_string(m));
      expected.push_back("Again" + std::to_string(m));
    }
    ASSERT_EQ(order, expected) << "run " << run;
    // The database's references come first, as they are read first.
    ASSERT_FALSE(r.references.empty());
    EXPECT_EQ(r.references.front().where.rfind("RPG_RT.ldb", 0), 0u);
    EXPECT_TRUE(r.is2003);
    ASSERT_EQ(r.problems.size(), 3u);
    EXPECT_EQ(report::ProblemText(r.problems[0]), "Map0007.lmu: is in the map tree but not in the project");
    EXPECT_EQ(r.problems[1].file, "Map0030.lmu");
    EXPECT_EQ(report::ProblemText(r.problems[2]), "Map0041.lmu: is in the map tree but not in the project");
  }
}

TEST(Report, TheThreadedReadingCollectsWhatTheReadingInOrderDoesAlsoWithADamagedDatabase) {
  TempFolder root;
  const fs::path project = root.Path() / "Game";
  std::vector<testing::TreeMap> tree;
  for (int m = 1; m <= 20; ++m) {
    tree.push_back({m, "Map", 1, 0, "", 0, ""});
    lcf::Commands c;
    c.Add(quillfen::lcf::kPlaySound, 0, "Sound" + std::to_string(m), {100, 100, 50});
    testing::WriteFile(project / lcf::MapFileName(m),
                       testing::MapUnit(false, "", {testing::Event("EV", {testing::Page("", 1, nullptr, c)})}));
  }
  testing::WriteFile(project / "RPG_RT.lmt", testing::MapTree(tree));
  const std::string database = testing::sample::Database();
  auto files = MakeFileSystem();
  const std::string folder = project.string() + "/";
  auto same = [&](const lcf::Collected& a, const lcf::Collected& b) {
    ASSERT_EQ(a.references.size(), b.references.size());
    for (std::size_t i = 0; i < a.references.size(); ++i) {
      EXPECT_EQ(a.references[i].name, b.references[i].name) << i;
      EXPECT_EQ(a.references[i].where, b.references[i].where) << i;
    }
    ASSERT_EQ(a.problems.size(), b.problems.size());
    for (std::size_t i = 0; i < a.problems.size(); ++i) {
      EXPECT_EQ(report::ProblemText(a.problems[i]), report::ProblemText(b.problems[i])) << i;
    }
    EXPECT_EQ(a.is2003, b.is2003);
  };
  // Whole, cut, and missing: the database's part comes first whichever
  // thread reads it, and its edition is the project's.
  for (const std::optional<std::string>& ldb :
       {std::optional<std::string>(database), std::optional<std::string>(database.substr(0, database.size() / 3)),
        std::optional<std::string>()}) {
    if (ldb) {
      testing::WriteFile(project / "RPG_RT.ldb", *ldb);
    } else {
      fs::remove(project / "RPG_RT.ldb");
    }
    std::vector<std::string> told;
    const lcf::Collected inOrder = report::CollectProject(
        *files, folder, [&](const std::string& file, std::size_t, std::size_t) { told.push_back(file); });
    ASSERT_EQ(told.size(), 22u);
    EXPECT_EQ(told[0], "RPG_RT.ldb");
    EXPECT_EQ(told[1], "RPG_RT.lmt");
    for (int run = 0; run < 3; ++run) same(report::CollectProject(*files, folder), inOrder);
    if (ldb && ldb->size() == database.size()) {
      EXPECT_TRUE(inOrder.is2003);
    } else {
      ASSERT_FALSE(inOrder.problems.empty());
      EXPECT_EQ(inOrder.problems.front().file, "RPG_RT.ldb");
    }
  }
}

TEST(Report, BothHalvesOfALongListResolveAndTheSummaryTakesEachNameAtItsFirstUse) {
  TempFolder root;
  const fs::path project = root.Path() / "Game";
  const fs::path rtp = root.Path() / "RTP";
  // Folders spelt in other letter cases are found all the same.
  testing::WriteFile(project / "SOUND" / "Own.wav", "x");
  testing::WriteFile(rtp / "sound" / "Hit.wav", "x");
  testing::WriteFile(rtp / "sound" / "Far.wav", "x");
  fs::create_directories(project / "Music");

  lcf::Collected c;
  const std::size_t count = 6000;
  for (std::size_t i = 0; i < count; ++i) {
    std::string name = i % 3 == 0 ? "Own" : i % 3 == 1 ? "Hit" : "Lost";
    if (i == 5) name = "Ay";       // missing, and the same name as "Ax" under the fold below
    if (i == 50) name = "Ax";
    if (i == 5000) name = "Far";   // first named in the second half
    if (i == 5001) name = "Gone";  // missing, first named in the second half
    c.Add(lcf::Folder::kSound, name, "place " + std::to_string(i));
  }
  report::Options o;
  o.projectFolder = project.string() + "/";
  o.rtpFolder = rtp.string() + "/";
  // A fold under which x and y are one letter: which spelling of a missing
  // name is listed depends on the order names are met in.
  o.fold = [](std::string_view text) {
    std::string key = report::AsciiLower(text);
    for (char& ch : key) ch = ch == 'y' ? 'x' : ch;
    return key;
  };
  auto files = MakeFileSystem();
  const report::Report r = report::Resolve(*files, o, c);
  ASSERT_EQ(r.references.size(), count);
  for (std::size_t i = 0; i < count; ++i) {
    const report::Entry& e = r.references[i];
    ASSERT_EQ(e.where, "place " + std::to_string(i));
    ASSERT_EQ(e.Name(), c.references[i].name);
    if (e.Name() == "Own") {
      ASSERT_EQ(e.status, report::Status::kProject) << i;
      ASSERT_EQ(e.Files().size(), 1u) << i;
    } else if (e.Name() == "Hit" || e.Name() == "Far") {
      ASSERT_EQ(e.status, report::Status::kRtp) << i;
      ASSERT_EQ(e.Files(), std::vector<std::string>{"Sound\\" + e.Name() + ".wav"}) << i;
    } else {
      ASSERT_EQ(e.status, report::Status::kMissing) << i;
      ASSERT_TRUE(e.Files().empty()) << i;
    }
  }
  EXPECT_EQ(r.needed, (std::vector<std::string>{"Sound\\Far.wav", "Sound\\Hit.wav"}));
  EXPECT_EQ(r.missing, (std::vector<std::string>{"Sound\\Ay", "Sound\\Gone", "Sound\\Lost"}));
}

TEST(Report, FolderStepsReachAnotherFolderWithTheKindOfTheirOwn) {
  TempFolder root;
  const fs::path project = root.Path() / "Game", rtp = root.Path() / "RTP";
  lcf::Commands list;
  list.Add(lcf::kShowPicture, 0, "../System/Skin", {1, 0, 0, 160, 120});
  list.Add(lcf::kShowPicture, 0, "..\\Music\\Theme", {2, 0, 0, 160, 120});
  list.Add(lcf::kPlaySound, 0, "../Picture/Boom", {100, 100, 50});
  list.Add(lcf::kEnd, 0, "", {});
  const std::string commands = list.Finish();
  testing::WriteFile(project / "RPG_RT.ldb",
                     lcf::Header(lcf::kDatabaseSignature) +
                         lcf::Chunks()
                             .Raw(lcf::chunk::Database::kCommonEvents,
                                  lcf::Array({lcf::Chunks()
                                                  .Str(lcf::chunk::CommonEvent::kName, "Steps")
                                                  .Raw(lcf::chunk::CommonEvent::kEventCommands, commands)
                                                  .Finish()}))
                             .Finish());
  testing::WriteFile(project / "RPG_RT.lmt", testing::MapTree({}));
  testing::WriteFile(project / "System/Skin.png", "x");
  testing::WriteFile(project / "Music/Theme.png", "x");
  testing::WriteFile(rtp / "Music/Theme.mid", "x");
  testing::WriteFile(rtp / "Picture/Boom.png", "x");

  const report::Report r = ReportOn(project, rtp);
  for (const lcf::Problem& p : r.problems) ADD_FAILURE() << report::ProblemText(p);
  ASSERT_EQ(r.references.size(), 3u);
  // A picture loads an image wherever its name leads, a sound a sound.
  EXPECT_EQ(r.references[0].Files(), std::vector<std::string>{"System\\Skin.png"});
  EXPECT_EQ(r.references[1].status, report::Status::kProject);
  EXPECT_EQ(r.references[1].Files(), std::vector<std::string>{"Music\\Theme.png"});
  EXPECT_EQ(r.references[2].status, report::Status::kMissing);
  EXPECT_TRUE(r.needed.empty());
  EXPECT_TRUE(r.unused.empty());
}

TEST(Report, HostileMapTreesAndNamesCostNoMoreThanTheirSize) {
  TempFolder root;
  const fs::path project = root.Path() / "Game";
  testing::WriteFile(project / "RPG_RT.ldb", lcf::Header(lcf::kDatabaseSignature) + lcf::Chunks().Finish());
  // A map the tree lists more than once is still one file, read once.
  testing::WriteFile(project / "RPG_RT.lmt",
                     testing::MapTree({{1, "Town", 1, 0, "", 0, ""},
                                       {1, "Town again", 1, 0, "", 0, ""},
                                       {1, "Once more", 1, 0, "", 0, ""}}));
  // Event names as long as the file, with many references under each: the
  // locations must not repeat the whole name every time.
  const std::string longName(20000, 'N');
  std::string sjisName = "a";  // then 勇 (0x97 0x45) until past the cut
  for (int i = 0; i < 100; ++i) sjisName += "\x97\x45";
  lcf::Commands sounds;
  for (int i = 0; i < 2000; ++i) sounds.Add(lcf::kPlaySound, 0, "Boom", {100, 100, 50});
  sounds.Add(lcf::kEnd, 0, "", {});
  lcf::Commands one;
  one.Add(lcf::kPlaySound, 0, "Bang", {100, 100, 50});
  one.Add(lcf::kEnd, 0, "", {});
  // Control characters would rewrite the terminal the text report goes to.
  lcf::Commands evil;
  evil.Add(lcf::kPlaySound, 0, "Boom\r\x1b[2J", {100, 100, 50});
  evil.Add(lcf::kEnd, 0, "", {});
  testing::WriteFile(project / "Map0001.lmu",
                     testing::MapUnit(false, "", {testing::Event(longName, {testing::Page("", 1, nullptr, sounds)}),
                                                  testing::Event(sjisName, {testing::Page("", 1, nullptr, one)}),
                                                  testing::Event("Evil\n", {testing::Page("", 1, nullptr, evil)})}));

  const report::Report r = ReportOn(project, {}, Encoding::kShiftJis);
  for (const lcf::Problem& p : r.problems) ADD_FAILURE() << report::ProblemText(p);
  ASSERT_EQ(r.references.size(), 2002u);
  auto controls = [](std::string_view text) {
    return std::count_if(text.begin(), text.end(), [](char c) { return c >= 0 && c < 0x20; });
  };
  EXPECT_EQ(r.references.back().Name(), "Boom\\x0D\\x1B[2J");
  EXPECT_EQ(r.references.back().where, "Map0001.lmu, event 3 'Evil\\x0A', page 1, command 1: Play Sound");
  ASSERT_EQ(r.missing.size(), 3u);
  for (const std::string& m : r.missing) EXPECT_EQ(controls(m), 0) << m;
  for (const report::Entry& e : r.references) {
    ASSERT_LT(e.where.size(), 300u);
    ASSERT_EQ(controls(e.Name()) + controls(e.where), 0) << e.where;
    if (e.Name() == "Boom") {
      ASSERT_EQ(e.where.rfind("Map0001.lmu, event 1 'NNNNNNNN", 0), 0u) << e.where;
    } else if (e.Name() == "Bang") {
      // Cut between characters: the name still reads as text.
      EXPECT_EQ(e.where.find("\\x"), std::string::npos) << e.where;
      EXPECT_EQ(e.where.rfind("Map0001.lmu, event 2 'a\xE5\x8B\x87", 0), 0u) << e.where;
    }
  }
}

// A game whose one common event runs the commands.
void WriteCommandGame(const fs::path& project, const lcf::Commands& list) {
  const std::string commands = list.Finish();
  testing::WriteFile(project / "RPG_RT.ldb",
                     lcf::Header("LcfDataBase") +
                         lcf::Chunks()
                             .Raw(quillfen::lcf::chunk::Database::kCommonEvents, lcf::Array({lcf::Chunks().Str(quillfen::lcf::chunk::CommonEvent::kName, "Names").Raw(quillfen::lcf::chunk::CommonEvent::kEventCommands, commands).Finish()}))
                             .Finish());
  testing::WriteFile(project / "RPG_RT.lmt", testing::MapTree({}));
}

constexpr int kShowPicture = 11110, kPlaySound = 11550;

std::string Bytes(std::string_view utf8, Encoding e) {
  const auto bytes = EncodeFromUtf8(utf8, static_cast<CodePage>(e));
  EXPECT_TRUE(bytes) << std::string(utf8) << " in " << report::EncodingName(e);
  return bytes.value_or("");
}

// The first character of a double-byte code page whose second byte is the
// one given, as UTF-8; empty when the code page has none.
std::string CharacterWithSecondByte(Encoding e, char second) {
  for (int lead = 0x81; lead <= 0xFE; ++lead) {
    const std::string pair = {static_cast<char>(lead), second};
    if (auto text = DecodeToUtf8(pair, static_cast<CodePage>(e)); text && *text != pair) return *text;
  }
  return {};
}

TEST(Report, NamesOfEveryCodePageFindTheirFilesAndTheCodePageIsDetected) {
  struct Game {
    Encoding encoding;
    std::vector<std::string> names;  // as UTF-8, the file names on disk in another case
    std::vector<std::string> files;
  };
  std::vector<Game> games = {
      {Encoding::kBig5, {"村1"}, {"村1"}},
      {Encoding::kCp1250, {"Łódź"}, {"łÓdŹ"}},
      {Encoding::kCp1251, {"Привет"}, {"пРИВЕТ"}},
      {Encoding::kCp1252, {"Öffnen"}, {"öffnen"}},
      {Encoding::kCp1253, {"Ωμέγα"}, {"ωΜΈΓΑ"}},
      {Encoding::kCp1254, {"Işık"}, {"Işık"}},
      {Encoding::kCp1255, {"שלום"}, {"שלום"}},
      {Encoding::kCp1256, {"سلام"}, {"سلام"}},
      {Encoding::kCp1257, {"Ąžuolas"}, {"ąŽUOLAS"}},
      {Encoding::kCp1258, {"Việt"}, {"việt"}},
      {Encoding::kThai, {"ไทย"}, {"ไทย"}},
  };
  // Two-byte code pages: a character whose second byte is a backslash, and
  // one whose second byte is a letter, beside full-width letters in the
  // other case.
  for (Encoding e : {Encoding::kShiftJis, Encoding::kBig5, Encoding::kGbk, Encoding::kKorean}) {
    Game g{e, {}, {}};
    for (char second : {'\\', 'A', 'z'}) {
      const std::string c = CharacterWithSecondByte(e, second);
      if (c.empty()) continue;  // Korean has none after a backslash
      g.names.push_back(c + "x");
      g.files.push_back(c + "X");
    }
    ASSERT_GE(g.names.size(), 2u) << report::EncodingName(e);
    if (e != Encoding::kBig5) {
      g.names.push_back("\xEF\xBC\xA1\xEF\xBC\xA2");  // ＡＢ
      g.files.push_back("\xEF\xBD\x81\xEF\xBD\x82");  // ａｂ
    }
    games.push_back(g);
  }
  for (const Game& g : games) {
    const std::string_view name = report::EncodingName(g.encoding);
    SCOPED_TRACE(std::string(name));
    TempFolder root;
    const fs::path project = root.Path() / "Game";
    lcf::Commands list;
    for (const std::string& n : g.names) list.Add(kShowPicture, 0, Bytes(n, g.encoding), {1, 0, 0, 160, 120});
    list.Add(quillfen::lcf::kEnd, 0, "", {});
    WriteCommandGame(project, list);
    for (const std::string& f : g.files) testing::WriteFile(project / "Picture" / (f + ".png"), "x");
    const report::Report r = ReportOn(project, {});
    EXPECT_EQ(r.encoding, name);
    ASSERT_EQ(r.references.size(), g.names.size());
    for (std::size_t i = 0; i < g.names.size(); ++i) {
      const report::Entry& e = r.references[i];
      EXPECT_EQ(e.status, report::Status::kProject) << e.Name();
      EXPECT_EQ(e.Files(), std::vector<std::string>{"Picture\\" + g.files[i] + ".png"});
      EXPECT_TRUE(e.NameBytes().empty()) << e.Name();
      // Decoded and composed, as the name is shown.
      if (g.encoding != Encoding::kCp1258) {
        EXPECT_EQ(e.Name(), g.names[i]);
      }
    }
    EXPECT_TRUE(r.unused.empty());
    EXPECT_NE(r.encodingReason.find("names decode; " + std::to_string(g.names.size()) + " file"),
              std::string::npos)
        << r.encodingReason;
  }

  // The Big5 chipset of a real game: its bytes, its file.
  TempFolder root;
  const fs::path project = root.Path() / "Game";
  lcf::Commands list;
  list.Add(kShowPicture, 0, "\xA7\xF8\x31", {1, 0, 0, 160, 120});
  list.Add(quillfen::lcf::kEnd, 0, "", {});
  WriteCommandGame(project, list);
  testing::WriteFile(project / "Picture" / "\xE6\x9D\x91\x31.png", "x");
  const report::Report r = ReportOn(project, {});
  EXPECT_EQ(r.encoding, "big5");
  EXPECT_EQ(r.encodingReason, "1 of 1 names decode; 1 file found");
  ASSERT_EQ(r.references.size(), 1u);
  EXPECT_EQ(r.references[0].status, report::Status::kProject);
}

TEST(Report, LetterCaseNormalisationAndTheProjectsOwnCodePageSetting) {
  TempFolder root;
  const fs::path project = root.Path() / "Game";
  lcf::Commands list;
  for (int i = 0; i < 6; ++i) list.Add(kPlaySound, 0, "\xD6" "ffnen", {100, 100, 50});  // Öffnen
  list.Add(kShowPicture, 0, "Caf\xE9", {1, 0, 0, 160, 120});                        // Café
  list.Add(quillfen::lcf::kEnd, 0, "", {});
  WriteCommandGame(project, list);
  testing::WriteFile(project / "Sound" / "\xC3\xB6" "ffnen.wav", "x");     // öffnen, composed
  testing::WriteFile(project / "Picture" / "Cafe\xCC\x81.png", "x");      // Café, decomposed
  report::Report r = ReportOn(project, {});
  EXPECT_EQ(r.encoding, "cp1252");
  ASSERT_EQ(r.references.size(), 7u);
  for (const report::Entry& e : r.references) EXPECT_EQ(e.status, report::Status::kProject) << e.Name();
  EXPECT_EQ(r.references[0].Name(), "\xC3\x96" "ffnen");
  EXPECT_TRUE(r.missing.empty());
  EXPECT_TRUE(r.unused.empty());

  // The project names its code page: that wins over what finds files.
  testing::WriteFile(project / "RPG_RT.ini", "[RPG_RT]\r\nGameTitle=x\r\n\r\n[EasyRPG]\r\nEncoding = 1251\r\n");
  r = ReportOn(project, {});
  EXPECT_EQ(r.encoding, "cp1251");
  EXPECT_EQ(r.encodingReason, "set by RPG_RT.ini [EasyRPG] Encoding=1251");
  EXPECT_EQ(r.references[0].Name(), "\xD0\xA6" "ffnen");  // Цffnen
  EXPECT_EQ(r.missing.size(), 2u);
  // What the caller names wins over the project's setting.
  r = ReportOn(project, {}, Encoding::kCp1252);
  EXPECT_EQ(r.encoding, "cp1252");
  EXPECT_TRUE(r.missing.empty());
  // A setting that names no code page of ours leaves it to detection, and says so.
  testing::WriteFile(project / "RPG_RT.ini", "[easyrpg]\nencoding=ebcdic\n");
  r = ReportOn(project, {});
  EXPECT_EQ(r.encoding, "cp1252");
  EXPECT_NE(r.encodingReason.find("unknown code page 'ebcdic'"), std::string::npos) << r.encodingReason;

  // Code pages by name and number, as the command line and the setting give them.
  EXPECT_EQ(report::ParseEncoding("950"), Encoding::kBig5);
  EXPECT_EQ(report::ParseEncoding("CP950"), Encoding::kBig5);
  EXPECT_EQ(report::ParseEncoding("Big5"), Encoding::kBig5);
  EXPECT_EQ(report::ParseEncoding("windows-1251"), Encoding::kCp1251);
  EXPECT_EQ(report::ParseEncoding("cyrillic"), Encoding::kCp1251);
  EXPECT_EQ(report::ParseEncoding("shift_jis"), Encoding::kShiftJis);
  EXPECT_EQ(report::ParseEncoding("874"), Encoding::kThai);
  EXPECT_EQ(report::ParseEncoding("auto"), Encoding::kAuto);
  EXPECT_EQ(report::ParseEncoding("65001"), std::nullopt);
  EXPECT_EQ(report::ParseEncoding("cp"), std::nullopt);
  for (Encoding e : report::AllEncodings()) {
    EXPECT_EQ(report::ParseEncoding(report::EncodingName(e)), e);
    EXPECT_EQ(report::ParseEncoding(std::to_string(static_cast<unsigned>(e))), e);
  }
}

TEST(Report, UndecodableBytesAreEscapedAloneAndKeptInHex) {
  TempFolder root;
  const fs::path project = root.Path() / "Game";
  lcf::Commands list;
  // 0x85 starts no Shift-JIS character: its pair with a backslash is
  // escaped whole, never leaving a backslash that reads as a folder step.
  list.Add(kPlaySound, 0, "\x83\x5C\x85\x5Cz\x07", {100, 100, 50});
  list.Add(quillfen::lcf::kEnd, 0, "", {});
  WriteCommandGame(project, list);
  report::Report r = ReportOn(project, {}, Encoding::kShiftJis);
  ASSERT_EQ(r.references.size(), 1u);
  EXPECT_EQ(r.references[0].Name(), "\xE3\x82\xBD\\x85\\x5Cz\\x07");
  EXPECT_EQ(r.references[0].NameBytes(), "835c855c7a07");
  EXPECT_EQ(r.missing, std::vector<std::string>{"Sound\\\xE3\x82\xBD\\x85\\x5Cz\\x07"});
  // In cp1252 each byte is a character of its own; the control is escaped.
  r = ReportOn(project, {}, Encoding::kCp1252);
  EXPECT_EQ(r.references[0].Name(), "\xC6\x92\\\xE2\x80\xA6\\z\\x07");  // ƒ\…\z
  EXPECT_EQ(r.references[0].NameBytes(), "835c855c7a07");
}

TEST(Report, PicturesNumberedAtRunTimeUseTheFilesThatFitTheirPattern) {
  TempFolder root;
  const fs::path project = root.Path() / "Game", rtp = root.Path() / "RTP";
  auto picture = [](std::int64_t id, std::int64_t digits, std::int64_t variable) {
    std::vector<std::int64_t> p(20, 0);
    p[0] = id;
    p[18] = digits;
    p[19] = variable;
    return p;
  };
  lcf::Commands list;
  for (int i = 0; i < 31; ++i) list.Add(kShowPicture, 0, "menuicon_000", picture(5, 3, 12));
  list.Add(kShowPicture, 0, "Title", picture(6, 3, 0));        // no variable: the name as it is
  list.Add(kShowPicture, 0, "Slide", picture(10005, 0, 0));    // picture pointer: unknown
  list.Add(kShowPicture, 0, "Bar", std::vector<std::int64_t>(19, 1));  // too short to name a variable
  list.Add(quillfen::lcf::kEnd, 0, "", {});
  WriteCommandGame(project, list);
  for (const char* f : {"menuicon_000.png", "MENUICON_001.png", "menuicon_002.bmp", "menuicon_x.png",
                        "menuicon_01.png", "Title.png", "Bar.png"}) {
    testing::WriteFile(project / "Picture" / f, "x");
  }
  for (const char* f : {"menuicon_001.png", "menuicon_003.png", "menuicon_1000.png", "menuicon_004.wav"}) {
    testing::WriteFile(rtp / "Picture" / f, "x");
  }
  const report::Report r = ReportOn(project, rtp);
  for (const lcf::Problem& p : r.problems) ADD_FAILURE() << report::ProblemText(p);
  ASSERT_EQ(r.dynamic.size(), 32u);
  EXPECT_EQ(r.dynamic[0].pattern, "menuicon_###");
  EXPECT_EQ(r.dynamic[0].name, "menuicon_000");
  EXPECT_EQ(Sorted(r.dynamic[0].files),
            (std::vector<std::string>{"Picture\\MENUICON_001.png", "Picture\\menuicon_000.png",
                                      "Picture\\menuicon_002.bmp"}));
  EXPECT_EQ(r.dynamic[31].name, "Slide");
  EXPECT_TRUE(r.dynamic[31].pattern.empty());
  ASSERT_EQ(r.references.size(), 2u);
  EXPECT_EQ(r.references[0].Name(), "Title");
  EXPECT_EQ(r.references[1].Name(), "Bar");
  EXPECT_TRUE(r.missing.empty());
  EXPECT_EQ(r.unused, (std::vector<std::string>{"Picture\\menuicon_01.png", "Picture\\menuicon_x.png"}));
  EXPECT_EQ(r.possiblyNeeded,
            (std::vector<std::string>{"Picture\\menuicon_003.png", "Picture\\menuicon_1000.png"}));
  EXPECT_TRUE(r.needed.empty());

  const std::string text = report::FormatText(r, project.string(), rtp.string());
  EXPECT_NE(text.find("names built at run time: 32"), std::string::npos);
  EXPECT_NE(text.find("  Picture\\menuicon_### (completed at run time, 3 files fit)  RPG_RT.ldb"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("possibly needed (2):\n  Picture\\menuicon_003.png\n"), std::string::npos);
  const std::string html = report::FormatHtml(r, project.string(), rtp.string());
  EXPECT_NE(html.find("<code>Picture\\menuicon_###</code>"), std::string::npos);
  EXPECT_NE(html.find("Possibly needed from the RTP (2)"), std::string::npos);
}

TEST(Report, RealTestGameReadsWithoutErrorAndFindsItsOwnFiles) {
  const fs::path game = fs::path(QF_FIXTURES_DIR) / "testgame-2000";
  if (!fs::exists(game / "RPG_RT.ldb")) GTEST_SKIP() << "no test game at " << game;
  const report::Report r = ReportOn(game, fs::path(QF_FIXTURES_DIR) / "easyrpg-rtp");
  for (const lcf::Problem& p : r.problems) ADD_FAILURE() << report::ProblemText(p);
  EXPECT_FALSE(r.is2003);
  const std::size_t count = report::ReferenceCount(r);
  ASSERT_GT(count, 3000u);
  std::size_t inProject = 0, mapsInProject = 0, maps = 0;
  report::ForEachEntry(r, [&](const report::Entry& e) {
    inProject += e.status == report::Status::kProject;
    if (e.where.rfind("Map", 0) != 0) return;
    ++maps;
    mapsInProject += e.status == report::Status::kProject;
  });
  // What the maps use the game ships; the unedited database names RTP files.
  EXPECT_GT(inProject * 100, count * 85);
  EXPECT_GT(mapsInProject * 100, maps * 97);
  EXPECT_TRUE(HasWhere(r, "RPG_RT.ldb, system: title"));
}

// A page of undecoded names declares the code page their bytes are in,
// whichever it is; decoded names are UTF-8.
TEST(ReportHtml, ThePageDeclaresTheCharsetOfItsNames) {
  EXPECT_EQ(report::HtmlCharsetOf(true, 1251u), "utf-8");
  EXPECT_EQ(report::HtmlCharsetOf(false, 932u), "shift_jis");
  EXPECT_EQ(report::HtmlCharsetOf(false, 1251u), "windows-1251");
  EXPECT_EQ(report::HtmlCharsetOf(false, 950u), "windows-950");
  EXPECT_EQ(report::HtmlCharsetOf(false, std::nullopt), "utf-8");
}

}  // namespace
}  // namespace quillfen
