#include "References.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>

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

void ReferenceList::push_back(Reference reference) {
  if (runs_.empty()) {
    runs_.emplace_back();
    starts_.push_back(0);
  }
  runs_.back().push_back(std::move(reference));
  ++size_;
}

void ReferenceList::Append(ReferenceList&& other) {
  for (std::vector<Reference>& run : other.runs_) {
    starts_.push_back(size_);
    size_ += run.size();
    runs_.push_back(std::move(run));
  }
  other.runs_.clear();
  other.starts_.clear();
  other.size_ = 0;
}

std::pair<std::size_t, std::size_t> ReferenceList::Find(std::size_t index) const {
  if (index >= size_) return {runs_.size(), 0};
  const auto after = std::upper_bound(starts_.begin(), starts_.end(), index);
  const auto run = static_cast<std::size_t>(after - starts_.begin()) - 1;
  return {run, index - starts_[run]};
}

ReferenceList::iterator ReferenceList::At(std::size_t index) {
  const auto [run, at] = Find(index);
  return {this, run, at};
}

ReferenceList::const_iterator ReferenceList::At(std::size_t index) const {
  const auto [run, at] = Find(index);
  return {this, run, at};
}

bool PrintableAscii(std::string_view text) {
  // Eight bytes at a time: a location is some seventy of them.
  constexpr std::uint64_t kOnes = 0x0101010101010101ULL, kHigh = 0x8080808080808080ULL;
  std::size_t i = 0;
  for (; i + 8 <= text.size(); i += 8) {
    std::uint64_t w;
    std::memcpy(&w, text.data() + i, 8);
    const std::uint64_t below = (w - kOnes * 0x20) & ~w & kHigh;  // a byte under 0x20
    const std::uint64_t above = ((w + kOnes) | w) & kHigh;         // a byte over 0x7E
    if ((below | above) != 0) return false;
  }
  for (; i < text.size(); ++i) {
    const auto b = static_cast<unsigned char>(text[i]);
    if (b < 0x20 || b > 0x7E) return false;
  }
  return true;
}

std::string_view TextStore::Keep(std::string_view text) {
  if (text.size() > left_) {
    // A text longer than a block gets one of its own; the newest block's
    // rest stays in use for the texts after it.
    if (text.size() > kBlock / 4) {
      auto own = std::make_unique<char[]>(text.size());
      std::memcpy(own.get(), text.data(), text.size());
      const char* at = own.get();
      blocks_.insert(blocks_.empty() ? blocks_.end() : blocks_.end() - 1, std::move(own));
      return {at, text.size()};
    }
    blocks_.push_back(std::make_unique<char[]>(kBlock));
    free_ = blocks_.back().get();
    left_ = kBlock;
  }
  char* at = free_;
  if (!text.empty()) std::memcpy(at, text.data(), text.size());
  free_ += text.size();
  left_ -= text.size();
  return {at, text.size()};
}

void TextStore::Adopt(TextStore&& other) {
  // Ours go on filling the newest block; other's rest is given up.
  const bool haveNewest = !blocks_.empty();
  blocks_.insert(blocks_.end() - (haveNewest ? 1 : 0), std::make_move_iterator(other.blocks_.begin()),
                 std::make_move_iterator(other.blocks_.end()));
  if (!haveNewest) {
    free_ = other.free_;
    left_ = other.left_;
  }
  other.blocks_.clear();
  other.free_ = nullptr;
  other.left_ = 0;
}

void Collected::Add(Folder folder, std::string_view name, std::string_view where) {
  if (name.empty() || name == "(OFF)") return;
  if (spill) return spill->Add(folder, name, where);
  references.push_back({folder, std::string(name), texts->Keep(where), PrintableAscii(where)});
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
