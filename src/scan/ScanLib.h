// The scan library's file and word routines.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>
#include <string>
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

// The words of data that arrives in parts, in order; a word may run from one
// part into the next. Finish gives each word once ignoring case, in its first
// spelling, in order of appearance.
class WordStream {
 public:
  WordStream();
  ~WordStream();
  void Feed(std::string_view part);
  std::vector<std::string> Finish();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// The gauge values an extraction of size bytes shows, all at once.
void ReportExtractionProgress(std::size_t size, const ProgressSink& progress);

// Zero-based offset of the first occurrence of pattern in the file, or -1.
std::int64_t FindPatternInFile(const FileSystem& fs, const std::string& fileName,
                               std::string_view pattern, bool caseSensitive);

// Sorted lists: case-insensitive look-up; unsorted: exact byte comparison.
bool ListContains(std::string_view text, const StringList& list);

// position / size * 100 rounded to the nearest whole number, ties to even.
int RoundedPercent(std::uint64_t position, std::uint64_t size);

}  // namespace quillfen
