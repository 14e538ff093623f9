// Writes small games in the database format with a known set of resource
// references, and the project and RTP files they resolve to, for the
// reference report's tests and benchmark.
#pragma once

#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "LcfWriter.h"

namespace quillfen::testing {

using lcf::Ber;
using lcf::Chunks;

inline void WriteFile(const std::filesystem::path& file, const std::string& data) {
  std::filesystem::create_directories(file.parent_path());
  std::ofstream(file, std::ios::binary) << data;
}

inline std::string SoundStruct(const std::string& name) {
  using namespace lcf::chunk::Sound;
  return Chunks().Str(kName, name).Int(kVolume, 100).Int(kTempo, 100).Int(kBalance, 50).Finish();
}

// An array with the indexes given (the map tree starts at 0).
inline std::string IndexedArray(const std::vector<std::pair<int, std::string>>& entries) {
  std::string out = Ber(static_cast<std::int64_t>(entries.size()));
  for (const auto& [index, body] : entries) out += Ber(index) + body;
  return out;
}

// Moves: change graphic and play sound carry a string.
class Moves {
 public:
  Moves& Graphic(const std::string& name, int index) {
    ints_.push_back(lcf::kMoveChangeGraphic);
    Text(name);
    ints_.push_back(index);
    return *this;
  }
  Moves& Sound(const std::string& name) {
    ints_.push_back(lcf::kMovePlaySound);
    Text(name);
    for (int v : {100, 100, 50}) ints_.push_back(v);
    return *this;
  }
  Moves& Plain(int code) {
    ints_.push_back(code);
    return *this;
  }
  Moves& Switch(int code, int id) {
    ints_.push_back(code);
    ints_.push_back(id);
    return *this;
  }
  // As a route chunk: integers, strings as raw bytes.
  std::string Chunk() const {
    std::string out;
    for (std::size_t i = 0; i < ints_.size(); ++i) {
      if (strings_.count(i) != 0) {
        const std::string& s = strings_.at(i);
        out += Ber(static_cast<std::int64_t>(s.size())) + s;
        i += s.size();
        continue;
      }
      out += Ber(ints_[i]);
    }
    return out;
  }
  // As Move Event's parameters: one per byte of a string.
  const std::vector<std::int64_t>& Params() const { return ints_; }

 private:
  void Text(const std::string& s) {
    strings_[ints_.size()] = s;
    ints_.push_back(static_cast<std::int64_t>(s.size()));
    for (unsigned char c : s) ints_.push_back(c);
  }
  std::vector<std::int64_t> ints_;
  std::map<std::size_t, std::string> strings_;
};

inline std::string MoveRoute(const Moves& moves) {
  const std::string data = moves.Chunk();
  using namespace lcf::chunk::MoveRoute;
  return Chunks()
      .Int(kMoveCommandsSize, static_cast<std::int64_t>(data.size()))
      .Raw(kMoveCommands, data)
      .Int(kRepeat, 1)
      .Finish();
}

inline std::string Page(const std::string& charset, int moveType, const std::string* route,
                        const lcf::Commands& commands) {
  using namespace lcf::chunk::EventPage;
  Chunks page;
  if (!charset.empty()) page.Str(kCharacterName, charset);
  page.Int(kMoveType, moveType);
  if (route) page.Raw(kMoveRoute, *route);
  const std::string list = commands.Finish();
  page.Int(kEventCommandsSize, static_cast<std::int64_t>(list.size())).Raw(kEventCommands, list);
  return page.Finish();
}

inline std::string Event(const std::string& name, const std::vector<std::string>& pages) {
  using namespace lcf::chunk::Event;
  return Chunks().Str(kName, name).Int(kX, 1).Int(kY, 1).Raw(kPages, lcf::Array(pages)).Finish();
}

inline std::string MapUnit(bool parallax, const std::string& parallaxName,
                           const std::vector<std::string>& events) {
  using namespace lcf::chunk::Map;
  Chunks map;
  map.Int(kChipsetId, 1).Int(kWidth, 20).Int(kHeight, 15);
  if (parallax) map.Int(kParallaxFlag, 1);
  if (!parallaxName.empty()) map.Str(kParallaxName, parallaxName);
  map.Raw(kLowerLayer, lcf::Shorts(std::vector<int>(300, 0)));
  map.Raw(kEvents, lcf::Array(events));
  return lcf::Header(lcf::kMapUnitSignature) + map.Finish();
}

struct TreeMap {
  int id;
  std::string name;
  int type;  // 1 map, 2 area
  int musicType = 0;
  std::string music;
  int backgroundType = 0;
  std::string background;
};

inline std::string MapTree(const std::vector<TreeMap>& maps) {
  using namespace lcf::chunk::MapInfo;
  std::vector<std::pair<int, std::string>> entries;
  entries.push_back({0, Chunks().Str(kName, "Game").Int(kType, lcf::value::TreeMap::kRoot).Finish()});
  for (const TreeMap& m : maps) {
    Chunks c;
    c.Str(kName, m.name).Int(kParentMap, 0).Int(kIndentation, 1).Int(kType, m.type);
    c.Int(kMusicType, m.musicType);
    if (!m.music.empty()) c.Raw(kMusic, SoundStruct(m.music));
    c.Int(kBackgroundType, m.backgroundType);
    if (!m.background.empty()) c.Str(kBackgroundName, m.background);
    entries.push_back({m.id, c.Finish()});
  }
  std::string out = lcf::Header(lcf::kMapTreeSignature) + IndexedArray(entries);
  out += Ber(static_cast<std::int64_t>(maps.size() + 1)) + Ber(0);
  for (const TreeMap& m : maps) out += Ber(m.id);
  out += Ber(0);                                                 // active node
  out += Chunks().Int(lcf::chunk::Start::kPartyMapId, 1).Finish();  // start
  return out;
}

}  // namespace quillfen::testing
