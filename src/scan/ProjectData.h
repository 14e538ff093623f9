// The first stage: the project's database files, with marked records cut
// out, joined into the scratch file "~prtmp.buf".
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "FileSystem.h"

namespace quillfen {

// Raised when a marked run cannot be read (a marker at offset 0, or a
// length that reaches past the end of the data).
class ReadError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

inline constexpr char kProjectDataFile[] = "~prtmp.buf";
inline constexpr char kWorkFile[] = "~temp.buf";

// Removes every marked run (0xCE 0x7E message records and their 0x81 0x9D
// continuation lines) in one pass, with the result of removing the first
// one and searching again from the start until none is left. Raises ReadError.
void StripMarkers(std::string& data);
// The same over size bytes in place; returns the size that remains.
std::size_t StripMarkers(char* data, std::size_t size);
// The same without moving a byte: appends to kept the spans of input that
// remain, in order.
void CutMarkedRuns(std::string_view input, std::vector<std::string_view>& kept);

// One input file's cleaned data: spans of a block that lives as long as
// someone holds it.
struct CleanedFile {
  std::shared_ptr<const char> block;
  std::vector<std::string_view> spans;
};

// The joined project data as spans of one block per input file. Nothing
// moves while more is added.
class ProjectDataBuffer {
 public:
  // 64-bit on every target: data that is not kept can pass 4 GiB.
  std::uint64_t Size() const { return size_; }
  // Empty when the build did not keep the data.
  const std::vector<std::string_view>& Parts() const { return parts_; }
  std::string Joined() const;
  void Release();

  void Add(const CleanedFile& file, bool keep);

 private:
  std::vector<std::shared_ptr<const char>> blocks_;
  std::vector<std::string_view> parts_;
  std::uint64_t size_ = 0;
};

// Receives each cleaned file once it is written: the hand that passes it
// (kHelperHand or kBuildHand) and its place among the files (0, 1, ...).
// The two hands may pass files at the same time, each its own in order;
// which file comes by which hand depends on timing. What it raises fails
// the build.
using PartReceiver = std::function<void(int hand, std::size_t piece, const CleanedFile& file)>;
inline constexpr int kHelperHand = 0;
inline constexpr int kBuildHand = 1;

struct BuildOptions {
  std::string scratchFolder;                      // ends in a separator
  std::function<void(std::string_view)> status;  // "Building ..." texts
  PartReceiver part;
  // Whether the returned buffer keeps the data. Without it, memory is
  // reused once the part's receiver drops a file, and the build waits when
  // it runs far ahead of the receiver.
  bool keep = true;
};

// Builds "~prtmp.buf" in the scratch folder from projectFolder (ending in a
// backslash), file by file, and returns its contents. Raises FileError or
// ReadError; a failure after the first input has been read removes the
// scratch file instead of leaving part of it.
ProjectDataBuffer BuildProjectData(FileSystem& fs, const std::string& projectFolder,
                                   const BuildOptions& options);
// The same into a buffer the caller holds, so that the spans handed to the
// part callback stay valid also when the build fails.
void BuildProjectData(FileSystem& fs, const std::string& projectFolder, const BuildOptions& options,
                      ProjectDataBuffer& joined);

}  // namespace quillfen
