// One entry of a structure being read: its location text and the references
// whose location needs the entry's name, added once the entry is read (or
// as far as it could be read).
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "Cursor.h"
#include "Events.h"
#include "References.h"
#include "Schema.h"

namespace quillfen::lcf {

class Entry {
 public:
  // prefix: e.g. "RPG_RT.ldb, actor 1".
  Entry(Collected& out, std::string prefix) : out_(out), prefix_(std::move(prefix)) {}

  // A name is cut to kNameShown bytes in locations: every reference under
  // the entry repeats it, so a name as long as its file would cost memory
  // in the square of the file's size.
  static constexpr std::size_t kNameShown = 80;
  void SetName(std::string name) {
    if (name.size() > kNameShown) {
      // Never between the two bytes of a Shift-JIS character, so that the
      // name still decodes; in cp1252 this at most drops one byte more.
      std::size_t keep = 0;
      while (keep < name.size()) {
        const auto c = static_cast<unsigned char>(name[keep]);
        const std::size_t step = IsShiftJisLead(c) ? 2 : 1;
        if (keep + step > kNameShown) break;
        keep += step;
      }
      name.resize(keep);
      name += "...";
    }
    name_ = std::move(name);
  }
  // Room is left for what callers append (", page 2", ": charset").
  std::string Where(std::size_t room = 40) const {
    std::string out;
    out.reserve(prefix_.size() + name_.size() + 3 + room);
    out += prefix_;
    if (!name_.empty()) {
      out += " '";
      out += name_;
      out += '\'';
    }
    return out;
  }
  void Later(Folder folder, std::string name, std::string what) {
    pending_.push_back({folder, std::move(name), std::move(what)});
  }
  void Flush() {
    for (Pending& p : pending_) {
      std::string at = Where(2 + p.what.size());
      at += ": ";
      at += p.what;
      out_.Add(p.folder, p.name, std::move(at));
    }
    pending_.clear();
  }

 private:
  struct Pending {
    Folder folder;
    std::string name;
    std::string what;
  };
  Collected& out_;
  std::string prefix_;
  std::string name_;
  std::vector<Pending> pending_;
};

// Reads one structure's chunks through chunk(id, body), then finish(), then
// adds the entry's references; on a read error too, before passing it on.
// True when the structure ended with its end marker.
template <class Chunk, class Finish>
bool ReadEntry(Cursor& in, Entry& entry, Chunk&& chunk, Finish&& finish) {
  bool ended = false;
  try {
    ended = ForEachChunk(in, chunk);
  } catch (...) {
    finish();
    entry.Flush();
    throw;
  }
  finish();
  entry.Flush();
  return ended;
}

template <class Chunk>
bool ReadEntry(Cursor& in, Entry& entry, Chunk&& chunk) {
  return ReadEntry(in, entry, std::forward<Chunk>(chunk), [] {});
}

// The name of a Music or Sound structure; "(OFF)" when it has none.
inline std::string SoundName(Cursor& in) {
  static_assert(chunk::Music::kName == chunk::Sound::kName);
  std::string name = "(OFF)";
  ForEachChunk(in, [&](std::uint32_t id, Cursor& body) {
    if (id == chunk::Sound::kName) name = Text(body);
  });
  return name;
}

}  // namespace quillfen::lcf
