// The first stage: the project's database files, with marked records cut
// out, joined into the scratch file "~prtmp.buf".
#pragma once

#include <functional>
#include <memory>
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

// The joined project data, one block per input file: each block is filled
// once in place, and the parts stay where they are while more are added.
class ProjectDataBuffer {
 public:
  std::size_t Size() const { return size_; }
  const std::vector<std::string_view>& Parts() const { return parts_; }
  std::string Joined() const;
  void Release();

  // A new block of capacity bytes; Commit says how many of them hold data.
  char* Add(std::size_t capacity);
  std::string_view Commit(std::size_t size);

 private:
  std::vector<std::unique_ptr<char[]>> blocks_;
  std::vector<std::string_view> parts_;
  std::size_t size_ = 0;
};

struct BuildOptions {
  std::string scratchFolder;                      // ends in a separator
  std::function<void(std::string_view)> status;  // "Building ..." texts
  // Each cleaned file's data, in order, as soon as it is ready; it stays
  // valid as long as the returned buffer.
  std::function<void(std::string_view)> part;
};

// Builds "~prtmp.buf" in the scratch folder from projectFolder (ending in a
// backslash) and returns its contents. Raises FileError or ReadError.
ProjectDataBuffer BuildProjectData(FileSystem& fs, const std::string& projectFolder,
                             const BuildOptions& options);

}  // namespace quillfen
