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

using namespace lcf;

inline std::string Database() {
  lcf::Commands intro;
  // Text that names files is no reference.
  intro.Message(0, {"Play Sound Boom and show Hero1", "CharSet Chara9.png"});
  intro.Add(kComment, 0, "Picture Old", {});
  intro.Add(kShowPicture, 0, "Logo", {1, 0, 0, 160, 120});
  intro.Add(kShowPicture, 0, "Slide", {10005, 0, 0, 160, 120});
  intro.Add(kPlayMovie, 0, "Intro", {0, 0, 0, 320, 240});
  intro.Add(kPlayMusic, 0, "(OFF)", {0, 100, 100, 50});
  intro.Add(kEnd, 0, "", {});
  const std::string introList = intro.Finish();

  lcf::Commands troopPage;
  troopPage.Add(kPlaySound, 0, "Troop Hit", {100, 100, 50});
  const std::string troopList = troopPage.Finish();

  namespace actor = chunk::Actor;
  const std::string actors = Array({
      Chunks().Str(actor::kName, "Alex").Str(actor::kCharacterName, "Hero1").Int(actor::kCharacterIndex, 0)
          .Str(actor::kFaceName, "Hero1").Finish(),
      Chunks().Str(actor::kName, "Bea").Str(actor::kCharacterName, "Ch\xE9ri").Str(actor::kFaceName, "")
          .Finish(),
  });
  const std::string skills = Array({Chunks().Str(chunk::Skill::kName, "Fire")
                                        .Raw(chunk::Skill::kSoundEffect, SoundStruct("Fire1")).Finish()});
  const std::string enemies =
      Array({Chunks().Str(chunk::Enemy::kName, "Slime").Str(chunk::Enemy::kBattlerName, "Slime").Finish()});
  namespace page = chunk::TroopPage;
  const std::string troopPages =
      Array({Chunks()
                 .Int(page::kEventCommandsSize, static_cast<std::int64_t>(troopList.size()))
                 .Raw(page::kEventCommands, troopList)
                 .Finish()});
  const std::string troops =
      Array({Chunks().Str(chunk::Troop::kName, "Slimes").Raw(chunk::Troop::kPages, troopPages).Finish()});
  namespace terrain = chunk::Terrain;
  const std::string terrains = Array({
      Chunks().Str(terrain::kName, "Grass").Str(terrain::kBackgroundName, "Grass")
          .Raw(terrain::kFootstep, SoundStruct("Step")).Finish(),
      Chunks().Str(terrain::kName, "Framed").Str(terrain::kBackgroundName, "NotUsed")
          .Int(terrain::kBackgroundType, value::Terrain::kBackgroundFrame)
          .Str(terrain::kBackgroundAName, "FrameA")
          .Int(terrain::kBackgroundB, 1).Str(terrain::kBackgroundBName, "FrameB").Finish(),
  });
  namespace animation = chunk::Animation;
  namespace timing = chunk::AnimationTiming;
  const std::string timings =
      Array({Chunks().Int(timing::kFrame, 2).Raw(timing::kSe, SoundStruct("Hit sound")).Finish()});
  const std::string animations = Array({
      Chunks().Str(animation::kName, "Hit").Str(animation::kAnimationName, "Hit1")
          .Raw(animation::kTimings, timings)
          .Finish(),
      Chunks().Str(animation::kName, "Big").Str(animation::kAnimationName, "Big").Int(animation::kLarge, 1)
          .Finish(),
  });
  namespace chipset = chunk::Chipset;
  const std::string chipsets =
      Array({Chunks().Str(chipset::kName, "World").Str(chipset::kChipsetName, "World").Finish()});
  namespace sys = chunk::System;
  const std::string system = Chunks()
                                 .Str(sys::kBoatName, "Boat")
                                 .Str(sys::kTitleName, "Title")
                                 .Str(sys::kGameoverName, "Game Over")
                                 .Str(sys::kSystemName, "System")
                                 .Str(sys::kSystem2Name, "Sys2")
                                 .Raw(sys::kTitleMusic, SoundStruct("Opening"))
                                 .Raw(sys::kBattleMusic, SoundStruct("(OFF)"))
                                 .Raw(sys::kCursorSe, SoundStruct("Cursor"))
                                 .Int(sys::kShowFrame, 1)
                                 .Str(sys::kFrameName, "Frame1")
                                 .Finish();
  namespace common = chunk::CommonEvent;
  const std::string commonEvents = Array({Chunks()
                                              .Str(common::kName, "Intro")
                                              .Int(common::kTrigger, 5)
                                              .Int(common::kEventCommandsSize,
                                                   static_cast<std::int64_t>(introList.size()))
                                              .Raw(common::kEventCommands, introList)
                                              .Finish()});
  namespace battler = chunk::BattlerAnimation;
  namespace pose = chunk::BattlerAnimationPose;
  namespace weapon = chunk::BattlerAnimationWeapon;
  const std::string battlerAnimations = Array({Chunks()
      .Str(battler::kName, "Soldier")
      .Raw(battler::kPoses,
           Array({Chunks().Str(pose::kName, "Idle").Str(pose::kBattlerName, "Soldier")
                      .Int(pose::kAnimationType, value::BattlerAnimationPose::kCharacter).Finish(),
                  Chunks().Str(pose::kName, "Cast").Str(pose::kBattlerName, "Ignored")
                      .Int(pose::kAnimationType, value::BattlerAnimationPose::kBattleAnimation).Finish()}))
      .Raw(battler::kWeapons,
           Array({Chunks().Str(weapon::kName, "Sword").Str(weapon::kWeaponName, "Sword").Finish()}))
      .Finish()});
  namespace database = chunk::Database;
  return Header(kDatabaseSignature) + Chunks()
                                          .Raw(database::kActors, actors)
                                          .Raw(database::kSkills, skills)
                                          .Raw(database::kEnemies, enemies)
                                          .Raw(database::kTroops, troops)
                                          .Raw(database::kTerrains, terrains)
                                          .Raw(database::kAnimations, animations)
                                          .Raw(database::kChipsets, chipsets)
                                          .Raw(database::kSystem, system)
                                          .Raw(database::kCommonEvents, commonEvents)
                                          .Raw(database::kBattleCommands, Chunks().Finish())
                                          .Raw(database::kBattlerAnimations, battlerAnimations)
                                          .Finish();
}

inline std::string Map1() {
  const std::string route =
      MoveRoute(Moves().Plain(kMoveRight).Graphic("Walker", 2).Switch(kMoveSwitchOn, 3).Sound("Step"));
  const std::string staleRoute = MoveRoute(Moves().Graphic("StaleRoute", 0));
  lcf::Commands first;
  first.Add(kChangeFace, 0, "Face A", {0, 0, 0});
  first.Add(kChangeFace, 0, "", {0, 0, 0});
  first.Add(kPlaySound, 0, "Door", {100, 100, 50});
  first.Add(kEnd, 0, "", {});
  Moves packed;
  packed.Graphic("Packed Hero", 1).Plain(kMoveForward).Sound("Packed Step");
  std::vector<std::int64_t> moveParams = {10005, 8, 0, 0};
  moveParams.insert(moveParams.end(), packed.Params().begin(), packed.Params().end());
  lcf::Commands second;
  second.Add(kMoveEvent, 0, "", moveParams);
  second.Add(kEnemyEncounter, 0, "Arena", {0, 1, 1, 0, 0});
  second.Add(kEnemyEncounter, 0, "NotThis", {0, 1, 0, 0, 0});
  second.Add(kChangeParallax, 0, "Clouds", {0, 0, 0, 0, 0, 0});
  second.Add(kChangeBattleBackground, 0, "Ruins", {});
  second.Add(kChangeSystemGraphics, 0, "Blue", {0, 0});
  second.Add(kChangeHeroGraphic, 0, "Hero2", {1, 0, 0});
  second.Add(kChangeHeroFace, 0, "Face B", {1, 0});
  second.Add(kChangeVehicleGraphic, 0, "Ship", {1, 0});
  second.Add(kChangeSystemMusic, 0, "Battle Theme", {0, 0, 100, 100, 50});
  second.Add(kChangeSystemSound, 0, "Buzz", {3, 100, 100, 50});
  second.Add(kPlayMusic, 0, "Town Theme", {0, 100, 100, 50});
  second.Add(kEnd, 0, "", {});
  return MapUnit(true, "Sky",
                 {Event("Guard", {Page("People1", value::EventPage::kMoveCustom, &route, first)}),
                  Event("EV0002", {Page("", value::EventPage::kMoveRandom, &staleRoute, second)})});
}

inline std::string Map2() {
  lcf::Commands none;
  none.Add(kEnd, 0, "", {});
  return MapUnit(false, "NoSky", {Event("EV0001", {Page("", value::EventPage::kMoveRandom, nullptr, none)})});
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
