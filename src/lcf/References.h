// The resource files a game loads, as named in its database files: each
// reference with the folder it is looked up in and where it is used.
#pragma once

#include <array>
#include <cstddef>
#include <iterator>
#include <memory>
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

// Texts kept side by side in large blocks that never move: a big game has
// tens of thousands of locations, and one allocation each would cost more
// than reading them. A kept text stays where it is until the store goes,
// also when another store adopts its blocks.
class TextStore {
 public:
  std::string_view Keep(std::string_view text);
  // Takes over other's blocks; what other kept stays valid.
  void Adopt(TextStore&& other);

 private:
  static constexpr std::size_t kBlock = 64 * 1024;
  std::vector<std::unique_ptr<char[]>> blocks_;
  char* free_ = nullptr;  // the rest of the newest block
  std::size_t left_ = 0;
};

struct Reference {
  Folder folder;
  std::string name;        // bytes in the game's code page
  std::string_view where;  // e.g. "Map0001.lmu, event 1 'EV0001', page 1, command 2: Play Sound";
                           // kept by the Collected it came from
  // Known to be printable ASCII, which shows as it is under every code page:
  // told while the text is at hand, so that the report need not read it
  // again. False also where nobody looked.
  bool plainWhere = false;
};

// True when every byte is printable ASCII (0x20 to 0x7E).
bool PrintableAscii(std::string_view text);

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

// References in the order read, kept as the runs of references that each
// file (or thread) added: joining a big game's hundreds of maps moves no
// reference, it only takes over their runs.
class ReferenceList {
 public:
  template <class List, class Value>
  class Iterator {
   public:
    using iterator_category = std::forward_iterator_tag;
    using value_type = Reference;
    using difference_type = std::ptrdiff_t;
    using pointer = Value*;
    using reference = Value&;

    Iterator() = default;
    Iterator(List* list, std::size_t run, std::size_t at) : list_(list), run_(run), at_(at) {}
    Value& operator*() const { return list_->runs_[run_][at_]; }
    Value* operator->() const { return &**this; }
    Iterator& operator++() {
      if (++at_ == list_->runs_[run_].size()) {
        ++run_;
        at_ = 0;
      }
      return *this;
    }
    Iterator operator++(int) {
      Iterator before = *this;
      ++*this;
      return before;
    }
    friend bool operator==(const Iterator& a, const Iterator& b) { return a.run_ == b.run_ && a.at_ == b.at_; }

   private:
    List* list_ = nullptr;
    std::size_t run_ = 0, at_ = 0;
  };
  using iterator = Iterator<ReferenceList, Reference>;
  using const_iterator = Iterator<const ReferenceList, const Reference>;

  std::size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  void push_back(Reference reference);
  // Takes over other's references after these; other is left empty.
  void Append(ReferenceList&& other);

  iterator begin() { return {this, 0, 0}; }
  iterator end() { return {this, runs_.size(), 0}; }
  const_iterator begin() const { return {this, 0, 0}; }
  const_iterator end() const { return {this, runs_.size(), 0}; }
  // Where the reference with this index is, for walking on from there.
  iterator At(std::size_t index);
  const_iterator At(std::size_t index) const;
  Reference& operator[](std::size_t index) { return *At(index); }
  const Reference& operator[](std::size_t index) const { return *At(index); }

 private:
  // The run that holds index, and where in it.
  std::pair<std::size_t, std::size_t> Find(std::size_t index) const;

  std::vector<std::vector<Reference>> runs_;  // none of them empty
  std::vector<std::size_t> starts_;          // the index of each run's first reference
  std::size_t size_ = 0;
};

// Takes the references of a game too big to keep them in memory, in the
// order read, in place of the list.
class ReferenceSink {
 public:
  virtual ~ReferenceSink() = default;
  virtual void Add(Folder folder, std::string_view name, std::string_view where) = 0;
  virtual std::size_t Count() const = 0;
};

struct Collected {
  ReferenceList references;
  // Set: the references went here instead, and the list stays empty.
  std::shared_ptr<ReferenceSink> spill;
  // The references' places; shared with the reports made of them.
  std::shared_ptr<TextStore> texts = std::make_shared<TextStore>();
  std::vector<DynamicName> dynamic;
  std::vector<Problem> problems;
  bool is2003 = false;
  // How many problems each file has so far, for the cap.
  std::unordered_map<std::string, std::size_t> problemsPerFile;

  std::size_t ReferenceCount() const { return spill ? spill->Count() : references.size(); }
  // Keeps a real name: "(OFF)" and empty ones name no file.
  void Add(Folder folder, std::string_view name, std::string_view where);
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
