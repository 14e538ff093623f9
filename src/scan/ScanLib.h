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

// The words of data that arrives in consecutive parts, fed in order; a
// word may run from one part, or one feed, into the next. Finish gives each
// word once, ignoring case, in the spelling met first, in order of first
// appearance, and leaves nothing held.
class WordStream {
 public:
  WordStream();
  ~WordStream();
  WordStream(WordStream&&) noexcept;
  WordStream& operator=(WordStream&&) noexcept;
  void Feed(std::span<const std::string_view> parts);
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
