#include "ProjectData.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

namespace quillfen {
namespace {

constexpr unsigned char kMarker0 = 0xCE;
constexpr unsigned char kMarker1 = 0x7E;
constexpr unsigned char kContinue0 = 0x81;
constexpr unsigned char kContinue1 = 0x9D;

inline unsigned char Byte(const char* s, std::size_t i) { return static_cast<unsigned char>(s[i]); }

}  // namespace

// Removing a run can only create a new marker where the bytes kept before it
// meet the bytes after it, and the bytes kept so far hold no marker. So the
// data is read once: kept bytes grow at the end of the string (never past the
// read position), a run may take back the last one or two kept bytes, and
// after each removal only the join needs a second look.
void StripMarkers(std::string& data) { data.resize(StripMarkers(data.data(), data.size())); }

std::size_t StripMarkers(char* data, const std::size_t size) {
  std::size_t out = 0;   // kept bytes: data[0, out)
  std::size_t read = 0;  // unread bytes: data[read, size)

  auto fail = [](const char* what) { throw ReadError(what); };

  while (true) {
    // The first marker of kept + unread: first at the join, then in the unread part.
    std::size_t back = 0;  // kept bytes that belong to the run
    std::size_t cursor;    // where the run's bytes after the marker start (in data)
    if (out > 0 && read < size && Byte(data, out - 1) == kMarker0 && Byte(data, read) == kMarker1) {
      if (out < 2) fail("marker at the start of the data");
      back = 2;  // the byte before the marker and the marker's first byte
      cursor = read + 1;
    } else {
      std::size_t at = std::string::npos;
      for (std::size_t i = read; i + 1 < size;) {
        const void* hit = std::memchr(data + i, kMarker0, size - 1 - i);
        if (hit == nullptr) break;
        i = static_cast<std::size_t>(static_cast<const char*>(hit) - data);
        if (Byte(data, i + 1) == kMarker1) {
          at = i;
          break;
        }
        ++i;
      }
      if (at == std::string::npos) {
        // Nothing more to remove: keep the rest as it is.
        if (out != read) std::memmove(data + out, data + read, size - read);
        return out + (size - read);
      }
      if (at == read) {
        if (out == 0) fail("marker at the start of the data");
        back = 1;  // the byte before the marker is the last kept byte
      } else {
        // Keep everything up to the byte before the marker.
        std::size_t keep = at - 1 - read;
        if (out != read && keep > 0) std::memmove(data + out, data + read, keep);
        out += keep;
      }
      cursor = at + 2;
    }
    out -= back;

    // The rest of the run, read from cursor: one byte, a length byte L, L + 1
    // bytes, then continuation lines while the next two bytes say so.
    auto need = [&](std::size_t n) {
      if (n > size - cursor) fail("marked record runs past the end of the data");
    };
    need(1);
    cursor += 1;
    need(1);
    std::size_t length = Byte(data, cursor);
    cursor += 1;
    need(length + 1);
    cursor += length + 1;
    while (true) {
      need(2);
      if (Byte(data, cursor) != kContinue0 || Byte(data, cursor + 1) != kContinue1) break;
      need(4);
      cursor += 4;
      need(1);
      length = Byte(data, cursor);
      cursor += 1;
      need(length + 1);
      cursor += length + 1;
    }
    read = cursor;
  }
}

std::string ProjectDataBuffer::Joined() const {
  std::string joined;
  joined.reserve(size_);
  for (std::string_view part : parts_) joined.append(part);
  return joined;
}

void ProjectDataBuffer::Release() {
  parts_.clear();
  blocks_.clear();
  size_ = 0;
}

char* ProjectDataBuffer::Add(std::size_t capacity) {
  // Uninitialised on purpose: the file is read straight into it.
  blocks_.emplace_back(new char[capacity == 0 ? 1 : capacity]);
  return blocks_.back().get();
}

std::string_view ProjectDataBuffer::Commit(std::size_t size) {
  parts_.emplace_back(blocks_.back().get(), size);
  size_ += size;
  return parts_.back();
}

ProjectDataBuffer BuildProjectData(FileSystem& fs, const std::string& projectFolder,
                                   const BuildOptions& options) {
  const std::string workFile = options.scratchFolder + kWorkFile;
  ProjectDataBuffer joined;

  auto append = [&](const std::string& path) {
    std::unique_ptr<FileReader> file = fs.OpenRead(path);
    const std::uint64_t size = file->Size();
    if (size > static_cast<std::uint64_t>(SIZE_MAX / 2)) throw FileError(path + " is too large");
    const std::size_t count = static_cast<std::size_t>(size);
    char* data = joined.Add(count);
    file->Read(data, count);
    file.reset();
    std::string_view part = joined.Commit(StripMarkers(data, count));
    if (options.part) options.part(part);
  };
  auto status = [&](std::string_view text) {
    if (options.status) options.status(text);
  };

  // The cleaning works in memory; it leaves no work file behind, also not
  // one that an earlier run left, and also after a failure.
  struct WorkFileRemover {
    FileSystem& fs;
    const std::string& path;
    ~WorkFileRemover() { fs.DeleteFile(path); }
  } remover{fs, workFile};

  if (fs.FileExists(projectFolder + "rpg_rt.ldb")) {
    status("Building RPG_RT.ldb...");
    append(projectFolder + "rpg_rt.ldb");
  }
  if (fs.FileExists(projectFolder + "rpg_rt.lmt")) {
    status("Building RPG_RT.lmt...");
    append(projectFolder + "rpg_rt.lmt");
  }
  for (const std::string& name : fs.FindFiles(projectFolder + "*.lmu")) {
    status("Building " + name + "...");
    append(projectFolder + name);
  }
  fs.SaveFileParts(options.scratchFolder + kProjectDataFile, joined.Parts());
  return joined;
}

}  // namespace quillfen
