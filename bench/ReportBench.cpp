// Times the exact reference report against the scan on the same project,
// each as its command runs it (`quillfen scan`, `quillfen report`,
// `quillfen report --json`, output written to a file), and prints the
// ratios. The project is generated once under DIR with the shape of a big
// 2003 game: about 600 maps of thousands of events, a full database, tens
// of thousands of references, and an RTP beside it. The real test game is
// timed too where it is present.
//
//   quillfen-report-bench [--dir DIR] [--maps N] [--runs N] [--only scan|text|json]
//
// --only runs one command --runs times and nothing else, for profiling it.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "Commands.h"
#include "GameWriter.h"
#include "References.h"

namespace {

namespace stdfs = std::filesystem;
using namespace quillfen;
using lcf::Chunks;
using testing::SoundStruct;
using Clock = std::chrono::steady_clock;

// Raise whenever the generator's output changes.
constexpr int kGeneratorVersion = 3;
constexpr double kReportTarget = 2.0;  // report / scan
constexpr double kJsonTarget = 1.3;    // report --json / report

// The same numbers on every machine (the standard distributions are not).
class Random {
 public:
  explicit Random(std::uint64_t seed) : state_(seed * 0x9E3779B97F4A7C15ull + 1) {}
  std::uint32_t Next() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 7;
    state_ ^= state_ << 17;
    return static_cast<std::uint32_t>(state_ >> 11);
  }
  int Between(int low, int high) { return low + static_cast<int>(Next() % static_cast<std::uint32_t>(high - low + 1)); }
  bool Chance(int percent) { return Between(1, 100) <= percent; }
  template <class T>
  const T& Pick(const std::vector<T>& from) { return from[Next() % from.size()]; }

 private:
  std::uint64_t state_;
};

// The names of one folder: some in the RTP, some the game's own, a few in
// neither. References pick among them.
struct Pool {
  const char* folder;
  const char* extension;
  std::vector<std::string> rtp, own, lost;
  std::string Pick(Random& r) const {
    const int roll = r.Between(1, 100);
    if (roll <= 3 && !lost.empty()) return r.Pick(lost);
    if (roll <= 45 && !rtp.empty()) return r.Pick(rtp);
    return r.Pick(own.empty() ? rtp : own);
  }
};

std::vector<std::string> Names(const std::string& stem, int count) {
  std::vector<std::string> out;
  for (int i = 1; i <= count; ++i) out.push_back(stem + std::to_string(i));
  return out;
}

struct Pools {
  Pool charSet{"CharSet", ".png", Names("Chara", 40), Names("npc_", 180), Names("OldChara", 6)};
  Pool faceSet{"FaceSet", ".png", Names("Face", 20), Names("face_", 90), Names("Portrait", 3)};
  // Names with spaces and a few bytes of the game's code page, as real games have.
  Pool sound{"Sound", ".wav",
             {"Attack1", "Attack2", "Cursor1", "Decision1", "Cancel1", "Buzzer1", "Door1", "Door2",
              "Heal1", "Item1", "Key", "Knock", "Run", "Earth1", "Fire1", "Ice1", "Thunder1",
              "Wind1", "Battle 1", "Explosion1", "Switch1", "Up1", "Down1", "Chime1"},
             Names("se_", 220),
             {"Cafe\xE9 Bell", "Missing Sound", "Slash9"}};
  Pool music{"Music", ".mid",
             {"Battle1", "Battle2", "Boss1", "Dungeon1", "Field1", "Field2", "Town1", "Town2",
              "Inn1", "Castle1", "Game Over", "Opening1", "Fanfare1", "Mystery", "Sad1"},
             Names("bgm_", 70),
             {"Theme Lost"}};
  Pool picture{"Picture", ".png", {"Logo1", "Map1"}, Names("pic_", 400), Names("cut_", 5)};
  Pool monster{"Monster", ".png", Names("Monster", 40), Names("enemy_", 120), {"Dragon9"}};
  Pool battle{"Battle", ".png", Names("Anim", 30), Names("anim_", 80), {}};
  Pool backdrop{"Backdrop", ".png", Names("Back", 20), Names("bg_", 40), {"Field"}};
  Pool panorama{"Panorama", ".png", Names("Sky", 10), Names("para_", 30), {}};
  Pool chipSet{"ChipSet", ".png", Names("Basis", 6), Names("tiles_", 24), {}};
  Pool battleCharSet{"BattleCharSet", ".png", Names("Soldier", 10), Names("hero_b", 20), {}};
  Pool battleWeapon{"BattleWeapon", ".png", {"Weapon1"}, {"weapons"}, {}};
  Pool system{"System", ".png", {"System1", "Blue"}, {"sys_custom"}, {}};
  std::vector<const Pool*> All() const {
    return {&charSet, &faceSet, &sound, &music, &picture, &monster, &battle,
            &backdrop, &panorama, &chipSet, &battleCharSet, &battleWeapon, &system};
  }
};

const char* const kWords[] = {"the",   "inn",   "is",    "north", "of",    "town",  "and",  "you",
                              "must",  "find",  "a",     "sword", "before", "night", "falls", "king",
                              "said",  "that",  "cave",  "holds", "old",   "secret", "wait", "here"};

std::string Sentence(Random& r, int minWords, int maxWords) {
  std::string out;
  const int n = r.Between(minWords, maxWords);
  for (int i = 0; i < n; ++i) {
    if (i != 0) out += ' ';
    out += kWords[r.Next() % std::size(kWords)];
  }
  out[0] = static_cast<char>(out[0] - 'a' + 'A');
  return out + '.';
}

std::int64_t Id(Random& r) { return r.Between(1, 500); }

// A command list of n commands, of which some name files.
std::string CommandList(Random& r, const Pools& p, int n) {
  lcf::Commands c;
  int indent = 0;
  for (int i = 0; i < n; ++i) {
    const int roll = r.Between(1, 100);
    if (roll <= 30) {
      std::vector<std::string> lines;
      for (int k = r.Between(1, 4); k > 0; --k) lines.push_back(Sentence(r, 3, 9));
      c.Message(indent, lines);
    } else if (roll <= 40) {
      c.Add(10210, indent, "", {0, Id(r), Id(r), 0});  // switches
    } else if (roll <= 48) {
      c.Add(10220, indent, "", {0, Id(r), Id(r), 0, 0, r.Between(0, 99)});  // variables
    } else if (roll <= 54) {
      c.Add(12010, indent, "", {0, Id(r), 0, 0, 0, 0});  // branch
      c.Add(10, indent + 1, "", {});
      c.Add(22011, indent, "", {});
    } else if (roll <= 60) {
      c.Add(11410, indent, "", {r.Between(1, 60)});  // wait
    } else if (roll <= 64) {
      c.Add(10810, indent, "", {r.Between(1, 600), r.Between(0, 50), r.Between(0, 40), 0});  // teleport
    } else if (roll <= 76) {
      c.Add(11550, indent, p.sound.Pick(r), {100, 100, 50});  // Play Sound
    } else if (roll <= 84) {
      // Show Picture; now and then a name built while the game runs.
      const std::int64_t number = r.Chance(2) ? 10000 + r.Between(1, 50) : r.Between(1, 50);
      c.Add(11110, indent, p.picture.Pick(r),
            {number, 0, 0, 160, 120, 100, 0, 1, 100, 100, 100, 100, 0, 0, 0, 0});
      c.Add(11130, indent, "", {number});  // erase it again
    } else if (roll <= 88) {
      c.Add(11510, indent, p.music.Pick(r), {0, 100, 100, 50});  // Play Music
    } else if (roll <= 92) {
      c.Add(10130, indent, p.faceSet.Pick(r), {r.Between(0, 15), 0, 0});  // Change Face
    } else if (roll <= 95) {
      testing::Moves moves;
      moves.Plain(r.Between(0, 11)).Graphic(p.charSet.Pick(r), r.Between(0, 7)).Plain(r.Between(0, 11));
      if (r.Chance(50)) moves.Sound(p.sound.Pick(r));
      std::vector<std::int64_t> params = {10005, 8, 0, 0};
      params.insert(params.end(), moves.Params().begin(), moves.Params().end());
      c.Add(11330, indent, "", params);  // Move Event
    } else if (roll <= 97) {
      c.Add(10630, indent, p.charSet.Pick(r), {r.Between(1, 8), r.Between(0, 7), 0});  // hero graphic
    } else if (roll <= 98) {
      c.Add(10710, indent, p.backdrop.Pick(r), {0, r.Between(1, 150), 1, 0, 0});  // battle
    } else {
      c.Add(12410, indent, "Note: " + Sentence(r, 2, 6), {});  // comment
    }
  }
  c.Add(10, 0, "", {});
  return c.Finish();
}

std::string Page(Random& r, const Pools& p) {
  Chunks page;
  // Conditions, as the editor writes them.
  page.Raw(0x02, Chunks().Int(0x01, 0).Int(0x02, 1).Int(0x03, 1).Finish());
  if (r.Chance(75)) page.Str(0x15, p.charSet.Pick(r));
  page.Int(0x16, r.Between(0, 7)).Int(0x17, r.Between(0, 3)).Int(0x18, 1);
  page.Int(0x1F, r.Chance(10) ? 6 : 1).Int(0x21, 0).Int(0x22, 1).Int(0x23, 0).Int(0x24, 0);
  if (r.Chance(15)) {
    testing::Moves moves;
    for (int i = r.Between(2, 12); i > 0; --i) moves.Plain(r.Between(0, 11));
    if (r.Chance(40)) moves.Graphic(p.charSet.Pick(r), r.Between(0, 7));
    if (r.Chance(30)) moves.Sound(p.sound.Pick(r));
    page.Raw(0x29, testing::MoveRoute(moves));
  }
  const std::string list = CommandList(r, p, r.Between(2, 16));
  page.Int(0x33, static_cast<std::int64_t>(list.size())).Raw(0x34, list);
  return page.Finish();
}

std::string MapFile(Random& r, const Pools& p, int maxEvents) {
  const int width = r.Between(20, 60), height = r.Between(15, 45);
  std::vector<int> lower(static_cast<std::size_t>(width * height)), upper(lower.size());
  for (int& t : lower) t = r.Between(0, 5000);
  for (int& t : upper) t = r.Chance(80) ? 10000 : r.Between(10000, 10143);
  Chunks map;
  map.Int(0x01, r.Between(1, 30)).Int(0x02, width).Int(0x03, height).Int(0x0B, 0);
  if (r.Chance(20)) map.Int(0x1F, 1).Str(0x20, p.panorama.Pick(r)).Int(0x21, 0).Int(0x23, 0);
  map.Raw(0x47, lcf::Shorts(lower)).Raw(0x48, lcf::Shorts(upper));
  std::vector<std::string> events;
  for (int e = r.Between(2, maxEvents); e > 0; --e) {
    std::vector<std::string> pages;
    for (int n = r.Chance(35) ? r.Between(2, 4) : 1; n > 0; --n) pages.push_back(Page(r, p));
    events.push_back(Chunks()
                         .Str(0x01, r.Chance(60) ? "EV" + std::to_string(events.size() + 1)
                                                 : Sentence(r, 1, 3))
                         .Int(0x02, r.Between(0, width - 1))
                         .Int(0x03, r.Between(0, height - 1))
                         .Raw(0x05, lcf::Array(pages))
                         .Finish());
  }
  map.Raw(0x51, lcf::Array(events)).Int(0x5A, r.Between(1, 5000));
  return lcf::Header("LcfMapUnit") + map.Finish();
}

// Entries of n structures made by one function.
std::string Table(int n, const std::function<std::string(int)>& make) {
  std::vector<std::string> entries;
  for (int i = 1; i <= n; ++i) entries.push_back(make(i));
  return lcf::Array(entries);
}

std::string Database(Random& r, const Pools& p) {
  const std::string actors = Table(80, [&](int i) {
    std::vector<int> curves(6 * 99);
    for (int& v : curves) v = r.Between(1, 999);
    return Chunks().Str(0x01, "Hero " + std::to_string(i)).Str(0x02, "Title")
        .Str(0x03, p.charSet.Pick(r)).Int(0x04, r.Between(0, 7)).Int(0x07, 1).Int(0x08, 99)
        .Str(0x0F, p.faceSet.Pick(r)).Int(0x10, r.Between(0, 15)).Raw(0x1F, lcf::Shorts(curves))
        .Raw(0x33, Table(20, [&](int) { return Chunks().Int(0x01, r.Between(1, 99)).Int(0x02, r.Between(1, 400)).Finish(); }))
        .Finish();
  });
  const std::string skills = Table(400, [&](int i) {
    return Chunks().Str(0x01, "Skill " + std::to_string(i)).Str(0x02, Sentence(r, 4, 10))
        .Int(0x08, r.Between(0, 3)).Int(0x0B, r.Between(0, 50)).Int(0x0E, r.Between(1, 300))
        .Raw(0x10, SoundStruct(p.sound.Pick(r))).Int(0x18, r.Between(0, 500)).Finish();
  });
  const std::string items = Table(300, [&](int i) {
    return Chunks().Str(0x01, "Item " + std::to_string(i)).Str(0x02, Sentence(r, 4, 10))
        .Int(0x03, r.Between(0, 10)).Int(0x05, r.Between(1, 9999)).Finish();
  });
  const std::string enemies = Table(200, [&](int i) {
    return Chunks().Str(0x01, "Enemy " + std::to_string(i)).Str(0x02, p.monster.Pick(r))
        .Int(0x04, r.Between(10, 9999)).Int(0x05, r.Between(0, 999))
        .Raw(0x2A, Table(r.Between(1, 6), [&](int) { return Chunks().Int(0x01, 0).Int(0x02, 0).Int(0x0D, 50).Finish(); }))
        .Finish();
  });
  const std::string troops = Table(150, [&](int i) {
    const std::string page = CommandList(r, p, r.Between(1, 12));
    return Chunks().Str(0x01, "Troop " + std::to_string(i))
        .Raw(0x02, Table(r.Between(1, 5), [&](int) { return Chunks().Int(0x01, r.Between(1, 200)).Int(0x02, 100).Int(0x03, 80).Finish(); }))
        .Raw(0x0B, lcf::Array({Chunks().Raw(0x02, Chunks().Int(0x01, 0).Finish())
                                   .Int(0x0B, static_cast<std::int64_t>(page.size())).Raw(0x0C, page).Finish()}))
        .Finish();
  });
  const std::string terrains = Table(30, [&](int i) {
    Chunks t;
    t.Str(0x01, "Terrain " + std::to_string(i)).Int(0x02, 0);
    if (i % 5 == 0) {
      t.Int(0x11, 1).Str(0x15, p.backdrop.Pick(r)).Int(0x1E, 1).Str(0x1F, p.backdrop.Pick(r));
    } else {
      t.Str(0x04, p.backdrop.Pick(r));
    }
    if (i % 3 == 0) t.Raw(0x0F, SoundStruct(p.sound.Pick(r)));
    return t.Finish();
  });
  const std::string states = Table(50, [&](int i) {
    return Chunks().Str(0x01, "State " + std::to_string(i)).Str(0x33, Sentence(r, 3, 6))
        .Str(0x34, Sentence(r, 3, 6)).Finish();
  });
  // Animations: most of the bytes of a real database, in frames that name nothing.
  const std::string animations = Table(300, [&](int i) {
    const std::string frames = Table(r.Between(8, 25), [&](int) {
      return Chunks().Raw(0x01, Table(r.Between(1, 6), [&](int) {
        return Chunks().Int(0x01, 1).Int(0x02, r.Between(0, 24)).Int(0x03, r.Between(-80, 80))
            .Int(0x04, r.Between(-60, 60)).Int(0x05, 100).Int(0x06, 100).Int(0x07, 100)
            .Int(0x08, 100).Int(0x09, 0).Finish();
      })).Finish();
    });
    return Chunks().Str(0x01, "Animation " + std::to_string(i)).Str(0x02, p.battle.Pick(r))
        .Int(0x03, r.Chance(10) ? 1 : 0)
        .Raw(0x06, Table(r.Between(1, 6), [&](int) {
          return Chunks().Int(0x01, r.Between(1, 20)).Raw(0x02, SoundStruct(p.sound.Pick(r))).Finish();
        }))
        .Int(0x09, 0).Int(0x0A, 1).Raw(0x0C, frames).Finish();
  });
  const std::string chipsets = Table(30, [&](int i) {
    return Chunks().Str(0x01, "Tiles " + std::to_string(i)).Str(0x02, p.chipSet.Pick(r))
        .Raw(0x03, lcf::Shorts(std::vector<int>(162, 1))).Raw(0x04, std::string(162, '\x0F'))
        .Raw(0x05, std::string(144, '\x0F')).Finish();
  });
  std::string terms;
  {
    Chunks t;
    for (int id = 1; id <= 0x98; ++id) t.Str(id, Sentence(r, 1, 4));
    terms = t.Finish();
  }
  const std::string system = Chunks()
      .Int(0x0A, 2003).Str(0x0B, p.charSet.Pick(r)).Str(0x0C, p.charSet.Pick(r))
      .Str(0x0D, p.charSet.Pick(r)).Str(0x11, "Title").Str(0x12, "GameOver")
      .Str(0x13, "System1").Str(0x14, "System2")
      .Raw(0x1F, SoundStruct(p.music.Pick(r))).Raw(0x20, SoundStruct(p.music.Pick(r)))
      .Raw(0x21, SoundStruct(p.music.Pick(r))).Raw(0x22, SoundStruct(p.music.Pick(r)))
      .Raw(0x26, SoundStruct(p.music.Pick(r)))
      .Raw(0x29, SoundStruct("Cursor1")).Raw(0x2A, SoundStruct("Decision1"))
      .Raw(0x2B, SoundStruct("Cancel1")).Raw(0x2C, SoundStruct("Buzzer1"))
      .Int(0x63, 1).Str(0x64, "Frame1").Finish();
  const std::string switches = Table(3000, [&](int i) {
    return Chunks().Str(0x01, i % 4 == 0 ? "" : Sentence(r, 1, 3)).Finish();
  });
  const std::string variables = Table(3000, [&](int i) {
    return Chunks().Str(0x01, i % 4 == 0 ? "" : Sentence(r, 1, 3)).Finish();
  });
  const std::string commonEvents = Table(300, [&](int i) {
    const std::string list = CommandList(r, p, r.Between(3, 50));
    return Chunks().Str(0x01, "Common " + std::to_string(i)).Int(0x0B, r.Between(3, 5))
        .Int(0x15, static_cast<std::int64_t>(list.size())).Raw(0x16, list).Finish();
  });
  const std::string battleCommands = Chunks().Int(0x02, 0)
      .Raw(0x0A, Table(8, [&](int i) { return Chunks().Str(0x01, "Command " + std::to_string(i)).Int(0x02, 0).Finish(); }))
      .Finish();
  const std::string classes = Table(20, [&](int i) {
    return Chunks().Str(0x01, "Class " + std::to_string(i)).Raw(0x1F, lcf::Shorts(std::vector<int>(6 * 99, 50))).Finish();
  });
  const std::string battlerAnimations = Table(60, [&](int i) {
    return Chunks().Str(0x01, "Battler " + std::to_string(i))
        .Raw(0x0A, Table(12, [&](int k) {
          return Chunks().Str(0x01, "Pose " + std::to_string(k)).Str(0x02, p.battleCharSet.Pick(r))
              .Int(0x03, r.Between(0, 7)).Int(0x04, k % 4 == 0 ? 1 : 0).Finish();
        }))
        .Raw(0x0B, Table(4, [&](int) { return Chunks().Str(0x01, "Weapon").Str(0x02, p.battleWeapon.Pick(r)).Finish(); }))
        .Finish();
  });
  return lcf::Header("LcfDataBase") + Chunks()
      .Raw(0x0B, actors).Raw(0x0C, skills).Raw(0x0D, items).Raw(0x0E, enemies).Raw(0x0F, troops)
      .Raw(0x10, terrains).Raw(0x12, states).Raw(0x13, animations).Raw(0x14, chipsets)
      .Raw(0x15, terms).Raw(0x16, system).Raw(0x17, switches).Raw(0x18, variables)
      .Raw(0x19, commonEvents).Raw(0x1D, battleCommands).Raw(0x1E, classes).Raw(0x20, battlerAnimations)
      .Finish();
}

struct Layout {
  stdfs::path project, rtp, scratch, empty;
};

// Writes the project and its RTP unless the marker says they are there.
Layout Generate(const stdfs::path& dir, int maps) {
  const stdfs::path root = dir / ("game-" + std::to_string(maps));
  Layout l{root / "Project", root / "RTP", root / "scratch", root / "empty"};
  const stdfs::path marker = root / "ready";
  const std::string stamp = "generator=" + std::to_string(kGeneratorVersion) + "\n";
  std::ifstream in(marker);
  std::string have;
  std::getline(in, have);
  if (have + "\n" == stamp) return l;
  std::printf("Generating a %d-map game in %s ...\n", maps, root.string().c_str());
  std::fflush(stdout);
  stdfs::remove_all(root);
  stdfs::create_directories(l.scratch);
  stdfs::create_directories(l.empty);
  Random r(15);
  const Pools p;
  testing::WriteFile(l.project / "RPG_RT.ldb", Database(r, p));
  std::vector<testing::TreeMap> tree;
  for (int m = 1; m <= maps; ++m) {
    if (m % 40 == 1) {  // areas name no files of their own
      tree.push_back({m, "Region " + std::to_string(m), 2, 2, p.music.Pick(r), 0, ""});
      continue;
    }
    const bool ownMusic = r.Chance(60), ownBackdrop = r.Chance(30);
    tree.push_back({m, "Map " + std::to_string(m), 1, ownMusic ? 2 : 0, ownMusic ? p.music.Pick(r) : "",
                    ownBackdrop ? 2 : 0, ownBackdrop ? p.backdrop.Pick(r) : ""});
    testing::WriteFile(l.project / lcf::MapFileName(m), MapFile(r, p, r.Chance(10) ? 40 : 16));
  }
  testing::WriteFile(l.project / "RPG_RT.lmt", testing::MapTree(tree));
  testing::WriteFile(l.project / "RPG_RT.ini", "[RPG_RT]\r\nGameTitle=Bench\r\n");
  for (const Pool* pool : p.All()) {
    for (const std::string& n : pool->rtp) testing::WriteFile(l.rtp / pool->folder / (n + pool->extension), "x");
    for (const std::string& n : pool->own) testing::WriteFile(l.project / pool->folder / (n + pool->extension), "x");
  }
  // Files of the project that nothing names.
  for (const std::string& n : Names("unused_", 60)) testing::WriteFile(l.project / "Picture" / (n + ".png"), "x");
  for (const char* folder : {"Title", "GameOver", "System2", "Frame", "Movie", "Battle2"}) {
    testing::WriteFile(l.rtp / folder / "placeholder.png", "x");
  }
  testing::WriteFile(l.rtp / "Title" / "Title.png", "x");
  testing::WriteFile(l.rtp / "GameOver" / "GameOver.png", "x");
  testing::WriteFile(l.rtp / "System2" / "System2.png", "x");
  testing::WriteFile(l.rtp / "Frame" / "Frame1.png", "x");
  std::ofstream(marker) << stamp;
  return l;
}

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

// One command as the command line runs it, its output written to a file
// opened (and emptied) beforehand, as a shell's redirection does. Returns
// the exit code; elapsed and processor time in seconds.
int Command(const std::vector<std::string>& args, const stdfs::path& output, double& elapsed,
            double& processor);

// Processor time of the whole process, all threads.
double ProcessorSeconds() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

struct Timed {
  double best = 1e300;     // elapsed
  double bestCpu = 1e300;  // processor time
  int code = -1;
  void Add(const Timed& t) {
    best = std::min(best, t.best);
    bestCpu = std::min(bestCpu, t.bestCpu);
    code = t.code;
  }
};

int Command(const std::vector<std::string>& args, const stdfs::path& output, double& elapsed,
            double& processor) {
  std::vector<std::string> all = {"quillfen"};
  all.insert(all.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& a : all) argv.push_back(a.data());
  std::ofstream out(output, std::ios::binary | std::ios::trunc);
  std::ostringstream err;
  const double cpu = ProcessorSeconds();
  const auto start = Clock::now();
  const int code = cli::Run(static_cast<int>(argv.size()), argv.data(), out, err);
  out.flush();
  elapsed = Seconds(Clock::now() - start);
  processor = ProcessorSeconds() - cpu;
  return code;
}

// The same command as a process of its own, as a user runs it: program
// start and exit included.
int Process(const std::vector<std::string>& args, const stdfs::path& output, double& elapsed,
            double& processor) {
  std::vector<std::string> all = {QF_BENCH_QUILLFEN};
  all.insert(all.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& a : all) argv.push_back(a.data());
  argv.push_back(nullptr);
  const int out = ::open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  const int null = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
  const auto start = Clock::now();
  const pid_t child = ::fork();
  if (child == 0) {
    ::dup2(out, 1);
    ::dup2(null, 2);
    ::execv(argv[0], argv.data());
    ::_exit(127);
  }
  int status = 0;
  rusage usage{};
  ::wait4(child, &status, 0, &usage);
  elapsed = Seconds(Clock::now() - start);
  processor = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
              static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
  ::close(out);
  ::close(null);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

Timed Best(int runs, const std::vector<std::string>& args, const stdfs::path& output,
           bool process = false) {
  Timed t;
  for (int i = 0; i < runs; ++i) {
    double elapsed = 0, processor = 0;
    t.code = process ? Process(args, output, elapsed, processor) : Command(args, output, elapsed, processor);
    t.best = std::min(t.best, elapsed);
    t.bestCpu = std::min(t.bestCpu, processor);
  }
  return t;
}

std::uintmax_t DatabaseBytes(const stdfs::path& project, int& files) {
  std::uintmax_t bytes = 0;
  files = 0;
  for (const auto& entry : stdfs::directory_iterator(project)) {
    const std::string ext = entry.path().extension().string();
    if (entry.is_regular_file() && (ext == ".lmu" || ext == ".ldb" || ext == ".lmt")) {
      bytes += entry.file_size();
      ++files;
    }
  }
  return bytes;
}

std::size_t CountOf(const stdfs::path& file, const std::string& text) {
  std::ifstream in(file, std::ios::binary);
  const std::string all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::size_t n = 0;
  for (std::size_t at = all.find(text); at != std::string::npos; at = all.find(text, at + 1)) ++n;
  return n;
}

void Print(const Timed& s, const Timed& t, const Timed& j);

// The three commands in turn, best of runs each, and their ratios: run in
// this process, then each as a process of its own.
void Compare(const char* label, const stdfs::path& project, const stdfs::path& rtp,
             const stdfs::path& scratch, const stdfs::path& empty, int runs, const std::string& only) {
  const std::vector<std::string> scan = {"scan", project.string(), "--rtp", rtp.string(), "--editor",
                                         empty.string(), "--wine-prefix", empty.string(), "--scratch",
                                         scratch.string(), "-q"};
  const std::vector<std::string> text = {"report", project.string(), "--rtp", rtp.string(),
                                         "--wine-prefix", empty.string()};
  std::vector<std::string> json = text;
  json.push_back("--json");
  const stdfs::path out = scratch / "out.txt";
  if (!only.empty()) {
    const Timed t = Best(runs, only == "scan" ? scan : only == "json" ? json : text, out);
    std::printf("%s %s: best of %d %.4f s, processor %.4f s (exit %d)\n", label, only.c_str(), runs,
                t.best, t.bestCpu, t.code);
    return;
  }
  int files = 0;
  const std::uintmax_t bytes = DatabaseBytes(project, files);
  double unused = 0;
  Command(json, scratch / "report.json", unused, unused);  // warms the caches, and is counted
  const std::size_t references = CountOf(scratch / "report.json", "\"status\": ");
  std::printf("%s: %d database files, %.1f MB, %zu references; best of %d\n", label, files,
              static_cast<double>(bytes) / 1e6, references, runs);
  for (const bool process : {false, true}) {
    // Interleaved, so that a busy moment of the machine falls on all three.
    Timed s, t, j;
    for (int i = 0; i < runs; ++i) {
      s.Add(Best(1, scan, scratch / "scan.txt", process));
      t.Add(Best(1, text, scratch / "report.txt", process));
      j.Add(Best(1, json, scratch / "report.json", process));
    }
    std::printf(process ? " as processes of their own:\n" : " in this process:\n");
    Print(s, t, j);
  }
}

void Print(const Timed& s, const Timed& t, const Timed& j) {
  std::printf("  %-26s %9s %11s\n", "", "elapsed", "processor");
  std::printf("  %-26s %8.4f s %9.4f s   (exit %d)\n", "quillfen scan", s.best, s.bestCpu, s.code);
  std::printf("  %-26s %8.4f s %9.4f s   (exit %d)\n", "quillfen report", t.best, t.bestCpu, t.code);
  std::printf("  %-26s %8.4f s %9.4f s   (exit %d)\n", "quillfen report --json", j.best, j.bestCpu, j.code);
  const double textRatio = t.best / s.best, jsonRatio = j.best / t.best;
  std::printf("  %-26s %8.2f   %9.2f     target <= %.1f (elapsed): %s\n", "report / scan", textRatio,
              t.bestCpu / s.bestCpu, kReportTarget, textRatio <= kReportTarget ? "met" : "MISSED");
  std::printf("  %-26s %8.2f   %9.2f     target <= %.1f (elapsed): %s\n", "report --json / report", jsonRatio,
              j.bestCpu / t.bestCpu, kJsonTarget, jsonRatio <= kJsonTarget ? "met" : "MISSED");
}

}  // namespace

int main(int argc, char** argv) {
  stdfs::path dir = QF_BENCH_DEFAULT_DIR;
  int maps = 600, runs = 5;
  std::string only;
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string arg = argv[i];
    if (arg == "--dir") dir = argv[i + 1];
    else if (arg == "--maps") maps = std::atoi(argv[i + 1]);
    else if (arg == "--runs") runs = std::atoi(argv[i + 1]);
    else if (arg == "--only") only = argv[i + 1];
  }
  if (maps < 1 || runs < 1 || !(only.empty() || only == "scan" || only == "text" || only == "json")) {
    std::fprintf(stderr, "usage: quillfen-report-bench [--dir DIR] [--maps N] [--runs N] [--only scan|text|json]\n");
    return 2;
  }
  const Layout game = Generate(dir, maps);
  Compare((std::to_string(maps) + "-map generated game").c_str(), game.project, game.rtp, game.scratch,
          game.empty, runs, only);
  const stdfs::path fixtures = QF_BENCH_FIXTURES_DIR;
  if (only.empty() && stdfs::exists(fixtures / "testgame-2003" / "RPG_RT.ldb")) {
    Compare("test game (2003)", fixtures / "testgame-2003", fixtures / "easyrpg-rtp", game.scratch,
            game.empty, runs, only);
  }
  return 0;
}
