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
  return Chunks().Str(0x01, name).Int(0x03, 100).Int(0x04, 100).Int(0x05, 50).Finish();
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
    ints_.push_back(34);
    Text(name);
    ints_.push_back(index);
    return *this;
  }
  Moves& Sound(const std::string& name) {
    ints_.push_back(35);
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
  return Chunks().Int(0x0B, static_cast<std::int64_t>(data.size())).Raw(0x0C, data).Int(0x15, 1).Finish();
}

inline std::string Page(const std::string& charset, int moveType, const std::string* route,
                        const lcf::Commands& commands) {
  Chunks page;
  if (!charset.empty()) page.Str(0x15, charset);
  page.Int(0x1F, moveType);
  if (route) page.Raw(0x29, *route);
  const std::string list = commands.Finish();
  page.Int(0x33, static_cast<std::int64_t>(list.size())).Raw(0x34, list);
  return page.Finish();
}

inline std::string Event(const std::string& name, const std::vector<std::string>& pages) {
  return Chunks().Str(0x01, name).Int(0x02, 1).Int(0x03, 1).Raw(0x05, lcf::Array(pages)).Finish();
}

inline std::string MapUnit(bool parallax, const std::string& parallaxName,
                           const std::vector<std::string>& events) {
  Chunks map;
  map.Int(0x01, 1).Int(0x02, 20).Int(0x03, 15);
  if (parallax) map.Int(0x1F, 1);
  if (!parallaxName.empty()) map.Str(0x20, parallaxName);
  map.Raw(0x47, lcf::Shorts(std::vector<int>(300, 0)));
  map.Raw(0x51, lcf::Array(events));
  return lcf::Header("LcfMapUnit") + map.Finish();
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
  std::vector<std::pair<int, std::string>> entries;
  entries.push_back({0, Chunks().Str(0x01, "Game").Int(0x04, 0).Finish()});
  for (const TreeMap& m : maps) {
    Chunks c;
    c.Str(0x01, m.name).Int(0x02, 0).Int(0x03, 1).Int(0x04, m.type).Int(0x0B, m.musicType);
    if (!m.music.empty()) c.Raw(0x0C, SoundStruct(m.music));
    c.Int(0x15, m.backgroundType);
    if (!m.background.empty()) c.Str(0x16, m.background);
    entries.push_back({m.id, c.Finish()});
  }
  std::string out = lcf::Header("LcfMapTree") + IndexedArray(entries);
  out += Ber(static_cast<std::int64_t>(maps.size() + 1)) + Ber(0);
  for (const TreeMap& m : maps) out += Ber(m.id);
  out += Ber(0);                                  // active node
  out += Chunks().Int(0x01, 1).Finish();          // start
  return out;
}

}  // namespace quillfen::testing
