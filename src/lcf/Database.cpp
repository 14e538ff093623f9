// RPG_RT.ldb: the database's resource names.
#include <array>

#include "Entry.h"

namespace quillfen::lcf {
namespace {

constexpr std::string_view kSignature = "LcfDataBase";

// Database chunks only the 2003 editor writes: battle commands, classes,
// battler animations.
bool Is2003Chunk(std::uint32_t id) { return id == 0x1D || id == 0x1E || id == 0x20; }

enum TerrainBackground { kTerrainBackdrop = 0, kTerrainFrame = 1 };
enum PoseType { kPoseCharacter = 0 };

class DatabaseReader {
 public:
  DatabaseReader(const std::string& file, Collected& out) : file_(file), out_(out) {}

  // The editor ends the database at its last chunk, without an end marker.
  void Read(Cursor& in) {
    ForEachChunk(in, [&](std::uint32_t id, Cursor& body) {
      Guarded(out_, file_, [&] { Chunk(id, body); });
    });
  }

 private:
  std::string Prefix(const char* kind, int index) const {
    return file_ + ", " + kind + " " + std::to_string(index);
  }

  void Chunk(std::uint32_t id, Cursor& body) {
    switch (id) {
      case 0x0B: return Actors(body);
      case 0x0C: return Skills(body);
      case 0x0E: return Simple(body, "enemy", 0x02, Folder::kMonster, "battler");
      case 0x0F: return Troops(body);
      case 0x10: return Terrains(body);
      case 0x13: return Animations(body);
      case 0x14: return Simple(body, "chipset", 0x02, Folder::kChipSet, "file");
      case 0x16: return System(body);
      case 0x19: return CommonEvents(body);
      case 0x20: return BattlerAnimations(body);
      default: return;
    }
  }

  // An array whose entries name one file in one chunk.
  void Simple(Cursor& in, const char* kind, std::uint32_t field, Folder folder, const char* what) {
    ForEachEntry(in, [&](int index, Cursor& e) {
      Entry entry(out_, Prefix(kind, index));
      ReadEntry(e, entry, [&](std::uint32_t id, Cursor& b) {
        if (id == 0x01) entry.SetName(Text(b));
        if (id == field) entry.Later(folder, Text(b), what);
      });
    });
  }

  void Actors(Cursor& in) {
    ForEachEntry(in, [&](int index, Cursor& e) {
      Entry entry(out_, Prefix("actor", index));
      ReadEntry(e, entry, [&](std::uint32_t id, Cursor& b) {
        if (id == 0x01) entry.SetName(Text(b));
        if (id == 0x03) entry.Later(Folder::kCharSet, Text(b), "charset");
        if (id == 0x0F) entry.Later(Folder::kFaceSet, Text(b), "face");
      });
    });
  }

  void Skills(Cursor& in) {
    ForEachEntry(in, [&](int index, Cursor& e) {
      Entry entry(out_, Prefix("skill", index));
      ReadEntry(e, entry, [&](std::uint32_t id, Cursor& b) {
        if (id == 0x01) entry.SetName(Text(b));
        if (id == 0x10) entry.Later(Folder::kSound, SoundName(b), "sound");
      });
    });
  }

  void Troops(Cursor& in) {
    ForEachEntry(in, [&](int index, Cursor& e) {
      Entry entry(out_, Prefix("troop", index));
      ReadEntry(e, entry, [&](std::uint32_t id, Cursor& b) {
        if (id == 0x01) entry.SetName(Text(b));
        if (id != 0x0B) return;
        ForEachEntry(b, [&](int page, Cursor& p) {
          const std::string where = entry.Where() + ", page " + std::to_string(page);
          ForEachChunk(p, [&](std::uint32_t pid, Cursor& pb) {
            if (pid == 0x0C) Guarded(out_, file_, [&] { ReadCommandList(pb, where, out_); });
          });
        });
      });
    });
  }

  void Terrains(Cursor& in) {
    ForEachEntry(in, [&](int index, Cursor& e) {
      Entry entry(out_, Prefix("terrain", index));
      int type = kTerrainBackdrop;
      bool frameB = false;
      std::string backdrop, frameA, frameBName;
      ReadEntry(
          e, entry,
          [&](std::uint32_t id, Cursor& b) {
            switch (id) {
              case 0x01: entry.SetName(Text(b)); break;
              case 0x04: backdrop = Text(b); break;
              case 0x0F: entry.Later(Folder::kSound, SoundName(b), "footstep"); break;
              case 0x11: type = IntOf(b); break;
              case 0x15: frameA = Text(b); break;
              case 0x1E: frameB = IntOf(b) != 0; break;
              case 0x1F: frameBName = Text(b); break;
              default: break;
            }
          },
          [&] {
            if (type == kTerrainBackdrop) entry.Later(Folder::kBackdrop, backdrop, "background");
            if (type != kTerrainFrame) return;
            entry.Later(Folder::kFrame, frameA, "frame A");
            if (frameB) entry.Later(Folder::kFrame, frameBName, "frame B");
          });
    });
  }

  void Animations(Cursor& in) {
    ForEachEntry(in, [&](int index, Cursor& e) {
      Entry entry(out_, Prefix("animation", index));
      std::string file;
      bool large = false;
      ReadEntry(
          e, entry,
          [&](std::uint32_t id, Cursor& b) {
            if (id == 0x01) entry.SetName(Text(b));
            if (id == 0x02) file = Text(b);
            if (id == 0x03) large = IntOf(b) != 0;
            if (id != 0x06) return;
            ForEachEntry(b, [&](int timing, Cursor& t) {
              const std::string where = entry.Where() + ", timing " + std::to_string(timing);
              ForEachChunk(t, [&](std::uint32_t tid, Cursor& tb) {
                if (tid == 0x02) out_.Add(Folder::kSound, SoundName(tb), where + ": sound");
              });
            });
          },
          [&] {
            // Large animations of 2003 games have their own folder.
            const bool ownFolder = large && out_.is2003;
            entry.Later(ownFolder ? Folder::kBattle2 : Folder::kBattle, file, "file");
          });
    });
  }

  void System(Cursor& in) {
    struct Field {
      std::uint32_t id;
      Folder folder;
      const char* what;
      bool sound;
    };
    static constexpr std::array<Field, 27> kFields = {{
        {0x0B, Folder::kCharSet, "boat charset", false},
        {0x0C, Folder::kCharSet, "ship charset", false},
        {0x0D, Folder::kCharSet, "airship charset", false},
        {0x11, Folder::kTitle, "title", false},
        {0x12, Folder::kGameOver, "game over", false},
        {0x13, Folder::kSystem, "system graphic", false},
        {0x14, Folder::kSystem2, "system2 graphic", false},
        {0x1F, Folder::kMusic, "title music", true},
        {0x20, Folder::kMusic, "battle music", true},
        {0x21, Folder::kMusic, "battle end music", true},
        {0x22, Folder::kMusic, "inn music", true},
        {0x23, Folder::kMusic, "boat music", true},
        {0x24, Folder::kMusic, "ship music", true},
        {0x25, Folder::kMusic, "airship music", true},
        {0x26, Folder::kMusic, "game over music", true},
        {0x29, Folder::kSound, "cursor sound", true},
        {0x2A, Folder::kSound, "decision sound", true},
        {0x2B, Folder::kSound, "cancel sound", true},
        {0x2C, Folder::kSound, "buzzer sound", true},
        {0x2D, Folder::kSound, "battle start sound", true},
        {0x2E, Folder::kSound, "escape sound", true},
        {0x2F, Folder::kSound, "enemy attack sound", true},
        {0x30, Folder::kSound, "enemy damaged sound", true},
        {0x31, Folder::kSound, "actor damaged sound", true},
        {0x32, Folder::kSound, "dodge sound", true},
        {0x33, Folder::kSound, "enemy death sound", true},
        {0x34, Folder::kSound, "item sound", true},
    }};
    Entry entry(out_, file_ + ", system");
    bool showFrame = false;
    std::string frame;
    ReadEntry(
        in, entry,
        [&](std::uint32_t id, Cursor& b) {
          if (id == 0x63) showFrame = IntOf(b) != 0;
          if (id == 0x64) frame = Text(b);
          for (const Field& f : kFields) {
            if (f.id == id) entry.Later(f.folder, f.sound ? SoundName(b) : Text(b), f.what);
          }
        },
        [&] {
          if (showFrame) entry.Later(Folder::kFrame, frame, "frame");
        });
  }

  void CommonEvents(Cursor& in) {
    ForEachEntry(in, [&](int index, Cursor& e) {
      Entry entry(out_, Prefix("common event", index));
      ReadEntry(e, entry, [&](std::uint32_t id, Cursor& b) {
        if (id == 0x01) entry.SetName(Text(b));
        if (id == 0x16) Guarded(out_, file_, [&] { ReadCommandList(b, entry.Where(), out_); });
      });
    });
  }

  void BattlerAnimations(Cursor& in) {
    ForEachEntry(in, [&](int index, Cursor& e) {
      Entry entry(out_, Prefix("battler animation", index));
      ReadEntry(e, entry, [&](std::uint32_t id, Cursor& b) {
        if (id == 0x01) entry.SetName(Text(b));
        if (id == 0x0A) Poses(b, entry.Where());
        if (id == 0x0B) Weapons(b, entry.Where());
      });
    });
  }

  void Poses(Cursor& in, const std::string& owner) {
    ForEachEntry(in, [&](int index, Cursor& e) {
      Entry entry(out_, owner + ", pose " + std::to_string(index));
      std::string battler;
      int type = kPoseCharacter;
      ReadEntry(
          e, entry,
          [&](std::uint32_t id, Cursor& b) {
            if (id == 0x01) entry.SetName(Text(b));
            if (id == 0x02) battler = Text(b);
            if (id == 0x04) type = IntOf(b);
          },
          [&] {
            // Other poses show a battle animation, named by number.
            if (type == kPoseCharacter) entry.Later(Folder::kBattleCharSet, battler, "battler");
          });
    });
  }

  void Weapons(Cursor& in, const std::string& owner) {
    ForEachEntry(in, [&](int index, Cursor& e) {
      Entry entry(out_, owner + ", weapon " + std::to_string(index));
      ReadEntry(e, entry, [&](std::uint32_t id, Cursor& b) {
        if (id == 0x01) entry.SetName(Text(b));
        if (id == 0x02) entry.Later(Folder::kBattleWeapon, Text(b), "weapon");
      });
    });
  }

  const std::string& file_;
  Collected& out_;
};

}  // namespace

void ReadDatabase(std::string_view bytes, const std::string& file, Collected& out) {
  Guarded(out, file, [&] {
    Cursor in(bytes);
    ExpectHeader(in, kSignature);
    // The version decides a folder (large animations), so look ahead first;
    // a corrupt chunk is reported by the reading proper.
    try {
      Cursor ahead = in;
      ForEachChunk(ahead, [&](std::uint32_t id, Cursor&) { out.is2003 |= Is2003Chunk(id); });
    } catch (const FormatError&) {
    }
    DatabaseReader(file, out).Read(in);
  });
}

}  // namespace quillfen::lcf
