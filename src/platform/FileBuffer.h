// Memory for a whole file, or a FileError that says why there is none.
#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <new>
#include <stdexcept>
#include <string>

#include "FileSystem.h"

namespace quillfen {

// Makes data hold at least size bytes; it never shrinks, so that a buffer
// used for file after file is allocated (and its memory first touched) once.
inline void GrowBufferForFile(const std::string& path, std::uint64_t size, std::string& data) {
  if (size > static_cast<std::uint64_t>(std::numeric_limits<std::ptrdiff_t>::max()) ||
      size >= data.max_size()) {
    throw FileError("The file '" + path + "' is too large to load into memory");
  }
  if (size <= data.size()) return;
  try {
    data.resize(static_cast<std::size_t>(size));
  } catch (const std::bad_alloc&) {
    throw FileError("Not enough memory to load the file '" + path + "'");
  } catch (const std::length_error&) {
    throw FileError("The file '" + path + "' is too large to load into memory");
  }
}

inline std::string BufferForFile(const std::string& path, std::uint64_t size) {
  std::string data;
  GrowBufferForFile(path, size, data);
  return data;
}

}  // namespace quillfen
