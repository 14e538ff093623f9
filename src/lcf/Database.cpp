// RPG_RT.ldb: the database's resource names.
#include <array>

#include "Entry.h"
#include "Schema.h"

namespace quillfen::lcf {
namespace {

// Database chunks only the 2003 editor writes: battle commands, classes,
// battler animations.
bool Is2003Chunk(std::uint32_t id) {
  using namespace chunk::Database;
  return id == kBattleCommands || id == kClasses || id == kBattlerAnimations;
}

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
      case chunk::Database::kActors: return Actors(body);
      case chunk::Database::kSkills: return Skills(body);
      case chunk::Database::kEnemies:
        return Simple(body, "enemy", chunk::Enemy::kName, chunk::Enemy::kBattlerName, Folder::kMonster,
                      "battler");
      case chunk::Database::kTroops: return Troops(body);
      case chunk::Database::kTerrains: return Terrains(body);
      case chunk::Database::kAnimations: return Animations(body);
      case chunk::Database::kChipsets:
        return Simple(body, "chipset", chunk::Chipset::kName, chunk::Chipset::kChipsetName, Folder::kChipSet,
                      "file");
      case chunk::Database::kSystem: return System(body);
      case chunk::Database::kCommonEvents: return CommonEvents(body);
      case chunk::Database::kBattlerAnimations: return BattlerAnimations(body);
      default: return;
    }
  }

  // An array whose entries name one file in one chunk.
  void Simple(Cursor& in, const char* kind, std::uint32_t nameField, std::uint32_t field, Folder folder,
              const char* what) {
    ForEachEntry(in, [&](int index, Cursor& e) {
      Entry entry(out_, Prefix(kind, index));
      ReadEntry(e, entry, [&](std::uint32_t id, Cursor& b) {
        if (id == nameField) entry.SetName(Text(b));
        if (id == field) entry.Later(folder, Text(b), what);
      });
    });
  }

  void Actors(Cursor& in) {
    ForEachEntry(in, [&](int index, Cursor& e) {
      Entry entry(out_, Prefix("actor", index));
      ReadEntry(e, entry, [&](std::uint32_t id, Cursor& b) {
        if (id == chunk::Actor::kName) entry.SetName(Text(b));
        if (id == chunk::Actor::kCharacterName) entry.Later(Folder::kCharSet, Text(b), "charset");
        if (id == chunk::Actor::kFaceName) entry.Later(Folder::kFaceSet, Text(b), "face");
      });
    });
  }

  void Skills(Cursor& in) {
    ForEachEntry(in, [&](int index, Cursor& e) {
      Entry entry(out_, Prefix("skill", index));
      ReadEntry(e, entry, [&](std::uint32_t id, Cursor& b) {
        if (id == chunk::Skill::kName) entry.SetName(Text(b));
        if (id == chunk::Skill::kSoundEffect) entry.Later(Folder::kSound, SoundName(b), "sound");
      });
    });
  }

  void Troops(Cursor& in) {
    ForEachEntry(in, [&](int index, Cursor& e) {
      Entry entry(out_, Prefix("troop", index));
      ReadEntry(e, entry, [&](std::uint32_t id, Cursor& b) {
        if (id == chunk::Troop::kName) entry.SetName(Text(b));
        if (id != chunk::Troop::kPages) return;
        ForEachEntry(b, [&](int page, Cursor& p) {
          const std::string where = entry.Where() + ", page " + std::to_string(page);
          ForEachChunk(p, [&](std::uint32_t pid, Cursor& pb) {
            if (pid != chunk::TroopPage::kEventCommands) return;
            Guarded(out_, file_, [&] { ReadCommandList(pb, where, out_); });
          });
        });
      });
    });
  }

  void Terrains(Cursor& in) {
    ForEachEntry(in, [&](int index, Cursor& e) {
      Entry entry(out_, Prefix("terrain", index));
      int type = value::Terrain::kBackgroundImage;
      bool frameB = false;
      std::string backdrop, frameA, frameBName;
      ReadEntry(
          e, entry,
          [&](std::uint32_t id, Cursor& b) {
            switch (id) {
              case chunk::Terrain::kName: entry.SetName(Text(b)); break;
              case chunk::Terrain::kBackgroundName: backdrop = Text(b); break;
              case chunk::Terrain::kFootstep: entry.Later(Folder::kSound, SoundName(b), "footstep"); break;
              case chunk::Terrain::kBackgroundType: type = IntOf(b); break;
              case chunk::Terrain::kBackgroundAName: frameA = Text(b); break;
              case chunk::Terrain::kBackgroundB: frameB = IntOf(b) != 0; break;
              case chunk::Terrain::kBackgroundBName: frameBName = Text(b); break;
              default: break;
            }
          },
          [&] {
            if (type == value::Terrain::kBackgroundImage) {
              entry.Later(Folder::kBackdrop, backdrop, "background");
            }
            if (type != value::Terrain::kBackgroundFrame) return;
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
            if (id == chunk::Animation::kName) entry.SetName(Text(b));
            if (id == chunk::Animation::kAnimationName) file = Text(b);
            if (id == chunk::Animation::kLarge) large = IntOf(b) != 0;
            if (id != chunk::Animation::kTimings) return;
            ForEachEntry(b, [&](int timing, Cursor& t) {
              const std::string where = entry.Where() + ", timing " + std::to_string(timing);
              ForEachChunk(t, [&](std::uint32_t tid, Cursor& tb) {
                if (tid != chunk::AnimationTiming::kSe) return;
                out_.Add(Folder::kSound, SoundName(tb), where + ": sound");
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
    using namespace chunk::System;
    struct Field {
      std::uint32_t id;
      Folder folder;
      const char* what;
      bool sound;
    };
    static constexpr std::array<Field, 27> kFields = {{
        {kBoatName, Folder::kCharSet, "boat charset", false},
        {kShipName, Folder::kCharSet, "ship charset", false},
        {kAirshipName, Folder::kCharSet, "airship charset", false},
        {kTitleName, Folder::kTitle, "title", false},
        {kGameoverName, Folder::kGameOver, "game over", false},
        {kSystemName, Folder::kSystem, "system graphic", false},
        {kSystem2Name, Folder::kSystem2, "system2 graphic", false},
        {kTitleMusic, Folder::kMusic, "title music", true},
        {kBattleMusic, Folder::kMusic, "battle music", true},
        {kBattleEndMusic, Folder::kMusic, "battle end music", true},
        {kInnMusic, Folder::kMusic, "inn music", true},
        {kBoatMusic, Folder::kMusic, "boat music", true},
        {kShipMusic, Folder::kMusic, "ship music", true},
        {kAirshipMusic, Folder::kMusic, "airship music", true},
        {kGameoverMusic, Folder::kMusic, "game over music", true},
        {kCursorSe, Folder::kSound, "cursor sound", true},
        {kDecisionSe, Folder::kSound, "decision sound", true},
        {kCancelSe, Folder::kSound, "cancel sound", true},
        {kBuzzerSe, Folder::kSound, "buzzer sound", true},
        {kBattleSe, Folder::kSound, "battle start sound", true},
        {kEscapeSe, Folder::kSound, "escape sound", true},
        {kEnemyAttackSe, Folder::kSound, "enemy attack sound", true},
        {kEnemyDamagedSe, Folder::kSound, "enemy damaged sound", true},
        {kActorDamagedSe, Folder::kSound, "actor damaged sound", true},
        {kDodgeSe, Folder::kSound, "dodge sound", true},
        {kEnemyDeathSe, Folder::kSound, "enemy death sound", true},
        {kItemSe, Folder::kSound, "item sound", true},
    }};
    Entry entry(out_, file_ + ", system");
    bool showFrame = false;
    std::string frame;
    ReadEntry(
        in, entry,
        [&](std::uint32_t id, Cursor& b) {
          if (id == kShowFrame) showFrame = IntOf(b) != 0;
          if (id == kFrameName) frame = Text(b);
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
        if (id == chunk::CommonEvent::kName) entry.SetName(Text(b));
        if (id != chunk::CommonEvent::kEventCommands) return;
        Guarded(out_, file_, [&] { ReadCommandList(b, entry.Where(), out_); });
      });
    });
  }

  void BattlerAnimations(Cursor& in) {
    ForEachEntry(in, [&](int index, Cursor& e) {
      Entry entry(out_, Prefix("battler animation", index));
      ReadEntry(e, entry, [&](std::uint32_t id, Cursor& b) {
        if (id == chunk::BattlerAnimation::kName) entry.SetName(Text(b));
        if (id == chunk::BattlerAnimation::kPoses) Poses(b, entry.Where());
        if (id == chunk::BattlerAnimation::kWeapons) Weapons(b, entry.Where());
      });
    });
  }

  void Poses(Cursor& in, const std::string& owner) {
    ForEachEntry(in, [&](int index, Cursor& e) {
      Entry entry(out_, owner + ", pose " + std::to_string(index));
      std::string battler;
      int type = value::BattlerAnimationPose::kCharacter;
      ReadEntry(
          e, entry,
          [&](std::uint32_t id, Cursor& b) {
            if (id == chunk::BattlerAnimationPose::kName) entry.SetName(Text(b));
            if (id == chunk::BattlerAnimationPose::kBattlerName) battler = Text(b);
            if (id == chunk::BattlerAnimationPose::kAnimationType) type = IntOf(b);
          },
          [&] {
            // Other poses show a battle animation, named by number.
            if (type != value::BattlerAnimationPose::kCharacter) return;
            entry.Later(Folder::kBattleCharSet, battler, "battler");
          });
    });
  }

  void Weapons(Cursor& in, const std::string& owner) {
    ForEachEntry(in, [&](int index, Cursor& e) {
      Entry entry(out_, owner + ", weapon " + std::to_string(index));
      ReadEntry(e, entry, [&](std::uint32_t id, Cursor& b) {
        if (id == chunk::BattlerAnimationWeapon::kName) entry.SetName(Text(b));
        if (id != chunk::BattlerAnimationWeapon::kWeaponName) return;
        entry.Later(Folder::kBattleWeapon, Text(b), "weapon");
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
    ExpectHeader(in, kDatabaseSignature);
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
