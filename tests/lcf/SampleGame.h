// One generated game naming every kind of reference the report knows, with
// the files each resolves to in the project or the RTP, and the answer.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "GameWriter.h"

namespace quillfen::testing {

struct SampleGame {
  std::filesystem::path project, rtp;
  // "status Folder\name" for every reference, in reading order.
  std::vector<std::string> references;
  std::vector<std::string> needed, missing, unused;
  int dynamic = 0;
};

namespace sample {

enum Code : int {
  kChangeFace = 10130, kChangeHeroGraphic = 10630, kChangeHeroFace = 10640,
  kChangeVehicle = 10650, kSystemMusic = 10660, kSystemSound = 10670, kSystemGraphics = 10680,
  kBattle = 10710, kShowPicture = 11110, kMoveEvent = 11330, kPlayMusic = 11510,
  kPlaySound = 11550, kPlayMovie = 11560, kParallax = 11720, kComment = 12410,
  kBattleBackground = 13210,
};

inline std::string Database() {
  using lcf::Array;
  lcf::Commands intro;
  // Text that names files is no reference.
  intro.Message(0, {"Play Sound Boom and show Hero1", "CharSet Chara9.png"});
  intro.Add(kComment, 0, "Picture Old", {});
  intro.Add(kShowPicture, 0, "Logo", {1, 0, 0, 160, 120});
  intro.Add(kShowPicture, 0, "Slide", {10005, 0, 0, 160, 120});
  intro.Add(kPlayMovie, 0, "Intro", {0, 0, 0, 320, 240});
  intro.Add(kPlayMusic, 0, "(OFF)", {0, 100, 100, 50});
  intro.Add(10, 0, "", {});
  const std::string introList = intro.Finish();

  lcf::Commands troopPage;
  troopPage.Add(kPlaySound, 0, "Troop Hit", {100, 100, 50});
  const std::string troopList = troopPage.Finish();

  const std::string actors = Array({
      Chunks().Str(0x01, "Alex").Str(0x03, "Hero1").Int(0x04, 0).Str(0x0F, "Hero1").Finish(),
      Chunks().Str(0x01, "Bea").Str(0x03, "Ch\xE9ri").Str(0x0F, "").Finish(),
  });
  const std::string skills = Array({Chunks().Str(0x01, "Fire").Raw(0x10, SoundStruct("Fire1")).Finish()});
  const std::string enemies = Array({Chunks().Str(0x01, "Slime").Str(0x02, "Slime").Finish()});
  const std::string troops = Array({Chunks().Str(0x01, "Slimes")
                                        .Raw(0x0B, Array({Chunks()
                                                              .Int(0x0B, static_cast<std::int64_t>(troopList.size()))
                                                              .Raw(0x0C, troopList)
                                                              .Finish()}))
                                        .Finish()});
  const std::string terrains = Array({
      Chunks().Str(0x01, "Grass").Str(0x04, "Grass").Raw(0x0F, SoundStruct("Step")).Finish(),
      Chunks().Str(0x01, "Framed").Str(0x04, "NotUsed").Int(0x11, 1).Str(0x15, "FrameA")
          .Int(0x1E, 1).Str(0x1F, "FrameB").Finish(),
  });
  const std::string animations = Array({
      Chunks().Str(0x01, "Hit").Str(0x02, "Hit1")
          .Raw(0x06, Array({Chunks().Int(0x01, 2).Raw(0x02, SoundStruct("Hit sound")).Finish()}))
          .Finish(),
      Chunks().Str(0x01, "Big").Str(0x02, "Big").Int(0x03, 1).Finish(),
  });
  const std::string chipsets = Array({Chunks().Str(0x01, "World").Str(0x02, "World").Finish()});
  const std::string system = Chunks()
                                 .Str(0x0B, "Boat")
                                 .Str(0x11, "Title")
                                 .Str(0x12, "Game Over")
                                 .Str(0x13, "System")
                                 .Str(0x14, "Sys2")
                                 .Raw(0x1F, SoundStruct("Opening"))
                                 .Raw(0x20, SoundStruct("(OFF)"))
                                 .Raw(0x29, SoundStruct("Cursor"))
                                 .Int(0x63, 1)
                                 .Str(0x64, "Frame1")
                                 .Finish();
  const std::string commonEvents = Array({Chunks()
                                              .Str(0x01, "Intro")
                                              .Int(0x0B, 5)
                                              .Int(0x15, static_cast<std::int64_t>(introList.size()))
                                              .Raw(0x16, introList)
                                              .Finish()});
  const std::string battlerAnimations = Array({Chunks()
      .Str(0x01, "Soldier")
      .Raw(0x0A, Array({Chunks().Str(0x01, "Idle").Str(0x02, "Soldier").Int(0x04, 0).Finish(),
                        Chunks().Str(0x01, "Cast").Str(0x02, "Ignored").Int(0x04, 1).Finish()}))
      .Raw(0x0B, Array({Chunks().Str(0x01, "Sword").Str(0x02, "Sword").Finish()}))
      .Finish()});
  return lcf::Header("LcfDataBase") + Chunks()
                                          .Raw(0x0B, actors)
                                          .Raw(0x0C, skills)
                                          .Raw(0x0E, enemies)
                                          .Raw(0x0F, troops)
                                          .Raw(0x10, terrains)
                                          .Raw(0x13, animations)
                                          .Raw(0x14, chipsets)
                                          .Raw(0x16, system)
                                          .Raw(0x19, commonEvents)
                                          .Raw(0x1D, Chunks().Finish())
                                          .Raw(0x20, battlerAnimations)
                                          .Finish();
}

inline std::string Map1() {
  const std::string route = MoveRoute(Moves().Plain(1).Graphic("Walker", 2).Switch(32, 3).Sound("Step"));
  const std::string staleRoute = MoveRoute(Moves().Graphic("StaleRoute", 0));
  lcf::Commands first;
  first.Add(kChangeFace, 0, "Face A", {0, 0, 0});
  first.Add(kChangeFace, 0, "", {0, 0, 0});
  first.Add(kPlaySound, 0, "Door", {100, 100, 50});
  first.Add(10, 0, "", {});
  Moves packed;
  packed.Graphic("Packed Hero", 1).Plain(11).Sound("Packed Step");
  std::vector<std::int64_t> moveParams = {10005, 8, 0, 0};
  moveParams.insert(moveParams.end(), packed.Params().begin(), packed.Params().end());
  lcf::Commands second;
  second.Add(kMoveEvent, 0, "", moveParams);
  second.Add(kBattle, 0, "Arena", {0, 1, 1, 0, 0});
  second.Add(kBattle, 0, "NotThis", {0, 1, 0, 0, 0});
  second.Add(kParallax, 0, "Clouds", {0, 0, 0, 0, 0, 0});
  second.Add(kBattleBackground, 0, "Ruins", {});
  second.Add(kSystemGraphics, 0, "Blue", {0, 0});
  second.Add(kChangeHeroGraphic, 0, "Hero2", {1, 0, 0});
  second.Add(kChangeHeroFace, 0, "Face B", {1, 0});
  second.Add(kChangeVehicle, 0, "Ship", {1, 0});
  second.Add(kSystemMusic, 0, "Battle Theme", {0, 0, 100, 100, 50});
  second.Add(kSystemSound, 0, "Buzz", {3, 100, 100, 50});
  second.Add(kPlayMusic, 0, "Town Theme", {0, 100, 100, 50});
  second.Add(10, 0, "", {});
  return MapUnit(true, "Sky",
                 {Event("Guard", {Page("People1", 6, &route, first)}),
                  Event("EV0002", {Page("", 1, &staleRoute, second)})});
}

inline std::string Map2() {
  lcf::Commands none;
  none.Add(10, 0, "", {});
  return MapUnit(false, "NoSky", {Event("EV0001", {Page("", 1, nullptr, none)})});
}

}  // namespace sample

inline SampleGame WriteSampleGame(const std::filesystem::path& root) {
  SampleGame g;
  g.project = root / "Game";
  g.rtp = root / "RTP";
  WriteFile(g.project / "RPG_RT.ldb", sample::Database());
  WriteFile(g.project / "RPG_RT.lmt",
            MapTree({{1, "Town", 1, 2, "Town Theme", 2, "Field"},
                     {2, "Cave", 1, 0, "Stale", 1, "StaleBg"},
                     {3, "Forest", 2, 2, "Area Music", 2, "Area Bg"}}));
  WriteFile(g.project / "Map0001.lmu", sample::Map1());
  WriteFile(g.project / "Map0002.lmu", sample::Map2());
  WriteFile(g.project / "RPG_RT.ini", "[RPG_RT]\r\nGameTitle=Sample\r\n");

  const std::vector<std::string> projectFiles = {
      "FaceSet/hero1.PNG", "CharSet/Ch\xC3\xA9ri.png", "Frame/FrameA.png", "Battle2/Big.png",
      "ChipSet/World.bmp", "Title/Title.png", "GameOver/Game Over.png", "Picture/logo.png",
      "CharSet/Walker.png", "Backdrop/Ruins.png", "Music/Town Theme.mp3",
      // Nothing names these:
      "Picture/Old.png", "Music/Unused.mid", "Sound/readme.txt", "Battle/Big.png"};
  for (const std::string& f : projectFiles) WriteFile(g.project / f, "data");
  const std::vector<std::string> rtpFiles = {
      "CharSet/Hero1.png", "Sound/Fire1.wav", "Sound/Troop Hit.ogg", "Backdrop/Grass.png",
      "Sound/Step.wav", "Battle/Hit1.png", "CharSet/Boat.png", "System/System.png",
      "System2/Sys2.png", "Music/Opening.mid", "Sound/Cursor.wav", "Frame/Frame1.png",
      "Movie/Intro.avi", "BattleCharSet/Soldier.png", "Panorama/Sky.png", "CharSet/People1.png",
      "Sound/Door.wav", "CharSet/Packed Hero.png", "Sound/Packed Step.mid", "Backdrop/Arena.png",
      "System/Blue.bmp", "CharSet/Hero2.png", "FaceSet/Face B.png", "CharSet/Ship.png",
      "Music/Battle Theme.midi", "Sound/Buzz.wav", "Music/Town Theme.mid",
      // Same names, other folders or kinds: never offered.
      "Monster/Grass.png", "Sound/Hit1.png", "Picture/Slime.png", "FaceSet/Face A.wav"};
  for (const std::string& f : rtpFiles) WriteFile(g.rtp / f, "data");

  g.references = {
      "RTP CharSet\\Hero1", "project FaceSet\\Hero1", "project CharSet\\Ch\xC3\xA9ri",
      "RTP Sound\\Fire1", "missing Monster\\Slime", "RTP Sound\\Troop Hit",
      "RTP Sound\\Step", "RTP Backdrop\\Grass", "project Frame\\FrameA", "missing Frame\\FrameB",
      "missing Sound\\Hit sound", "RTP Battle\\Hit1", "project Battle2\\Big",
      "project ChipSet\\World", "RTP CharSet\\Boat", "project Title\\Title",
      "project GameOver\\Game Over", "RTP System\\System", "RTP System2\\Sys2",
      "RTP Music\\Opening", "RTP Sound\\Cursor", "RTP Frame\\Frame1", "project Picture\\Logo",
      "RTP Movie\\Intro", "RTP BattleCharSet\\Soldier", "missing BattleWeapon\\Sword",
      // map tree
      "project Music\\Town Theme", "missing Backdrop\\Field",
      // Map0001.lmu
      "RTP CharSet\\People1", "project CharSet\\Walker", "RTP Sound\\Step",
      "missing FaceSet\\Face A", "RTP Sound\\Door", "RTP CharSet\\Packed Hero",
      "RTP Sound\\Packed Step", "RTP Backdrop\\Arena", "missing Panorama\\Clouds",
      "project Backdrop\\Ruins", "RTP System\\Blue", "RTP CharSet\\Hero2", "RTP FaceSet\\Face B",
      "RTP CharSet\\Ship", "RTP Music\\Battle Theme", "RTP Sound\\Buzz",
      "project Music\\Town Theme", "RTP Panorama\\Sky"};
  g.needed = {"Backdrop\\Arena.png", "Backdrop\\Grass.png", "Battle\\Hit1.png",
              "BattleCharSet\\Soldier.png", "CharSet\\Boat.png", "CharSet\\Hero1.png",
              "CharSet\\Hero2.png", "CharSet\\Packed Hero.png", "CharSet\\People1.png",
              "CharSet\\Ship.png", "FaceSet\\Face B.png", "Frame\\Frame1.png", "Movie\\Intro.avi",
              "Music\\Battle Theme.midi", "Music\\Opening.mid", "Panorama\\Sky.png",
              "Sound\\Buzz.wav", "Sound\\Cursor.wav", "Sound\\Door.wav", "Sound\\Fire1.wav",
              "Sound\\Packed Step.mid", "Sound\\Step.wav", "Sound\\Troop Hit.ogg",
              "System2\\Sys2.png", "System\\Blue.bmp", "System\\System.png"};
  g.missing = {"Backdrop\\Field", "BattleWeapon\\Sword", "FaceSet\\Face A", "Frame\\FrameB",
               "Monster\\Slime", "Panorama\\Clouds", "Sound\\Hit sound"};
  g.unused = {"Battle\\Big.png", "Music\\Unused.mid", "Picture\\Old.png", "Sound\\readme.txt"};
  g.dynamic = 1;
  return g;
}

}  // namespace quillfen::testing
