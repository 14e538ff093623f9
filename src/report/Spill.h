// The references of a game too big to keep them in memory: written to a
// temporary file as they are read, each as its name's number and its place.
// Only each distinct name stays in memory, with how often it is used.
#pragma once

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "FileSystem.h"
#include "References.h"

namespace quillfen::report {

class SpilledReferences final : public lcf::ReferenceSink {
 public:
  struct Name {
    lcf::Folder folder;
    std::string_view name;  // kept by this
    std::size_t count = 0;  // references that use it
  };

  explicit SpilledReferences(std::unique_ptr<TemporaryFile> file);

  void Add(lcf::Folder folder, std::string_view name, std::string_view where) override;
  std::size_t Count() const override { return count_; }
  // Writes out what is still held; reading waits for it.
  void Finish();

  // Every distinct name once, in the order of first use.
  const std::vector<Name>& Names() const { return names_; }

  // Calls each(name number, place, plain) for the references from begin to
  // end in order; plain: the place is printable ASCII. The places live in
  // bytes until it is used again. Several threads may read at once.
  template <class Each>
  void Read(std::size_t begin, std::size_t end, std::vector<char>& bytes, Each&& each) const {
    if (begin >= end) return;
    std::size_t skip = ReadRecords(begin, end, bytes);
    std::size_t at = 0;
    for (std::size_t left = end - begin; left > 0; ) {
      if (bytes.size() - at < sizeof(Record)) Damaged();
      Record record;
      std::memcpy(&record, bytes.data() + at, sizeof record);
      at += sizeof record;
      if (bytes.size() - at < record.length) Damaged();
      const std::string_view where(bytes.data() + at, record.length);
      at += record.length;
      if (skip > 0) {
        --skip;
        continue;
      }
      each(record.name, where, record.plain != 0);
      --left;
    }
  }

 private:
  struct Record {
    std::uint32_t name;
    std::uint32_t length;
    std::uint32_t plain;
  };
  // A mark every so many references: a slice is found without reading
  // what comes before it.
  static constexpr std::size_t kMarkEvery = 256;
  // Held at most before it is written out (unless one place is longer).
  static constexpr std::size_t kWriteAt = 64 * 1024;

  // Reads the records that hold begin to end into bytes; returns how many
  // come before begin.
  std::size_t ReadRecords(std::size_t begin, std::size_t end, std::vector<char>& bytes) const;
  [[noreturn]] static void Damaged();

  struct KeyHash {
    std::size_t operator()(const std::pair<lcf::Folder, std::string_view>& k) const {
      return std::hash<std::string_view>()(k.second) * 31 + static_cast<std::size_t>(k.first);
    }
  };

  std::unique_ptr<TemporaryFile> file_;
  lcf::TextStore spelling_;  // the names' bytes
  std::unordered_map<std::pair<lcf::Folder, std::string_view>, std::uint32_t, KeyHash> ids_;
  std::vector<Name> names_;
  std::string held_;                   // records not written yet
  std::uint64_t written_ = 0;          // bytes in the file
  std::vector<std::uint64_t> marks_;   // where reference k * kMarkEvery begins
  std::size_t count_ = 0;
};

}  // namespace quillfen::report
