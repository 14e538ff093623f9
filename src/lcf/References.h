// The resource files a game loads, as named in its database files: each
// reference with the folder it is looked up in and where it is used.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace quillfen::lcf {

// Every resource folder of 2000 and 2003 games, in alphabetical order.
enum class Folder {
  kBackdrop,
  kBattle,
  kBattle2,
  kBattleCharSet,
  kBattleWeapon,
  kCharSet,
  kChipSet,
  kFaceSet,
  kFrame,
  kGameOver,
  kMonster,
  kMovie,
  kMusic,
  kPanorama,
  kPicture,
  kSound,
  kSystem,
  kSystem2,
  kTitle,
};
inline constexpr std::size_t kFolderCount = 19;

enum class FileKind { kImage, kAudio, kMovie };

std::string_view FolderName(Folder folder);
FileKind KindOf(Folder folder);
// The extensions the engine tries for that kind, lower case with the dot.
const std::vector<std::string_view>& ExtensionsOf(FileKind kind);
const std::array<Folder, kFolderCount>& AllFolders();

struct Reference {
  Folder folder;
  std::string name;   // bytes in the game's code page
  std::string where;  // e.g. "Map0001.lmu, event 1 'EV0001', page 1, command 2: Play Sound"
};

// Names are bytes in the game's code page; in Shift-JIS such a byte starts
// a two-byte character, whose second byte may look like a backslash or a letter.
inline bool IsShiftJisLead(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

// A name the game builds while it runs: it cannot be looked up beforehand.
struct DynamicName {
  Folder folder;
  std::string name;  // the fixed part as stored
  std::string where;
  // Set where the name's trailing digits give way to a variable's value,
  // written at least this many digits wide (0: as many as the name has).
  bool numbered = false;
  int digits = 0;
};

struct Problem {
  static constexpr std::size_t kNoOffset = static_cast<std::size_t>(-1);
  std::string file;
  std::size_t offset = kNoOffset;  // in the file, where the reading stopped
  std::string message;
};

struct Collected {
  std::vector<Reference> references;
  std::vector<DynamicName> dynamic;
  std::vector<Problem> problems;
  bool is2003 = false;
  // How many problems each file has so far, for the cap.
  std::unordered_map<std::string, std::size_t> problemsPerFile;

  // Keeps a real name: "(OFF)" and empty ones name no file.
  void Add(Folder folder, std::string_view name, std::string where);
  void AddProblem(std::string file, std::size_t offset, std::string message);
};

// Readers of the three files. Each adds what it reads to out as it goes and
// records a problem (file, offset, what) for each part it cannot read, going
// on with the next part whose bounds are known.
void ReadDatabase(std::string_view bytes, const std::string& file, Collected& out);

struct MapEntry {
  int id = 0;
  std::string name;
};
// Returns the maps (not areas or the root) of the tree, in file order.
std::vector<MapEntry> ReadMapTree(std::string_view bytes, const std::string& file,
                                  Collected& out);
void ReadMapUnit(std::string_view bytes, const std::string& file, Collected& out);

// "Map0001.lmu" for map 1.
std::string MapFileName(int id);

}  // namespace quillfen::lcf
