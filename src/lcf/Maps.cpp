// RPG_RT.lmt and the map files: map music, battle backgrounds, parallax
// backgrounds and the events' graphics, routes and commands.
#include <optional>

#include "Entry.h"

namespace quillfen::lcf {
namespace {

constexpr std::int32_t kMap = 1;  // the tree's other entries are the root and areas
// Music and battle background: 2 names the map's own, the rest inherit.
constexpr std::int32_t kOwnSetting = 2;
constexpr std::int32_t kDefaultMoveType = 1;
constexpr std::int32_t kCustomRoute = 6;

void ReadPage(Cursor& in, const std::string& where, const std::string& file, Collected& out) {
  Entry entry(out, where);
  std::int32_t moveType = kDefaultMoveType;
  std::optional<Cursor> route;
  ReadEntry(
      in, entry,
      [&](std::uint32_t id, Cursor& b) {
        if (id == 0x15) entry.Later(Folder::kCharSet, Text(b), "charset");
        if (id == 0x1F) moveType = IntOf(b);
        if (id == 0x29) route = b;
        if (id == 0x34) Guarded(out, file, [&] { ReadCommandList(b, where, out); });
      },
      [&] {
        // Only a custom route is ever run; others keep a stale one.
        if (!route || moveType != kCustomRoute) return;
        Guarded(out, file, [&] {
          ForEachChunk(*route, [&](std::uint32_t id, Cursor& b) {
            if (id == 0x0C) ReadMoveRoute(b, where + ", move route", out);
          });
        });
      });
}

void ReadEvents(Cursor& in, const std::string& file, Collected& out) {
  ForEachEntry(in, [&](int index, Cursor& e) {
    Entry entry(out, file + ", event " + std::to_string(index));
    ReadEntry(e, entry, [&](std::uint32_t id, Cursor& b) {
      if (id == 0x01) entry.SetName(Text(b));
      if (id != 0x05) return;
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
    ExpectHeader(in, "LcfMapTree");
    ForEachEntry(in, [&](int index, Cursor& e) {
      Entry entry(out, file + ", map " + std::to_string(index));
      std::string name;
      std::int32_t type = -1, musicType = 0, backgroundType = 0;
      std::string music = "(OFF)", background;
      ReadEntry(
          e, entry,
          [&](std::uint32_t id, Cursor& b) {
            switch (id) {
              case 0x01: name = Text(b); break;
              case 0x04: type = IntOf(b); break;
              case 0x0B: musicType = IntOf(b); break;
              case 0x0C: music = SoundName(b); break;
              case 0x15: backgroundType = IntOf(b); break;
              case 0x16: background = Text(b); break;
              default: break;
            }
          },
          [&] {
            entry.SetName(name);
            // The root and areas load no file of their own.
            if (type != kMap) return;
            maps.push_back({index, name});
            if (musicType == kOwnSetting) entry.Later(Folder::kMusic, music, "music");
            if (backgroundType == kOwnSetting) {
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
    ExpectHeader(in, "LcfMapUnit");
    Entry map(out, file);
    bool parallax = false;
    std::string parallaxName;
    const bool ended = ReadEntry(
        in, map,
        [&](std::uint32_t id, Cursor& b) {
          if (id == 0x1F) parallax = IntOf(b) != 0;
          if (id == 0x20) parallaxName = Text(b);
          if (id == 0x51) Guarded(out, file, [&] { ReadEvents(b, file, out); });
        },
        [&] {
          if (parallax) map.Later(Folder::kPanorama, parallaxName, "parallax");
        });
    ExpectEndMarker(ended, in);
  });
}

}  // namespace quillfen::lcf
