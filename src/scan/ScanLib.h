// The scan library's file and word routines.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>
#include <string>
#include <span>
#include <string_view>

#include "FileSystem.h"
#include "StringList.h"

namespace quillfen {

// Receives whole percentages 0..100.
using ProgressSink = std::function<void(int percent)>;

// Every word of the data file (maximal runs of - 0-9 A-Z _ a-z) into the
// sorted list words; a missing file leaves the list unchanged.
void ExtractWords(const FileSystem& fs, const std::string& fileName, StringList& words,
                  const ProgressSink& progress);
// The same over data already in memory.
void ExtractWordsFromData(std::string_view data, StringList& words, const ProgressSink& progress);

// The words of data that arrives in numbered pieces 0, 1, 2, ..., each
// made of parts; a word may run from one part or piece into the next. The
// pieces are shared out among feeders, each taking its pieces whole and in
// increasing order, so that threads can collect at once; different feeders
// may run concurrently. Finish comes after the last piece of every feeder.
// Its list may hold a word more than once, in other spellings too: the
// first is the one a list that ignores case keeps.
class WordPieces {
 public:
  explicit WordPieces(int feeders);
  ~WordPieces();
  void Feed(int feeder, std::size_t piece, std::span<const std::string_view> parts);
  std::vector<std::string> Finish();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// The gauge values an extraction of size bytes shows, all at once.
void ReportExtractionProgress(std::uint64_t size, const ProgressSink& progress);

// Zero-based offset of the first occurrence of pattern in the file, or -1.
std::int64_t FindPatternInFile(const FileSystem& fs, const std::string& fileName,
                               std::string_view pattern, bool caseSensitive);

// Sorted lists: case-insensitive look-up; unsorted: exact byte comparison.
bool ListContains(std::string_view text, const StringList& list);

// position / size * 100 rounded to the nearest whole number, ties to even.
int RoundedPercent(std::uint64_t position, std::uint64_t size);

}  // namespace quillfen
