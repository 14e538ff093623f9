#include "Demo.h"

#include <algorithm>
#include <array>
#include <fstream>
#include <initializer_list>
#include <stdexcept>
#include <string_view>

#include "LcfWriter.h"

namespace quillfen {
namespace {

namespace stdfs = std::filesystem;

using namespace lcf;

// The scan finds a message by the bytes of its command code.
std::size_t CountMarkers(std::string_view data) {
  const std::string marker = Ber(kShowMessage);
  std::size_t count = 0;
  for (std::size_t at = data.find(marker); at != std::string_view::npos; at = data.find(marker, at + 1)) ++count;
  return count;
}

// ---------------------------------------------------------- structures

std::string Music(std::string_view name) { return Chunks().Str(chunk::Music::kName, name).Finish(); }
std::string Sound(std::string_view name) { return Chunks().Str(chunk::Sound::kName, name).Finish(); }

std::string Actor(std::string_view name, std::string_view title, std::string_view charset,
                  int charIndex, std::string_view face, int faceIndex) {
  // Max HP, max SP, attack, defense, spirit, agility for levels 1 to 50.
  static constexpr std::array<int, 6> kBase = {40, 12, 12, 10, 9, 11};
  static constexpr std::array<int, 6> kGrowth = {18, 6, 3, 3, 2, 3};
  std::vector<int> curves;
  for (int p = 0; p < 6; ++p) {
    for (int level = 1; level <= 50; ++level) curves.push_back(kBase[p] + kGrowth[p] * level);
  }
  using namespace chunk::Actor;
  return Chunks()
      .Str(kName, name)
      .Str(kTitle, title)
      .Str(kCharacterName, charset)
      .Int(kCharacterIndex, charIndex)
      .Int(kInitialLevel, 1)
      .Int(kFinalLevel, 50)
      .Str(kFaceName, face)
      .Int(kFaceIndex, faceIndex)
      .Raw(kParameters, Shorts(curves))
      .Int(kExpBase, 30)
      .Int(kExpInflation, 30)
      .Raw(kInitialEquipment, Shorts({1, 0, 0, 0, 0}))
      .Finish();
}

std::string Skill(std::string_view name, std::string_view description, std::string_view sound,
                  int cost) {
  using namespace chunk::Skill;
  return Chunks()
      .Str(kName, name)
      .Str(kDescription, description)
      .Int(kSpCost, cost)
      .Int(kScope, 2)
      .Int(kAnimationId, 1)
      .Raw(kSoundEffect, Sound(sound))
      .Int(kPower, 20)
      .Finish();
}

std::string Item(std::string_view name, std::string_view description, int type, int price) {
  using namespace chunk::Item;
  return Chunks().Str(kName, name).Str(kDescription, description).Int(kType, type).Int(kPrice, price).Finish();
}

std::string Enemy(std::string_view name, std::string_view battler, int hp, int exp) {
  using namespace chunk::Enemy;
  return Chunks()
      .Str(kName, name)
      .Str(kBattlerName, battler)
      .Int(kMaxHp, hp)
      .Int(kAttack, hp / 3 + 5)
      .Int(kExp, exp)
      .Int(kGold, exp * 2)
      .Finish();
}

std::string Troop(std::string_view name, int enemy, int members) {
  std::vector<std::string> list;
  for (int i = 0; i < members; ++i) {
    using namespace chunk::TroopMember;
    list.push_back(Chunks().Int(kEnemyId, enemy).Int(kX, 100 + 60 * i).Int(kY, 120).Finish());
  }
  return Chunks().Str(chunk::Troop::kName, name).Raw(chunk::Troop::kMembers, Array(list)).Finish();
}

std::string Terrain(std::string_view name, std::string_view backdrop) {
  using namespace chunk::Terrain;
  return Chunks().Str(kName, name).Int(kEncounterRate, 100).Str(kBackgroundName, backdrop).Finish();
}

// An entry of attributes, states, switches or variables: just a name.
std::string Named(std::uint32_t nameField, std::string_view name) {
  return Chunks().Str(nameField, name).Finish();
}

std::string Animation(std::string_view name, std::string_view graphic, std::string_view sound,
                      int frames) {
  namespace timing = chunk::AnimationTiming;
  namespace cell = chunk::AnimationCellData;
  std::vector<std::string> timings = {
      Chunks().Int(timing::kFrame, 1).Raw(timing::kSe, Sound(sound)).Int(timing::kFlashScope, 1).Finish()};
  std::vector<std::string> frameList;
  for (int f = 0; f < frames; ++f) {
    std::vector<std::string> cells;
    for (int c = 0; c < 3; ++c) {
      cells.push_back(Chunks()
                          .Int(cell::kCellId, (f + c) % 25)
                          .Int(cell::kX, c * 16 - 16)
                          .Int(cell::kY, -8 * c)
                          .Int(cell::kZoom, 100)
                          .Finish());
    }
    frameList.push_back(Chunks().Raw(chunk::AnimationFrame::kCells, Array(cells)).Finish());
  }
  using namespace chunk::Animation;
  return Chunks()
      .Str(kName, name)
      .Str(kAnimationName, graphic)
      .Raw(kTimings, Array(timings))
      .Int(kScope, 0)
      .Int(kPosition, 2)
      .Raw(kFrames, Array(frameList))
      .Finish();
}

std::string Chipset(std::string_view name, std::string_view graphic) {
  std::vector<int> terrain(162, 1);
  using namespace chunk::Chipset;
  return Chunks()
      .Str(kName, name)
      .Str(kChipsetName, graphic)
      .Raw(kTerrainData, Shorts(terrain))
      .Raw(kPassableDataLower, std::string(162, '\x0F'))
      .Raw(kPassableDataUpper, '\x1F' + std::string(143, '\x0F'))
      .Finish();
}

std::string Terms() {
  using namespace chunk::Terms;
  return Chunks()
      .Str(kEncounter, " draws near!")
      .Str(kVictory, "Victory!")
      .Str(kDefeat, "Your party has fallen.")
      .Str(kExpReceived, "EXP received.")
      .Str(kGold, "G")
      .Str(kCommandAttack, "Attack")
      .Str(kCommandDefend, "Defend")
      .Str(kNewGame, "New Game")
      .Str(kLoadGame, "Continue")
      .Str(kExitGame, "Shutdown")
      .Finish();
}

struct SystemNames {
  std::string title, gameover, system;
  std::string titleMusic, battleMusic, battleEndMusic, innMusic, gameoverMusic;
  std::string cursor, decision, cancel, buzzer;
};

std::string System(const SystemNames& n, const std::vector<int>& party) {
  using namespace chunk::System;
  Chunks c;
  c.Str(kBoatName, "Boat").Str(kShipName, "Ship").Str(kAirshipName, "Airship");
  c.Str(kTitleName, n.title).Str(kGameoverName, n.gameover).Str(kSystemName, n.system);
  c.Int(kPartySize, static_cast<std::int64_t>(party.size())).Raw(kParty, Shorts(party));
  c.Raw(kTitleMusic, Music(n.titleMusic)).Raw(kBattleMusic, Music(n.battleMusic));
  c.Raw(kBattleEndMusic, Music(n.battleEndMusic));
  c.Raw(kInnMusic, Music(n.innMusic)).Raw(kGameoverMusic, Music(n.gameoverMusic));
  c.Raw(kCursorSe, Sound(n.cursor)).Raw(kDecisionSe, Sound(n.decision)).Raw(kCancelSe, Sound(n.cancel));
  c.Raw(kBuzzerSe, Sound(n.buzzer));
  return c.Finish();
}

std::string CommonEvent(std::string_view name, int trigger, const Commands& list) {
  using namespace chunk::CommonEvent;
  std::string commands = list.Finish();
  return Chunks()
      .Str(kName, name)
      .Int(kTrigger, trigger)
      .Int(kEventCommandsSize, static_cast<std::int64_t>(commands.size()))
      .Raw(kEventCommands, commands)
      .Finish();
}

std::string EventPage(std::string_view charset, int charIndex, int trigger, const Commands& list) {
  using namespace chunk::EventPage;
  std::string commands = list.Finish();
  Chunks page;
  page.Sub(kCondition, Chunks().Int(chunk::EventPageCondition::kFlags, 0));
  if (!charset.empty()) page.Str(kCharacterName, charset);
  page.Int(kCharacterIndex, charIndex).Int(kCharacterDirection, 2);
  page.Int(kMoveType, charset.empty() ? 0 : 1).Int(kTrigger, trigger);
  page.Int(kLayer, 1).Int(kMoveSpeed, 3);
  page.Sub(kMoveRoute, Chunks().Raw(chunk::MoveRoute::kMoveCommands, ""));
  page.Int(kEventCommandsSize, static_cast<std::int64_t>(commands.size())).Raw(kEventCommands, commands);
  return page.Finish();
}

std::string Event(std::string_view name, int x, int y, const std::vector<std::string>& pages) {
  using namespace chunk::Event;
  return Chunks().Str(kName, name).Int(kX, x).Int(kY, y).Raw(kPages, Array(pages)).Finish();
}

std::string EventName(int id) {
  std::string digits = std::to_string(id);
  return "EV" + std::string(digits.size() < 4 ? 4 - digits.size() : 0, '0') + digits;
}

struct Parallax {
  std::string name;  // none when empty
  bool loopX = false;
};

std::string MapUnit(int chipset, int width, int height, const Parallax& parallax,
                    std::string_view lower, std::string_view upper,
                    const std::vector<std::string>& events, int saveCount) {
  using namespace chunk::Map;
  Chunks map;
  map.Int(kChipsetId, chipset).Int(kWidth, width).Int(kHeight, height).Int(kScrollType, 0);
  if (!parallax.name.empty()) {
    // Without a loop flag the name is followed by the layer's id 0x47, a
    // letter, which joins the name's word: such a panorama is never found.
    map.Int(kParallaxFlag, 1).Str(kParallaxName, parallax.name);
    if (parallax.loopX) map.Int(kParallaxLoopX, 1);
  }
  map.Raw(kLowerLayer, lower).Raw(kUpperLayer, upper).Raw(kEvents, Array(events)).Int(kSaveCount, saveCount);
  return Header(kMapUnitSignature) + map.Finish();
}

struct MapEntry {
  std::string name;
  int parent = 0;
  int type = 1;             // 0 the root, 1 a map
  int musicType = 0;        // 0 inherit, 1 from event, 2 the named music
  std::string music = "(OFF)";
};

std::string MapTree(const std::vector<MapEntry>& maps, const std::vector<int>& order,
                    int startMap) {
  namespace info = chunk::MapInfo;
  std::string out = Header(kMapTreeSignature);
  PutBer(out, static_cast<std::int64_t>(maps.size()));
  for (std::size_t id = 0; id < maps.size(); ++id) {
    const MapEntry& m = maps[id];
    PutBer(out, static_cast<std::int64_t>(id));
    out += Chunks()
               .Str(info::kName, m.name)
               .Int(info::kParentMap, m.parent)
               .Int(info::kIndentation, m.parent == 0 ? 1 : 2)
               .Int(info::kType, m.type)
               .Int(info::kExpandedNode, 1)
               .Int(info::kMusicType, m.musicType)
               .Raw(info::kMusic, Music(m.music))
               .Int(info::kBackgroundType, 0)
               .Int(info::kTeleport, 0)
               .Int(info::kEscape, 0)
               .Int(info::kSave, 0)
               .Raw(info::kEncounters, Ber(0))
               .Int(info::kEncounterSteps, 25)
               .Raw(info::kAreaRect, std::string(16, '\0'))
               .Finish();
  }
  PutBer(out, static_cast<std::int64_t>(order.size()));
  for (int id : order) PutBer(out, id);
  PutBer(out, startMap);  // the node selected in the editor
  namespace start = chunk::Start;
  out += Chunks().Int(start::kPartyMapId, startMap).Int(start::kPartyX, 5).Int(start::kPartyY, 7).Finish();
  return out;
}

// ------------------------------------------------------------ randomness

// splitmix64: the same stream on every compiler and library.
class Random {
 public:
  explicit Random(std::uint64_t seed) : state_(seed) {}
  std::uint32_t Next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return static_cast<std::uint32_t>((z ^ (z >> 31)) >> 32);
  }
  int Below(int n) { return n <= 0 ? 0 : static_cast<int>(Next() % static_cast<std::uint32_t>(n)); }
  int Between(int lo, int hi) { return lo + Below(hi - lo + 1); }
  bool Chance(int percent) { return Below(100) < percent; }

 private:
  std::uint64_t state_;
};

// Tile layers that look drawn: one ground chip with patches of water and
// autotiles, and a sparse upper layer over the empty upper chip.
void MakeLayers(Random& rng, int width, int height, std::string& lower, std::string& upper) {
  const std::size_t cells = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
  lower.assign(2 * cells, '\0');
  upper.assign(2 * cells, '\0');
  const int ground = 5000 + rng.Below(144);
  for (std::size_t i = 0; i < cells; ++i) {
    PutShort(lower, i, ground);
    PutShort(upper, i, 10000);
  }
  const std::size_t patches = 1 + cells / 300;
  for (std::size_t p = 0; p < patches; ++p) {
    const int tile = rng.Chance(50) ? rng.Below(3) * 1000 + rng.Below(47)
                                    : 4000 + rng.Below(12) * 50 + rng.Below(47);
    const int x0 = rng.Below(width), y0 = rng.Below(height);
    const int x1 = std::min(width, x0 + rng.Between(1, 12));
    const int y1 = std::min(height, y0 + rng.Between(1, 12));
    for (int y = y0; y < y1; ++y) {
      for (int x = x0; x < x1; ++x) PutShort(lower, static_cast<std::size_t>(y) * width + x, tile);
    }
  }
  for (std::size_t p = cells / 20; p > 0; --p) {
    PutShort(upper, static_cast<std::size_t>(rng.Next() % cells), 10001 + rng.Below(143));
  }
}

// ----------------------------------------------------- synthetic content

// The resource names a synthetic game draws from: stem + number. The RTP
// holds every pool name; the game also uses names past the pool (its own
// resources) and keeps a quarter of the pool in its own folders.
struct Pool {
  const char* category;
  const char* extension;
  std::vector<const char*> stems;
  int numbers;
};

const std::vector<Pool>& Pools() {
  static const std::vector<Pool> pools = {
      {"Backdrop", ".png", {"Grass", "Forest", "Desert", "Mountain", "Castle", "Cave", "Ship", "Town", "Snow", "Swamp"}, 3},
      {"Battle", ".png", {"Attack", "Fire", "Ice", "Thunder", "Heal", "Slash", "Arrow", "Wind", "Earth", "Light", "Dark"}, 4},
      {"CharSet", ".png", {"Hero", "Chara", "People", "Monster", "Object", "Vehicle", "Guard", "Elder"}, 6},
      {"ChipSet", ".png", {"World", "Town", "Dungeon", "Castle", "Inner", "Ship"}, 3},
      {"FaceSet", ".png", {"Face", "Portrait", "Villager", "Fiend"}, 8},
      {"GameOver", ".png", {"GameOver"}, 4},
      {"Monster", ".png", {"Slime", "Bat", "Goblin", "Wolf", "Dragon", "Knight", "Golem", "Spider", "Snake", "Ghost", "Orc", "Imp"}, 3},
      {"Music", ".mid", {"Town", "Field", "Dungeon", "Battle", "Boss", "Castle", "Sad", "Happy", "Victory", "Inn", "Voyage", "Ending"}, 4},
      {"Panorama", ".png", {"Sky", "Sea", "Space", "Peaks", "Sunset"}, 3},
      {"Picture", ".png", {"Map", "Letter", "Sign", "Crest", "Scroll"}, 4},
      {"Sound", ".wav", {"Cursor", "Decision", "Cancel", "Buzzer", "Door", "Blow", "Damage", "Recover", "Explosion", "Step", "Chime", "Magic"}, 5},
      {"System", ".png", {"System"}, 6},
  };
  return pools;
}

const Pool& PoolOf(std::string_view category) {
  for (const Pool& p : Pools()) {
    if (category == p.category) return p;
  }
  throw std::logic_error("no pool");
}

int PoolSize(const Pool& p) { return static_cast<int>(p.stems.size()) * p.numbers; }

std::string PoolName(const Pool& p, int index) {
  const int stems = static_cast<int>(p.stems.size());
  return p.stems[static_cast<std::size_t>(index % stems)] + std::to_string(index / stems + 1);
}

// A name the game uses: from the first two thirds of the pool (the rest of
// the RTP stays unused), sometimes one of its own.
std::string PickName(Random& rng, std::string_view category) {
  const Pool& p = PoolOf(category);
  const int size = PoolSize(p);
  if (rng.Chance(15)) return PoolName(p, size + rng.Below(size / 5 + 1));
  return PoolName(p, rng.Below(std::max(1, size * 2 / 3)));
}

constexpr std::array<const char*, 64> kVocabulary = {
    "the",     "a",      "you",    "we",      "old",     "king",     "castle", "forest",
    "sword",   "potion", "gold",   "night",   "road",    "river",    "tower",  "village",
    "dragon",  "shadow", "light",  "stone",   "north",   "south",    "bridge", "inn",
    "merchant", "guard", "please", "help",    "where",   "is",       "my",     "friend",
    "quest",   "key",    "door",   "open",    "closed",  "beware",   "monster", "treasure",
    "map",     "journey", "rest",  "sleep",   "tomorrow", "legend",  "hero",   "magic",
    "spell",   "ancient", "ruins", "cave",    "sea",     "ship",     "captain", "wind",
    "storm",   "fire",   "ice",    "thunder", "Town1",   "Battle2",  "Sky1",   "Slime1"};

std::string MessageLine(Random& rng) {
  std::string line;
  if (rng.Chance(10)) {
    // Japanese text in Shift-JIS: hiragana, two bytes each.
    for (int n = rng.Between(4, 24); n > 0; --n) {
      line += '\x82';
      line += static_cast<char>(0x9F + rng.Below(83));
    }
    return line;
  }
  if (rng.Chance(15)) line += rng.Chance(50) ? "\\c[2]" : "\\n[1]: ";
  const std::size_t target = static_cast<std::size_t>(rng.Between(12, 80));
  while (line.size() < target) {
    const char* word = kVocabulary[static_cast<std::size_t>(rng.Below(kVocabulary.size()))];
    if (line.size() + std::string_view(word).size() + 2 > 100) break;
    if (!line.empty() && line.back() != ' ') line += ' ';
    line += word;
  }
  line += rng.Chance(30) ? "!" : rng.Chance(30) ? "?" : ".";
  return line;
}

void AddMessage(Random& rng, Commands& list, int indent) {
  std::vector<std::string> lines;
  for (int n = rng.Chance(30) ? 1 : rng.Between(2, 4); n > 0; --n) lines.push_back(MessageLine(rng));
  list.Message(indent, lines);
}

void AddOrdinary(Random& rng, Commands& list, int indent) {
  switch (rng.Below(12)) {
    case 0: {
      const int id = rng.Between(1, 500);
      list.Add(kControlSwitches, indent, "", {0, id, id, rng.Below(2)});
      break;
    }
    case 1:
      list.Add(kControlVariables, indent, "", {0, rng.Between(1, 500), 0, 0, 1, 0, rng.Between(1, 99)});
      break;
    case 2:
      list.Add(kWait, indent, "", {rng.Between(1, 60)});
      break;
    case 3:
      list.Add(kPlaySound, indent, PickName(rng, "Sound"), {100, 100, 50});
      break;
    case 4:
      list.Add(kPlayMusic, indent, PickName(rng, "Music"), {0, 100, 100, 50});
      break;
    case 5: {
      const int id = rng.Between(1, 20);
      list.Add(kShowPicture, indent, PickName(rng, "Picture"),
               {id, 0, 160, 120, 0, 100, 0, 1, 100, 100, 100, 100, 0, 0});
      list.Add(kWait, indent, "", {rng.Between(10, 40)});
      list.Add(kErasePicture, indent, "", {id});
      break;
    }
    case 6:
      list.Add(kChangeFace, indent, PickName(rng, "FaceSet"), {rng.Below(16), 0, 0});
      break;
    case 7:
      list.Add(kTeleport, indent, "", {rng.Between(1, 2000), rng.Below(100), rng.Below(100)});
      break;
    case 8:
      list.Add(kChangeGold, indent, "", {0, 0, rng.Between(1, 5000)});
      break;
    case 9:
      list.Add(kChangeSystemMusic, indent, PickName(rng, "Music"), {rng.Below(7), 0, 100, 100, 50});
      break;
    case 10:
      list.Add(kChangeSystemSound, indent, PickName(rng, "Sound"), {rng.Below(12), 100, 100, 50});
      break;
    default:
      list.Add(kChangeHeroGraphic, indent, PickName(rng, "CharSet"), {rng.Between(1, 8), rng.Below(8), 0});
      break;
  }
}

// A command list with exactly `messages` message records, grown with other
// commands to about byteTarget. Some messages sit inside branches and
// choices, as real games have them.
void FillCommands(Random& rng, Commands& list, int messages, std::size_t byteTarget) {
  constexpr std::size_t kOrdinaryBytes = 16;
  while (list.Messages() < messages || list.Size() < byteTarget) {
    const int left = messages - list.Messages();
    const std::size_t ordinaryLeft =
        list.Size() < byteTarget ? (byteTarget - list.Size()) / kOrdinaryBytes : 0;
    const bool message =
        left > 0 && rng.Next() % (static_cast<std::uint64_t>(left) + ordinaryLeft) <
                        static_cast<std::uint64_t>(left);
    if (!message) {
      AddOrdinary(rng, list, 0);
      continue;
    }
    const int shape = rng.Below(10);
    if (shape == 0 && left >= 2) {
      AddMessage(rng, list, 0);  // the question
      list.Add(kShowChoice, 0, "Yes/No", {2});
      list.Add(kChoiceOption, 0, "Yes", {0});
      AddMessage(rng, list, 1);
      list.EndBlock(1);
      list.Add(kChoiceOption, 0, "No", {1});
      if (messages - list.Messages() > 0 && rng.Chance(50)) AddMessage(rng, list, 1);
      else AddOrdinary(rng, list, 1);
      list.EndBlock(1);
      list.Add(kChoiceEnd, 0, "", {});
    } else if (shape == 1) {
      list.Add(kBranch, 0, "", {0, rng.Between(1, 500), 0, 0, 0, 1});
      AddMessage(rng, list, 1);
      list.EndBlock(1);
      list.Add(kElse, 0, "", {});
      if (messages - list.Messages() > 0 && rng.Chance(50)) AddMessage(rng, list, 1);
      else AddOrdinary(rng, list, 1);
      list.EndBlock(1);
      list.Add(kEndBranch, 0, "", {});
    } else {
      AddMessage(rng, list, 0);
    }
  }
}

std::string SyntheticMap(Random& rng, int messages, std::size_t bytes) {
  // Layers take the larger part, up to the editor's 500 x 500; events the rest.
  const std::size_t eventEstimate = std::max(bytes / 4, static_cast<std::size_t>(messages) * 170);
  const std::size_t cellBudget = bytes > eventEstimate ? (bytes - eventEstimate) / 4 : 0;
  const std::size_t cells = std::clamp<std::size_t>(cellBudget, 300, 250000);
  int side = 1;
  while (static_cast<std::size_t>(side) * side < cells) ++side;
  const int width = std::clamp(side / 2 + rng.Below(side + 1), 20, 500);
  const int height = std::clamp(static_cast<int>((cells + width - 1) / width), 15, 500);
  std::string lower, upper;
  MakeLayers(rng, width, height, lower, upper);

  const std::size_t layerBytes = lower.size() + upper.size();
  const std::size_t eventBytes = bytes > layerBytes + 64 ? bytes - layerBytes - 64 : 0;
  const int eventCount = static_cast<int>(std::clamp<std::size_t>(eventBytes / 3000, 1, 9999));
  std::vector<int> pages(static_cast<std::size_t>(eventCount));
  int pageCount = 0;
  for (int& p : pages) pageCount += (p = rng.Chance(70) ? 1 : rng.Between(2, 3));

  std::vector<std::string> events;
  int page = 0;
  for (int e = 0; e < eventCount; ++e) {
    std::vector<std::string> pageList;
    for (int k = 0; k < pages[static_cast<std::size_t>(e)]; ++k, ++page) {
      // Spread messages and bytes evenly over the pages.
      const int pageMessages = static_cast<int>(static_cast<std::int64_t>(messages) * (page + 1) / pageCount -
                                                static_cast<std::int64_t>(messages) * page / pageCount);
      // The page's own fields and the event around it take about 60 bytes.
      const std::size_t pageBytes = eventBytes / static_cast<std::size_t>(pageCount);
      Commands list;
      FillCommands(rng, list, pageMessages, pageBytes > 60 ? pageBytes - 60 : 0);
      pageList.push_back(EventPage(rng.Chance(80) ? PickName(rng, "CharSet") : "", rng.Below(8),
                                   rng.Below(3), list));
    }
    events.push_back(Event(EventName(e + 1), rng.Below(width), rng.Below(height), pageList));
  }
  Parallax parallax;
  if (rng.Chance(20)) parallax = {PickName(rng, "Panorama"), rng.Chance(50)};
  return MapUnit(rng.Between(1, 30), width, height, parallax, lower, upper, events, rng.Below(200));
}

// A numeric field may happen to encode as the message marker (a chunk
// length of 10110, for instance); such a file would be cut where no message
// is. Draw again until every marker is a real message.
template <typename Make>
std::string WithoutStrayMarkers(std::uint64_t seed, std::size_t messages, Make make) {
  constexpr std::uint64_t kTries = 64;  // a try fails only when a value hits 10110 modulo 16384
  for (std::uint64_t salt = 0; salt < kTries; ++salt) {
    Random rng(seed ^ (salt * 0xD1B54A32D192ED03ull));
    std::string data = make(rng);
    if (CountMarkers(data) == messages) return data;
  }
  throw std::logic_error("generated data keeps holding stray message markers");
}

std::string SyntheticDatabase(Random& rng, int commonEventMessages) {
  static constexpr std::array<const char*, 12> kPeople = {"Aldo", "Brina", "Cedric", "Dara", "Evan", "Fay",
                                                          "Galen", "Hilde", "Ivo", "Juna", "Kael", "Lio"};
  auto numbered = [](const char* base, int n) { return std::string(base) + " " + std::to_string(n); };

  std::vector<std::string> actors, skills, items, enemies, troops, terrains, attributes, states;
  std::vector<std::string> animations, chipsets, switches, variables, commons;
  for (int i = 1; i <= 120; ++i) {
    actors.push_back(Actor(numbered(kPeople[static_cast<std::size_t>(i % 12)], i), "Adventurer",
                           PickName(rng, "CharSet"), rng.Below(8), PickName(rng, "FaceSet"), rng.Below(8)));
  }
  for (int i = 1; i <= 300; ++i) {
    skills.push_back(Skill(numbered("Skill", i), "Strikes a foe with magic.", PickName(rng, "Sound"),
                           rng.Between(1, 60)));
  }
  for (int i = 1; i <= 400; ++i) {
    items.push_back(Item(numbered("Item", i), "A useful thing to carry.", rng.Below(6), rng.Between(5, 5000)));
  }
  for (int i = 1; i <= 300; ++i) {
    enemies.push_back(Enemy(numbered("Foe", i), PickName(rng, "Monster"), rng.Between(10, 3000),
                            rng.Between(1, 500)));
  }
  for (int i = 1; i <= 200; ++i) troops.push_back(Troop(numbered("Troop", i), rng.Between(1, 300), rng.Between(1, 4)));
  for (int i = 1; i <= 40; ++i) terrains.push_back(Terrain(numbered("Terrain", i), PickName(rng, "Backdrop")));
  for (int i = 1; i <= 20; ++i) attributes.push_back(Named(chunk::Attribute::kName, numbered("Element", i)));
  for (int i = 1; i <= 30; ++i) states.push_back(Named(chunk::State::kName, numbered("State", i)));
  for (int i = 1; i <= 200; ++i) {
    animations.push_back(Animation(numbered("Anim", i), PickName(rng, "Battle"), PickName(rng, "Sound"),
                                   rng.Between(4, 14)));
  }
  for (int i = 1; i <= 30; ++i) chipsets.push_back(Chipset(numbered("Tiles", i), PickName(rng, "ChipSet")));
  for (int i = 1; i <= 1000; ++i) switches.push_back(Named(chunk::Switch::kName, numbered("Flag", i)));
  for (int i = 1; i <= 1000; ++i) variables.push_back(Named(chunk::Variable::kName, numbered("Counter", i)));
  const int commonCount = 150;
  for (int i = 0; i < commonCount; ++i) {
    const int n = commonEventMessages * (i + 1) / commonCount - commonEventMessages * i / commonCount;
    Commands list;
    FillCommands(rng, list, n, 600);
    commons.push_back(CommonEvent(numbered("Common", i + 1), rng.Chance(80) ? 5 : 3, list));
  }

  SystemNames sys;
  sys.title = "Title1";
  sys.gameover = PickName(rng, "GameOver");
  sys.system = PickName(rng, "System");
  sys.titleMusic = PickName(rng, "Music");
  sys.battleMusic = PickName(rng, "Music");
  sys.battleEndMusic = PickName(rng, "Music");
  sys.innMusic = PickName(rng, "Music");
  sys.gameoverMusic = PickName(rng, "Music");
  sys.cursor = PickName(rng, "Sound");
  sys.decision = PickName(rng, "Sound");
  sys.cancel = PickName(rng, "Sound");
  sys.buzzer = PickName(rng, "Sound");

  using namespace chunk::Database;
  Chunks db;
  db.Raw(kActors, Array(actors)).Raw(kSkills, Array(skills)).Raw(kItems, Array(items));
  db.Raw(kEnemies, Array(enemies)).Raw(kTroops, Array(troops)).Raw(kTerrains, Array(terrains));
  db.Raw(kAttributes, Array(attributes)).Raw(kStates, Array(states)).Raw(kAnimations, Array(animations));
  db.Raw(kChipsets, Array(chipsets)).Raw(kTerms, Terms()).Raw(kSystem, System(sys, {1, 2, 3, 4}));
  db.Raw(kSwitches, Array(switches)).Raw(kVariables, Array(variables)).Raw(kCommonEvents, Array(commons));
  return Header(kDatabaseSignature) + db.Finish();
}

std::string SyntheticMapTree(Random& rng, int maps) {
  static constexpr std::array<const char*, 10> kPlaces = {"Meadow", "Harbor", "Crypt", "Keep", "Marsh",
                                                          "Pass", "Grove", "Mine", "Temple", "Market"};
  std::vector<MapEntry> infos(static_cast<std::size_t>(maps) + 1);
  infos[0] = {"Synthetic Benchmark", 0, 0, 0, "(OFF)"};
  std::vector<int> order = {0};
  for (int id = 1; id <= maps; ++id) {
    MapEntry& m = infos[static_cast<std::size_t>(id)];
    m.name = std::string(kPlaces[static_cast<std::size_t>(rng.Below(10))]) + " " + std::to_string(id);
    m.parent = id <= 10 ? 0 : rng.Between(1, id - 1);
    m.musicType = rng.Below(3);
    if (m.musicType == 2) m.music = PickName(rng, "Music");
    order.push_back(id);
  }
  return MapTree(infos, order, 1);
}

// ------------------------------------------------------------------ files

constexpr unsigned char kTinyPng[] = {
    0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A, 0x00, 0x00, 0x00, 0x0D, 0x49, 0x48, 0x44,
    0x52, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x01, 0x08, 0x03, 0x00, 0x00, 0x00, 0x28,
    0xCB, 0x34, 0xBB, 0x00, 0x00, 0x00, 0x06, 0x50, 0x4C, 0x54, 0x45, 0x00, 0x00, 0x00, 0x20,
    0x60, 0xA0, 0x2E, 0x01, 0x37, 0x60, 0x00, 0x00, 0x00, 0x0A, 0x49, 0x44, 0x41, 0x54, 0x78,
    0xDA, 0x63, 0x60, 0x04, 0x00, 0x00, 0x03, 0x00, 0x02, 0xE6, 0x7D, 0xA7, 0x67, 0x00, 0x00,
    0x00, 0x00, 0x49, 0x45, 0x4E, 0x44, 0xAE, 0x42, 0x60, 0x82};

void PutLe32(std::string& out, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out += static_cast<char>((v >> (8 * i)) & 0xFF);
}
void PutLe16(std::string& out, std::uint32_t v) {
  out += static_cast<char>(v & 0xFF);
  out += static_cast<char>((v >> 8) & 0xFF);
}

// 8 kHz mono 8-bit PCM, a few samples of silence.
std::string TinyWav() {
  constexpr std::uint32_t kSamples = 16;
  std::string out = "RIFF";
  PutLe32(out, 36 + kSamples);
  out += "WAVEfmt ";
  PutLe32(out, 16);
  PutLe16(out, 1);
  PutLe16(out, 1);
  PutLe32(out, 8000);
  PutLe32(out, 8000);
  PutLe16(out, 1);
  PutLe16(out, 8);
  out += "data";
  PutLe32(out, kSamples);
  out.append(kSamples, '\x80');
  return out;
}

// One track holding only its end.
std::string TinyMidi() {
  return std::string("MThd\0\0\0\x06\0\0\0\x01\0\x60MTrk\0\0\0\x04\0\xFF\x2F\0", 22);
}

// 1 x 1, 24 bits, one padded row.
std::string TinyBmp() {
  std::string out = "BM";
  PutLe32(out, 58);
  PutLe32(out, 0);
  PutLe32(out, 54);
  PutLe32(out, 40);
  PutLe32(out, 1);
  PutLe32(out, 1);
  PutLe16(out, 1);
  PutLe16(out, 24);
  PutLe32(out, 0);
  PutLe32(out, 4);
  PutLe32(out, 2835);
  PutLe32(out, 2835);
  PutLe32(out, 0);
  PutLe32(out, 0);
  out += std::string("\xA0\x60\x20\x00", 4);
  return out;
}

std::string Placeholder(const std::string& fileName) {
  const std::string ext = stdfs::path(fileName).extension().string();
  if (ext == ".png") return std::string(reinterpret_cast<const char*>(kTinyPng), sizeof kTinyPng);
  if (ext == ".wav") return TinyWav();
  if (ext == ".mid" || ext == ".midi") return TinyMidi();
  if (ext == ".bmp") return TinyBmp();
  return "placeholder\n";
}

void WriteBytes(const stdfs::path& file, std::string_view bytes) {
  stdfs::create_directories(file.parent_path());
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) throw std::runtime_error("cannot write " + file.string());
}

void WriteResource(const stdfs::path& root, const std::string& category, const std::string& name) {
  WriteBytes(root / category / name, Placeholder(name));
}

std::string MapFileName(int id) {
  std::string digits = std::to_string(id);
  return "Map" + std::string(digits.size() < 4 ? 4 - digits.size() : 0, '0') + digits + ".lmu";
}

constexpr std::array<const char*, 12> kCategories = {"Backdrop", "Battle",   "CharSet", "ChipSet",
                                                     "FaceSet",  "GameOver", "Monster", "Music",
                                                     "Panorama", "Picture",  "Sound",   "System"};

// ------------------------------------------------------------------- demo

std::string DemoDatabase() {
  Commands greeting;
  greeting.Message(0, {"Welcome, traveller! The inn is always open."});
  greeting.Add(kWait, 0, "", {10});
  greeting.Add(kChangeGold, 0, "", {0, 0, 50});

  SystemNames sys;
  sys.title = "Title1";
  sys.gameover = "GameOver1";
  sys.system = "System1";
  sys.titleMusic = "Theme";        // the RTP has Theme.midi only
  sys.battleMusic = "Battle 1";    // a name with a space is never one word
  sys.battleEndMusic = "(OFF)";
  sys.innMusic = "(OFF)";
  sys.gameoverMusic = "(OFF)";
  sys.cursor = "Cursor1";
  sys.decision = "(OFF)";
  sys.cancel = "(OFF)";
  sys.buzzer = "(OFF)";

  using namespace chunk::Database;
  Chunks db;
  db.Raw(kActors, Array({Actor("Rowan", "Ranger", "Hero1", 0, "Face1", 0),
                         Actor("Mira", "Mage", "Hero1", 1, "Face2", 1)}));
  db.Raw(kSkills, Array({Skill("Heal", "Restores a little health.", "(OFF)", 5)}));
  db.Raw(kItems, Array({Item("Potion", "Restores 50 HP.", 1, 30)}));
  db.Raw(kEnemies, Array({Enemy("Slime", "Slime", 30, 4)}));
  db.Raw(kTroops, Array({Troop("Slime x2", 1, 2)}));
  db.Raw(kTerrains, Array({Terrain("Grass", "Grass"), Terrain("Road", "Grass")}));
  db.Raw(kAttributes, Array({Named(chunk::Attribute::kName, "Blade")}));
  db.Raw(kStates, Array({Named(chunk::State::kName, "Knocked Out")}));
  db.Raw(kAnimations, Array({Animation("Hit", "Attack1", "(OFF)", 4)}));
  db.Raw(kChipsets, Array({Chipset("World", "World")}));
  db.Raw(kTerms, Terms());
  db.Raw(kSystem, System(sys, {1, 2}));
  db.Raw(kSwitches, Array({Named(chunk::Switch::kName, "Gate Open"),
                           Named(chunk::Switch::kName, "Talked To Elder")}));
  db.Raw(kVariables, Array({Named(chunk::Variable::kName, "Coins")}));
  db.Raw(kCommonEvents, Array({CommonEvent("Greeting", 5, greeting)}));
  return Header(kDatabaseSignature) + db.Finish();
}

std::string DemoMap(std::uint64_t seed, const Parallax& parallax, const std::vector<std::string>& events) {
  Random rng(seed);
  std::string lower, upper;
  MakeLayers(rng, 20, 15, lower, upper);
  return MapUnit(1, 20, 15, parallax, lower, upper, events, 3);
}

std::vector<std::string> DemoMaps() {
  const int picture = 1;
  Commands elder;
  elder.Add(kChangeFace, 0, "Face1", {0, 0, 0});
  elder.Message(0, {"Welcome to our village, young one.", "Rest while you can."});
  elder.Add(kPlaySound, 0, "door1", {100, 100, 50});
  // Names spoken only in messages are no resources: Lullaby in a first
  // line, Cavern in a continuation line, two records in a row.
  elder.Message(0, {"Old songs speak of a Lullaby", "sung in the Shrine to the north."});
  elder.Message(0, {"Beyond the falls lies the mouth", "of a Cavern nobody returns from."});
  elder.Add(kControlSwitches, 0, "", {0, 2, 2, 0});

  Commands gate;
  gate.Add(kPlayMusic, 0, "Battle2", {0, 100, 100, 50});
  gate.Add(kShowPicture, 0, "Sign", {picture, 0, 160, 120, 0, 100, 0, 1, 100, 100, 100, 100, 0, 0});
  gate.Add(kBranch, 0, "", {0, 1, 0, 0, 0, 1});
  gate.Message(1, {"The gate stands open."});
  gate.EndBlock(1);
  gate.Add(kElse, 0, "", {});
  gate.Message(1, {"The gate is shut. Find the key."});
  gate.EndBlock(1);
  gate.Add(kEndBranch, 0, "", {});
  gate.Add(kErasePicture, 0, "", {picture});

  Commands wanderer;
  wanderer.Message(0, {"These woods are older than the kingdom."});
  wanderer.Add(kShowChoice, 0, "Listen/Leave", {2});
  wanderer.Add(kChoiceOption, 0, "Listen", {0});
  wanderer.Message(1, {"Then hear the tale of the Lullaby..."});
  wanderer.EndBlock(1);
  wanderer.Add(kChoiceOption, 0, "Leave", {1});
  wanderer.EndBlock(1);
  wanderer.Add(kChoiceEnd, 0, "", {});
  wanderer.Add(kTeleport, 0, "", {3, 8, 6});

  Commands altar;
  altar.Message(0, {"An old altar. Something hums beneath it.", "It sounds like a Lullaby.",
                    "Or perhaps a warning."});
  altar.Add(kWait, 0, "", {20});
  altar.Message(0, {"You feel sleepy."});

  return {
      DemoMap(11, {},
              {Event("Elder", 5, 4, {EventPage("Chara1", 2, 0, elder)}),
               Event("Gate", 10, 2, {EventPage("", 0, 1, gate)})}),
      DemoMap(12, {"Sky1", true}, {Event("Wanderer", 7, 9, {EventPage("Chara1", 5, 0, wanderer)})}),
      DemoMap(13, {"Mist1", false}, {Event("Altar", 9, 3, {EventPage("", 0, 0, altar)})}),
  };
}

std::string DemoMapTree() {
  std::vector<MapEntry> maps = {
      {"Quillfen Demo", 0, 0, 0, "(OFF)"},
      {"Village", 0, 1, 2, "Town1"},
      {"Forest", 0, 1, 0, "(OFF)"},
      {"Shrine", 1, 1, 1, "(OFF)"},
  };
  return MapTree(maps, {0, 1, 3, 2}, 1);
}

constexpr char kIni[] = "[RPG_RT]\r\nGameTitle=Quillfen Demo\r\nMapEditMode=2\r\nMapEditZoom=0\r\n";

}  // namespace

DemoLayout WriteDemo(const stdfs::path& dir) {
  const stdfs::path project = dir / "Project";
  const stdfs::path rtp = dir / "RTP";
  const stdfs::path editor = dir / "Editor";

  const std::string database = DemoDatabase();
  const std::vector<std::string> maps = DemoMaps();
  if (CountMarkers(database) != 1) throw std::logic_error("stray marker in the demo database");
  static constexpr std::array<std::size_t, 3> kMapMessages = {5, 2, 2};
  for (std::size_t i = 0; i < maps.size(); ++i) {
    if (CountMarkers(maps[i]) != kMapMessages[i]) throw std::logic_error("stray marker in a demo map");
  }
  WriteBytes(project / "RPG_RT.ldb", database);
  WriteBytes(project / "RPG_RT.lmt", DemoMapTree());
  for (std::size_t i = 0; i < maps.size(); ++i) {
    WriteBytes(project / MapFileName(static_cast<int>(i) + 1), maps[i]);
  }
  WriteBytes(project / "RPG_RT.ini", kIni);

  // What the project holds itself: one file in other letter case, one
  // with another extension, one the RTP lacks.
  WriteResource(project, "ChipSet", "World.png");
  WriteResource(project, "FaceSet", "face1.png");
  WriteResource(project, "System", "System1.bmp");
  WriteResource(project, "Battle", "Attack1.png");
  stdfs::create_directories(project / "Music");

  static const std::vector<std::pair<const char*, std::vector<const char*>>> kRtp = {
      {"Backdrop", {"Grass.png", "Volcano.png"}},
      {"Battle", {"Slime.png"}},
      {"CharSet", {"Chara1.png", "Hero1.png", "Townsfolk.png"}},
      {"ChipSet", {"World.png"}},
      {"FaceSet", {"Face1.png", "Face2.png"}},
      {"GameOver", {"GameOver1.png"}},
      {"Monster", {"Dragon.png", "Slime.png"}},
      {"Music", {"Battle 1.mid", "Battle2.mid", "Lullaby.mid", "Theme.midi", "Town1.mid"}},
      {"Panorama", {"Cavern.png", "Mist1.png", "Sky1.png"}},
      {"Picture", {"Sign.png"}},
      {"Sound", {"Cursor1.wav", "Door1.wav", "Thunder7.wav"}},
      {"System", {"System1.png"}},
  };
  for (const auto& [category, names] : kRtp) {
    for (const char* name : names) WriteResource(rtp, category, name);
  }
  WriteBytes(editor / "Harmony.dll", std::string("MZ\x90\0placeholder engine library\n", 32));

  DemoLayout layout;
  layout.projectFolder = project.string();
  layout.rtpFolder = rtp.string();
  layout.editorFolder = editor.string();
  layout.expectedFound = {
      "Backdrop\\Grass.png",  "Battle\\Slime.png",  "CharSet\\Chara1.png",   "CharSet\\Hero1.png",
      "FaceSet\\Face2.png",   "GameOver\\GameOver1.png", "Monster\\Slime.png", "Music\\Battle2.mid",
      "Music\\Town1.mid",     "Panorama\\Sky1.png", "Picture\\Sign.png",     "Sound\\Cursor1.wav",
      "Sound\\Door1.wav",     "System\\System1.png",
  };
  return layout;
}

void WriteSyntheticProject(const stdfs::path& projectDir, const SyntheticOptions& options) {
  const int maps = std::max(1, options.maps);
  const int messages = std::max(0, options.messageRecords);
  const std::uint64_t seed = 0x5157494C4C46454Eull ^ options.seed;
  const int commonMessages = 300;

  const std::string database = WithoutStrayMarkers(
      seed, commonMessages, [&](Random& rng) { return SyntheticDatabase(rng, commonMessages); });
  const std::string tree =
      WithoutStrayMarkers(seed + 1, 0, [&](Random& rng) { return SyntheticMapTree(rng, maps); });
  WriteBytes(projectDir / "RPG_RT.ldb", database);
  WriteBytes(projectDir / "RPG_RT.lmt", tree);

  // Messages and bytes spread unevenly; each map's share of the bytes is
  // taken of what is left to write, so the total comes out right.
  Random spread(seed + 2);
  std::vector<int> weights(static_cast<std::size_t>(maps));
  std::vector<int> sizes(static_cast<std::size_t>(maps));
  std::int64_t totalWeight = 0;
  std::uint64_t sizesLeft = 0;
  for (int& w : weights) totalWeight += (w = spread.Between(1, 3));
  for (int& z : sizes) sizesLeft += static_cast<std::uint64_t>(z = spread.Between(30, 170));
  std::uint64_t written = database.size() + tree.size();
  std::int64_t weightSoFar = 0;
  for (int m = 0; m < maps; ++m) {
    const std::int64_t before = static_cast<std::int64_t>(messages) * weightSoFar / totalWeight;
    weightSoFar += weights[static_cast<std::size_t>(m)];
    const int mapMessages =
        static_cast<int>(static_cast<std::int64_t>(messages) * weightSoFar / totalWeight - before);
    const std::uint64_t left = options.targetBytes > written ? options.targetBytes - written : 0;
    const auto share = static_cast<std::uint64_t>(sizes[static_cast<std::size_t>(m)]);
    const std::size_t mapBytes = static_cast<std::size_t>(left * share / sizesLeft);
    sizesLeft -= share;
    const std::string map = WithoutStrayMarkers(
        seed + 1000 + static_cast<std::uint64_t>(m), static_cast<std::size_t>(mapMessages),
        [&](Random& rng) { return SyntheticMap(rng, mapMessages, mapBytes); });
    WriteBytes(projectDir / MapFileName(m + 1), map);
    written += map.size();
  }
  WriteBytes(projectDir / "RPG_RT.ini", "[RPG_RT]\r\nGameTitle=Synthetic Benchmark\r\n");
  for (const Pool& p : Pools()) {
    for (int i = 0; i < PoolSize(p); i += 4) WriteResource(projectDir, p.category, PoolName(p, i) + p.extension);
  }
}

void WriteSyntheticRtp(const stdfs::path& rtpDir) {
  for (const char* category : kCategories) stdfs::create_directories(rtpDir / category);
  for (const Pool& p : Pools()) {
    for (int i = 0; i < PoolSize(p); ++i) WriteResource(rtpDir, p.category, PoolName(p, i) + p.extension);
  }
}

std::string MakeMarkerHeavyData(std::size_t bytes, int runs, std::uint32_t seed) {
  const int messages = std::max(0, runs);
  return WithoutStrayMarkers(0x4D41524B45525321ull ^ seed, static_cast<std::size_t>(messages),
                             [&](Random& rng) { return SyntheticMap(rng, messages, bytes); });
}

}  // namespace quillfen
