// A small RPG Maker 2003 project for the exact report in the windows, with
// its 2003 RTP and a decoy 2000 RTP that would answer differently, and the
// lists the report dialog must show for it.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "../lcf/SampleGame.h"

namespace quillfen::testing {

struct ReportGame {
  std::filesystem::path project, rtp2003, rtp2000;
  std::vector<std::string> needed;   // lstNeeded, in order
  std::vector<std::string> missing;  // Folder\name of lstMissing, in order
  std::size_t references = 0, inProject = 0, fromRtp = 0, missingReferences = 0, unused = 0, dynamic = 0;
};

namespace report_game {

inline std::string Database() {
  using namespace lcf;
  Commands intro;
  intro.Add(kShowPicture, 0, "Slide", {10005, 0, 0, 160, 120});  // a name built at run time
  intro.Add(kPlaySound, 0, "Door", {100, 100, 50});
  intro.Add(kEnd, 0, "", {});
  const std::string introList = intro.Finish();
  namespace actor = chunk::Actor;
  const std::string actors = Array({Chunks()
                                        .Str(actor::kName, "Alex")
                                        .Str(actor::kCharacterName, "Hero1")
                                        .Int(actor::kCharacterIndex, 0)
                                        .Str(actor::kFaceName, "Hero1")
                                        .Finish()});
  const std::string enemies =
      Array({Chunks().Str(chunk::Enemy::kName, "Slime").Str(chunk::Enemy::kBattlerName, "Slime").Finish()});
  namespace system = chunk::System;
  const std::string systemChunks = Chunks()
                                       .Str(system::kTitleName, "Title")
                                       .Str(system::kSystemName, "System")
                                       .Raw(system::kTitleMusic, SoundStruct("Opening"))
                                       .Finish();
  namespace common = chunk::CommonEvent;
  const std::string commonEvents = Array({Chunks()
                                              .Str(common::kName, "Intro")
                                              .Int(common::kTrigger, 5)
                                              .Int(common::kEventCommandsSize, static_cast<std::int64_t>(introList.size()))
                                              .Raw(common::kEventCommands, introList)
                                              .Finish()});
  // The battle commands exist only in 2003 databases.
  namespace database = chunk::Database;
  return Header(kDatabaseSignature) + Chunks()
                                          .Raw(database::kActors, actors)
                                          .Raw(database::kEnemies, enemies)
                                          .Raw(database::kSystem, systemChunks)
                                          .Raw(database::kCommonEvents, commonEvents)
                                          .Raw(database::kBattleCommands, Chunks().Finish())
                                          .Finish();
}

inline std::string Map(const std::string& charset, bool withDoor) {
  lcf::Commands commands;
  if (withDoor) commands.Add(lcf::kPlaySound, 0, "Door", {100, 100, 50});
  commands.Add(lcf::kChangeParallax, 0, "Clouds", {0, 0, 0, 0, 0, 0});
  commands.Add(lcf::kEnd, 0, "", {});
  return MapUnit(false, "", {Event("EV0001", {Page(charset, 1, nullptr, commands)})});
}

}  // namespace report_game

inline ReportGame WriteReportGame(const std::filesystem::path& root) {
  ReportGame g;
  g.project = root / "Game2003";
  g.rtp2003 = root / "RTP2003";
  g.rtp2000 = root / "RTP2000";
  WriteFile(g.project / "RPG_RT.ldb", report_game::Database());
  WriteFile(g.project / "RPG_RT.lmt", MapTree({{1, "Town", 1, 2, "Town Theme", 0, ""}, {2, "Cave", 1, 0, "", 0, ""}}));
  WriteFile(g.project / "Map0001.lmu", report_game::Map("People1", true));
  WriteFile(g.project / "Map0002.lmu", report_game::Map("Walker", false));
  WriteFile(g.project / "RPG_RT.ini", "[RPG_RT]\r\nGameTitle=Report\r\n");
  for (const char* f : {"Title/Title.png", "CharSet/Walker.png", "Picture/Old.png"})
    WriteFile(g.project / f, "project");
  for (const char* f : {"CharSet/Hero1.png", "FaceSet/Hero1.png", "System/System.png", "Music/Opening.mid",
                        "Music/Town Theme.mid", "CharSet/People1.png", "Sound/Door.wav", "Music/Unused.mid"})
    WriteFile(g.rtp2003 / f, std::string("2003 ") + f);
  // A 2000 RTP that also has the clouds and the monster: a 2003 game must
  // not find them there.
  for (const char* f : {"CharSet/Hero1.png", "Panorama/Clouds.png", "Monster/Slime.png"})
    WriteFile(g.rtp2000 / f, std::string("2000 ") + f);
  g.needed = {"CharSet\\Hero1.png", "CharSet\\People1.png", "FaceSet\\Hero1.png", "Music\\Opening.mid",
              "Music\\Town Theme.mid", "Sound\\Door.wav", "System\\System.png"};
  g.missing = {"Monster\\Slime", "Panorama\\Clouds"};
  // Hero1 twice, Slime, Title, System, Opening, Door (intro); Town Theme;
  // People1, Door, Clouds; Walker, Clouds.
  g.references = 13;
  g.inProject = 2;  // Title, Walker
  g.fromRtp = 8;
  g.missingReferences = 3;
  g.unused = 1;  // Picture\Old.png
  g.dynamic = 1;
  return g;
}

}  // namespace quillfen::testing
