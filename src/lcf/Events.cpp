#include "Events.h"

#include <cstdint>
#include <vector>

#include "Schema.h"

namespace quillfen::lcf {
namespace {

// The battle command's background mode that names its own backdrop.
constexpr std::int32_t kEncounterOwnBackdrop = 1;
// The picture-pointer form of Show Picture: a picture number above this takes
// the number, and the name's ending, from variables while the game runs.
constexpr std::int32_t kPicturePointerBase = 10000;
// The later form of Show Picture may end its name with a variable's value:
// the variable's number and the width in digits.
constexpr std::size_t kPictureNameVariable = 19;
constexpr std::size_t kPictureNameDigits = 18;
// The first four parameters of Move Event: target, frequency, repeat, skip.
constexpr std::size_t kMoveEventRouteStart = 4;

struct Command {
  std::size_t offset = 0;
  std::int32_t code = 0;
  std::string_view text;
  std::vector<std::int32_t> params;
};

// Commands that can name a file; the rest need no location text.
bool NamesFile(std::int32_t code);

// False at the command 0 that ends a list. Only a command that can name a
// file keeps its parameters.
bool ReadCommand(Cursor& in, Command& c) {
  c.offset = in.Offset();
  c.code = in.Int();
  in.Ber();  // indent
  c.text = in.Bytes(in.Count("a command string"));
  const std::size_t count = in.Count("a parameter count");
  c.params.clear();
  if (!NamesFile(c.code)) {
    in.SkipBers(count);
    return c.code != 0;
  }
  c.params.reserve(count);
  for (std::size_t i = 0; i < count; ++i) c.params.push_back(in.Int());
  return c.code != 0;
}

// Moves stored as a chunk: integers with strings as raw bytes.
class ChunkMoves {
 public:
  explicit ChunkMoves(Cursor& in) : in_(in) {}
  bool AtEnd() const { return in_.AtEnd(); }
  std::size_t Offset() const { return in_.Offset(); }
  std::int32_t Next() { return in_.Int(); }
  std::string Bytes() { return std::string(in_.Bytes(in_.Count("a move string"))); }

 private:
  Cursor& in_;
};

// Moves packed in Move Event's parameters: a string is its length, then one
// parameter per byte.
class ParameterMoves {
 public:
  ParameterMoves(const Command& c, std::size_t start) : c_(c), at_(start) {}
  bool AtEnd() const { return at_ >= c_.params.size(); }
  std::size_t Offset() const { return c_.offset; }
  std::int32_t Next() {
    if (AtEnd()) throw FormatError(c_.offset, "Move Event ends inside a move");
    return c_.params[at_++];
  }
  std::string Bytes() {
    const std::int32_t length = Next();
    if (length < 0 || static_cast<std::size_t>(length) > c_.params.size() - at_) {
      throw FormatError(c_.offset, "a string of Move Event runs past its parameters");
    }
    std::string out;
    for (std::int32_t i = 0; i < length; ++i) out += static_cast<char>(c_.params[at_++] & 0xFF);
    return out;
  }

 private:
  const Command& c_;
  std::size_t at_;
};

template <class Moves>
void ReadMoves(Moves& moves, const std::string& where, Collected& out) {
  for (int step = 1; !moves.AtEnd(); ++step) {
    const std::string at = where + ", step " + std::to_string(step);
    switch (moves.Next()) {
      case kMoveSwitchOn:
      case kMoveSwitchOff:
        moves.Next();
        break;
      case kMoveChangeGraphic: {
        std::string name = moves.Bytes();
        moves.Next();  // index
        out.Add(Folder::kCharSet, name, at + ": Change Graphic");
        break;
      }
      case kMovePlaySound: {
        std::string name = moves.Bytes();
        for (int i = 0; i < 3; ++i) moves.Next();  // volume, tempo, balance
        out.Add(Folder::kSound, name, at + ": Play Sound");
        break;
      }
      default:
        break;
    }
  }
}

// Commands that can name a file; the rest need no location text.
bool NamesFile(std::int32_t code) {
  switch (code) {
    case kChangeFace: case kChangeHeroGraphic: case kChangeHeroFace: case kChangeVehicleGraphic:
    case kChangeSystemMusic: case kChangeSystemSound: case kChangeSystemGraphics:
    case kEnemyEncounter: case kShowPicture: case kMoveEvent: case kPlayMusic: case kPlaySound:
    case kPlayMovie: case kChangeParallax: case kChangeBattleBackground:
      return true;
    default:
      return false;
  }
}

std::string_view NameOf(int code) {
  switch (code) {
    case kChangeFace: return "Change Face Graphic";
    case kChangeHeroGraphic: return "Change Hero Graphic";
    case kChangeHeroFace: return "Change Hero Face";
    case kChangeVehicleGraphic: return "Change Vehicle Graphic";
    case kChangeSystemMusic: return "Change System Music";
    case kChangeSystemSound: return "Change System Sound";
    case kChangeSystemGraphics: return "Change System Graphics";
    case kEnemyEncounter: return "Battle";
    case kShowPicture: return "Show Picture";
    case kMoveEvent: return "Move Event";
    case kPlayMusic: return "Play Music";
    case kPlaySound: return "Play Sound";
    case kPlayMovie: return "Play Movie";
    case kChangeParallax: return "Change Parallax Background";
    case kChangeBattleBackground: return "Change Battle Background";
    default: return {};
  }
}

// at: the command's place up to its number ("..., command 12"); the name
// of the command is added to it.
void AddCommand(const Command& c, std::string& at, Collected& out) {
  at += ": ";
  at += NameOf(c.code);
  switch (c.code) {
    case kChangeFace:
    case kChangeHeroFace:
      out.Add(Folder::kFaceSet, c.text, at);
      break;
    case kChangeHeroGraphic:
    case kChangeVehicleGraphic:
      out.Add(Folder::kCharSet, c.text, at);
      break;
    case kChangeSystemMusic:
    case kPlayMusic:
      out.Add(Folder::kMusic, c.text, at);
      break;
    case kChangeSystemSound:
    case kPlaySound:
      out.Add(Folder::kSound, c.text, at);
      break;
    case kChangeSystemGraphics:
      out.Add(Folder::kSystem, c.text, at);
      break;
    case kEnemyEncounter:
      if (c.params.size() > 2 && c.params[2] == kEncounterOwnBackdrop) {
        out.Add(Folder::kBackdrop, c.text, at);
      }
      break;
    case kShowPicture:
      if (!c.params.empty() && c.params[0] > kPicturePointerBase) {
        out.dynamic.push_back({Folder::kPicture, std::string(c.text), at});
        break;
      }
      if (c.params.size() > kPictureNameVariable && c.params[kPictureNameVariable] != 0) {
        const std::int32_t digits = c.params[kPictureNameDigits];
        out.dynamic.push_back({Folder::kPicture, std::string(c.text), at, true,
                               digits > 0 && digits < 10 ? digits : 0});
        break;
      }
      out.Add(Folder::kPicture, c.text, at);
      break;
    case kPlayMovie:
      out.Add(Folder::kMovie, c.text, at);
      break;
    case kChangeParallax:
      out.Add(Folder::kPanorama, c.text, at);
      break;
    case kChangeBattleBackground:
      out.Add(Folder::kBackdrop, c.text, at);
      break;
    case kMoveEvent: {
      ParameterMoves moves(c, kMoveEventRouteStart);
      ReadMoves(moves, at, out);
      break;
    }
    default:
      break;
  }
}

}  // namespace

void ReadCommandList(Cursor& in, const std::string& where, Collected& out) {
  Command c;
  std::string at;  // each place is made here, then kept by out
  for (int index = 1; !in.AtEnd() && ReadCommand(in, c); ++index) {
    if (!NamesFile(c.code)) continue;
    at.assign(where);
    at += ", command ";
    at += std::to_string(index);
    AddCommand(c, at, out);
  }
}

void ReadMoveRoute(Cursor& in, const std::string& where, Collected& out) {
  ChunkMoves moves(in);
  ReadMoves(moves, where, out);
}

std::string CommandName(int code) {
  const std::string_view name = NameOf(code);
  return name.empty() ? "command " + std::to_string(code) : std::string(name);
}

}  // namespace quillfen::lcf
