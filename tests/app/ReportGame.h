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
  using lcf::Array;
  lcf::Commands intro;
  intro.Add(sample::kShowPicture, 0, "Slide", {10005, 0, 0, 160, 120});  // a name built at run time
  intro.Add(sample::kPlaySound, 0, "Door", {100, 100, 50});
  intro.Add(10, 0, "", {});
  const std::string introList = intro.Finish();
  const std::string actors =
      Array({Chunks().Str(0x01, "Alex").Str(0x03, "Hero1").Int(0x04, 0).Str(0x0F, "Hero1").Finish()});
  const std::string enemies = Array({Chunks().Str(0x01, "Slime").Str(0x02, "Slime").Finish()});
  const std::string system = Chunks()
                                 .Str(0x11, "Title")
                                 .Str(0x13, "System")
                                 .Raw(0x1F, SoundStruct("Opening"))
                                 .Finish();
  const std::string commonEvents = Array({Chunks()
                                              .Str(0x01, "Intro")
                                              .Int(0x0B, 5)
                                              .Int(0x15, static_cast<std::int64_t>(introList.size()))
                                              .Raw(0x16, introList)
                                              .Finish()});
  // Chunk 0x1D exists only in 2003 databases.
  return lcf::Header("LcfDataBase") + Chunks()
                                          .Raw(0x0B, actors)
                                          .Raw(0x0E, enemies)
                                          .Raw(0x16, system)
                                          .Raw(0x19, commonEvents)
                                          .Raw(0x1D, Chunks().Finish())
                                          .Finish();
}

inline std::string Map(const std::string& charset, bool withDoor) {
  lcf::Commands commands;
  if (withDoor) commands.Add(sample::kPlaySound, 0, "Door", {100, 100, 50});
  commands.Add(sample::kParallax, 0, "Clouds", {0, 0, 0, 0, 0, 0});
  commands.Add(10, 0, "", {});
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
