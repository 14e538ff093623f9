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

// CutMarkedRuns over one input that comes in consecutive chunks, each cut
// as it comes, so that no more than a chunk of it need be held. A run can
// take back bytes kept before it, also from earlier chunks: the last kept
// bytes of each chunk but the input's last are held back (up to hold of
// them) and go on at the start of the next chunk.
class MarkedRunCutter {
 public:
  // size: the whole input's; hold: at least 2.
  MarkedRunCutter(std::uint64_t size, std::size_t hold);

  // Writable bytes that each chunk needs in front of it.
  std::size_t Room() const { return hold_ + 1; }

  // Cuts the input's next count bytes, at chunk, after writing what the
  // chunk before carries over into the Room() bytes in front of it. Appends
  // to kept the spans that are final, in [chunk - Room(), chunk + count):
  // together those of every chunk are what CutMarkedRuns gives for the whole
  // input. Raises ReadError as it does. False when a run took back more than
  // was held: the input must then be cut whole.
  bool Cut(char* chunk, std::size_t count, std::vector<std::string_view>& kept);

 private:
  enum class Phase : unsigned char { kNone, kSkip, kLength, kCheck };

  friend void CutMarkedRuns(std::string_view input, std::vector<std::string_view>& kept);
  bool Run(const char* data, std::size_t size, std::size_t read, std::vector<std::string_view>& kept,
           std::size_t& local, std::size_t& unread);
  static bool QuickRun(const char* data, std::size_t size, std::size_t& cursor);
  bool ParseRun(const char* data, std::size_t size, std::size_t& cursor);

  std::uint64_t size_;
  std::uint64_t seen_ = 0;  // bytes of the input given so far
  std::uint64_t kept_ = 0;  // bytes kept so far, passed on or held
  std::size_t hold_;
  // Where a run that the chunk's end cut short goes on.
  Phase phase_ = Phase::kNone;
  Phase afterSkip_ = Phase::kNone;
  std::size_t skip_ = 0;
  // For the next chunk: the held bytes (carryKept_ of them), then at most
  // one byte that a run had yet to look at.
  std::string carry_;
  std::size_t carryKept_ = 0;
  unsigned char lastPassed_ = 0;  // the last kept byte passed on
};

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

// Receives the cleaned data once it is written, piece by piece: each
// input file whole, or in consecutive chunks (see BuildOptions::restart),
// with the hand that passes it (kHelperHand or kBuildHand) and its place
// among the pieces (0, 1, ...). Pieces come one at a time and in order,
// by either hand. What it raises fails the build.
using PartReceiver = std::function<void(int hand, std::size_t piece, const CleanedFile& file)>;
inline constexpr int kHelperHand = 0;
inline constexpr int kBuildHand = 1;

struct BuildOptions {
  std::string scratchFolder;                      // ends in a separator
  std::function<void(std::string_view)> status;  // "Building ..." texts
  PartReceiver part;
  // Whether the returned buffer keeps the data. Without it, memory is
  // reused once the part's receiver drops a piece, and the build waits when
  // it runs far ahead of the receiver.
  bool keep = true;
  // Without keep, files are read and passed on in chunks, so that about a
  // chunk of each is held at once, if the part's receiver (if any) can start
  // over: a file whose runs take back more than a chunk holds back makes
  // the build start again from the first piece with whole files, after
  // calling this. Without it, files are passed on whole.
  std::function<void()> restart = {};
  std::size_t chunkBytes = 0;  // how much a chunk reads; 0 for the default
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
