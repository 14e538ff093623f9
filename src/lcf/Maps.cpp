// RPG_RT.lmt and the map files: map music, battle backgrounds, parallax
// backgrounds and the events' graphics, routes and commands.
#include <optional>

#include "Entry.h"
#include "Schema.h"

namespace quillfen::lcf {
namespace {

void ReadPage(Cursor& in, const std::string& where, const std::string& file, Collected& out) {
  Entry entry(out, where);
  std::int32_t moveType = value::EventPage::kMoveRandom;  // what the editor leaves out
  std::optional<Cursor> route;
  ReadEntry(
      in, entry,
      [&](std::uint32_t id, Cursor& b) {
        if (id == chunk::EventPage::kCharacterName) entry.Later(Folder::kCharSet, Text(b), "charset");
        if (id == chunk::EventPage::kMoveType) moveType = IntOf(b);
        if (id == chunk::EventPage::kMoveRoute) route = b;
        if (id != chunk::EventPage::kEventCommands) return;
        Guarded(out, file, [&] { ReadCommandList(b, where, out); });
      },
      [&] {
        // Only a custom route is ever run; others keep a stale one.
        if (!route || moveType != value::EventPage::kMoveCustom) return;
        Guarded(out, file, [&] {
          ForEachChunk(*route, [&](std::uint32_t id, Cursor& b) {
            if (id == chunk::MoveRoute::kMoveCommands) ReadMoveRoute(b, where + ", move route", out);
          });
        });
      });
}

void ReadEvents(Cursor& in, const std::string& file, Collected& out) {
  ForEachEntry(in, [&](int index, Cursor& e) {
    Entry entry(out, file + ", event " + std::to_string(index));
    ReadEntry(e, entry, [&](std::uint32_t id, Cursor& b) {
      if (id == chunk::Event::kName) entry.SetName(Text(b));
      if (id != chunk::Event::kPages) return;
      Guarded(out, file, [&] {
        ForEachEntry(b, [&](int page, Cursor& p) {
          std::string where = entry.Where();
          where += ", page ";
          where += std::to_string(page);
          ReadPage(p, where, file, out);
        });
      });
    });
  });
}

}  // namespace

std::vector<MapEntry> ReadMapTree(std::string_view bytes, const std::string& file,
                                  Collected& out) {
  std::vector<MapEntry> maps;
  Guarded(out, file, [&] {
    Cursor in(bytes);
    ExpectHeader(in, kMapTreeSignature);
    ForEachEntry(in, [&](int index, Cursor& e) {
      Entry entry(out, file + ", map " + std::to_string(index));
      std::string name;
      std::int32_t type = -1, musicType = 0, backgroundType = 0;
      std::string music = "(OFF)", background;
      ReadEntry(
          e, entry,
          [&](std::uint32_t id, Cursor& b) {
            switch (id) {
              case chunk::MapInfo::kName: name = Text(b); break;
              case chunk::MapInfo::kType: type = IntOf(b); break;
              case chunk::MapInfo::kMusicType: musicType = IntOf(b); break;
              case chunk::MapInfo::kMusic: music = SoundName(b); break;
              case chunk::MapInfo::kBackgroundType: backgroundType = IntOf(b); break;
              case chunk::MapInfo::kBackgroundName: background = Text(b); break;
              default: break;
            }
          },
          [&] {
            entry.SetName(name);
            // The root and areas load no file of their own.
            if (type != value::TreeMap::kMap) return;
            maps.push_back({index, name});
            // The other settings inherit or leave the choice to events.
            if (musicType == value::MapInfo::kMusicSpecific) entry.Later(Folder::kMusic, music, "music");
            if (backgroundType == value::MapInfo::kBackgroundSpecific) {
              entry.Later(Folder::kBackdrop, background, "battle background");
            }
          });
    });
    // The rest (tree order, open node, start positions) names no file, but
    // reading it tells a whole file from a cut one.
    const std::size_t order = in.Count("the tree order count");
    for (std::size_t i = 0; i < order; ++i) in.Ber();
    in.Ber();
    ExpectEndMarker(ForEachChunk(in, [](std::uint32_t, Cursor&) {}), in);
  });
  return maps;
}

void ReadMapUnit(std::string_view bytes, const std::string& file, Collected& out) {
  Guarded(out, file, [&] {
    Cursor in(bytes);
    ExpectHeader(in, kMapUnitSignature);
    Entry map(out, file);
    bool parallax = false;
    std::string parallaxName;
    const bool ended = ReadEntry(
        in, map,
        [&](std::uint32_t id, Cursor& b) {
          if (id == chunk::Map::kParallaxFlag) parallax = IntOf(b) != 0;
          if (id == chunk::Map::kParallaxName) parallaxName = Text(b);
          if (id == chunk::Map::kEvents) Guarded(out, file, [&] { ReadEvents(b, file, out); });
        },
        [&] {
          if (parallax) map.Later(Folder::kPanorama, parallaxName, "parallax");
        });
    ExpectEndMarker(ended, in);
  });
}

}  // namespace quillfen::lcf
