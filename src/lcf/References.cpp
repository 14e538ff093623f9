#include "References.h"

#include <cstdio>

namespace quillfen::lcf {
namespace {

constexpr std::array<Folder, kFolderCount> kFolders = {
    Folder::kBackdrop, Folder::kBattle,  Folder::kBattle2,  Folder::kBattleCharSet,
    Folder::kBattleWeapon, Folder::kCharSet, Folder::kChipSet, Folder::kFaceSet,
    Folder::kFrame,    Folder::kGameOver, Folder::kMonster, Folder::kMovie,
    Folder::kMusic,    Folder::kPanorama, Folder::kPicture, Folder::kSound,
    Folder::kSystem,   Folder::kSystem2,  Folder::kTitle};

constexpr std::array<std::string_view, kFolderCount> kNames = {
    "Backdrop", "Battle",   "Battle2", "BattleCharSet", "BattleWeapon", "CharSet", "ChipSet",
    "FaceSet",  "Frame",    "GameOver", "Monster",      "Movie",        "Music",   "Panorama",
    "Picture",  "Sound",    "System",  "System2",       "Title"};

// Beyond this many problems in one file the rest says nothing new.
constexpr std::size_t kProblemsPerFile = 20;

}  // namespace

std::string_view FolderName(Folder folder) { return kNames[static_cast<std::size_t>(folder)]; }

FileKind KindOf(Folder folder) {
  switch (folder) {
    case Folder::kMusic:
    case Folder::kSound:
      return FileKind::kAudio;
    case Folder::kMovie:
      return FileKind::kMovie;
    default:
      return FileKind::kImage;
  }
}

const std::vector<std::string_view>& ExtensionsOf(FileKind kind) {
  static const std::vector<std::string_view> images = {".png", ".bmp", ".xyz"};
  static const std::vector<std::string_view> audio = {".wav", ".mid", ".midi", ".mp3", ".ogg"};
  static const std::vector<std::string_view> movies = {".avi", ".mpg"};
  switch (kind) {
    case FileKind::kAudio: return audio;
    case FileKind::kMovie: return movies;
    default: return images;
  }
}

const std::array<Folder, kFolderCount>& AllFolders() { return kFolders; }

void Collected::Add(Folder folder, std::string_view name, std::string where) {
  if (name.empty() || name == "(OFF)") return;
  references.push_back({folder, std::string(name), std::move(where)});
}

void Collected::AddProblem(std::string file, std::size_t offset, std::string message) {
  const std::size_t already = problemsPerFile[file]++;
  if (already == kProblemsPerFile) message = "further problems not listed";
  if (already > kProblemsPerFile) return;
  problems.push_back({std::move(file), offset, std::move(message)});
}

std::string MapFileName(int id) {
  char text[32];
  std::snprintf(text, sizeof text, "Map%04d.lmu", id);
  return text;
}

}  // namespace quillfen::lcf
