// The file system as the scan sees it. Paths are Windows-style text: folders
// end in a backslash and are joined by concatenation; on POSIX both "\" and
// "/" separate components and every component is matched without regard to
// letter case, as on Windows.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace quillfen {

// Raised by any file operation that the scan cannot go on without.
class FileError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Byte-wise reading with seek.
class FileReader {
 public:
  virtual ~FileReader() = default;
  virtual std::uint64_t Size() const = 0;
  // Reads exactly count bytes or raises FileError.
  virtual void Read(void* buffer, std::size_t count) = 0;
  virtual void Seek(std::uint64_t position) = 0;
  virtual std::uint64_t Position() const = 0;
};

// Writing a file anew, replacing what it held, piece by piece at each
// piece's own place.
class FileWriter {
 public:
  virtual ~FileWriter() = default;
  // Each raises FileError.
  // Writes the parts one after another from offset on. Calls for places
  // that do not overlap may come from two threads at once.
  virtual void WriteAt(std::uint64_t offset, std::span<const std::string_view> parts) = 0;
  // Ends the file at size bytes, once every write has returned. A writer
  // dropped without it leaves a file that may still hold old bytes.
  virtual void Finish(std::uint64_t size) = 0;
};

// An unnamed file for data too big to keep in memory; it is gone when
// dropped, and nobody else can open it.
class TemporaryFile {
 public:
  virtual ~TemporaryFile() = default;
  // Adds bytes at the end; FileError when they cannot be written.
  virtual void Append(std::string_view bytes) = 0;
  // Reads exactly count bytes from offset, or raises FileError. Calls may
  // come from several threads at once once writing has ended.
  virtual void ReadAt(std::uint64_t offset, char* into, std::size_t count) const = 0;
};

// Held while a scan owns its scratch files; released by destruction.
class ScratchLock {
 public:
  virtual ~ScratchLock() = default;
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;

  virtual bool FileExists(const std::string& path) const = 0;
  virtual bool DirectoryExists(const std::string& path) const = 0;

  // Entries of one folder matching the wildcard of the last component
  // ("*.lmu", "*.*"), any attributes, names as stored on disk, in the
  // platform's enumeration order ("." and ".." as the platform lists them).
  // A folder that is missing or cannot be listed yields no entries.
  virtual std::vector<std::string> FindFiles(const std::string& pattern) const = 0;
  // The same entries, each with whether it is a folder. By default each
  // entry is asked after; a platform that learns it while listing says so.
  struct FoundEntry {
    std::string name;
    bool folder = false;
  };
  virtual std::vector<FoundEntry> FindEntries(const std::string& pattern) const;

  // Whole-file load and save; save replaces an existing file. Both raise
  // FileError (also when the file is too large to hold in memory).
  virtual std::string LoadFile(const std::string& path) const = 0;
  // The same into buffer, whose memory serves file after file: a reader of
  // hundreds of files spares an allocation, and the first touch of fresh
  // memory, per file. The bytes returned live in buffer.
  virtual std::string_view LoadFileInto(const std::string& path, std::string& buffer) const {
    buffer = LoadFile(path);
    return buffer;
  }
  virtual void SaveFile(const std::string& path, std::string_view data) = 0;
  // The same with the data given as consecutive parts.
  void SaveFileParts(const std::string& path, const std::vector<std::string_view>& parts) {
    std::unique_ptr<FileWriter> file = OpenWrite(path);
    std::uint64_t size = 0;
    for (std::string_view part : parts) size += part.size();
    file->WriteAt(0, parts);
    file->Finish(size);
  }

  virtual std::unique_ptr<FileReader> OpenRead(const std::string& path) const = 0;
  // By default the parts are gathered and saved at the end.
  virtual std::unique_ptr<FileWriter> OpenWrite(const std::string& path);
  // A scratch file to write: never through a link, never into a file that
  // is not our own, in a folder others cannot meddle with; FileError saying
  // why otherwise. By default the same as OpenWrite.
  virtual std::unique_ptr<FileWriter> CreateScratch(const std::string& path) { return OpenWrite(path); }

  // A file's size; nullopt when it is not there or cannot be read. By
  // default the file is opened for it.
  virtual std::optional<std::uint64_t> FileSize(const std::string& path) const;
  // A temporary file in the user's own temporary folder; nullptr when none
  // can be made. By default it is held in memory.
  virtual std::unique_ptr<TemporaryFile> CreateTemporary() const;

  // These report failure by their result, as the Win32 calls do.
  virtual bool DeleteFile(const std::string& path) = 0;
  virtual bool CopyFile(const std::string& from, const std::string& to, bool failIfExists) = 0;
  virtual bool CreateDirectory(const std::string& path) = 0;

  // Exclusive hold on a scratch file against other processes and other
  // scans in this one; nullptr when someone else holds it. The file itself
  // stays readable and writable through the other operations. Where the
  // platform can, the hold is on the file's folder and creates no file.
  virtual std::unique_ptr<ScratchLock> LockExclusive(const std::string& path) = 0;
};

inline std::vector<FileSystem::FoundEntry> FileSystem::FindEntries(const std::string& pattern) const {
  const std::size_t cut = pattern.find_last_of("\\/");
  const std::string folder = cut == std::string::npos ? std::string() : pattern.substr(0, cut + 1);
  std::vector<FoundEntry> entries;
  for (std::string& name : FindFiles(pattern)) {
    const bool isFolder = name == "." || name == ".." || DirectoryExists(folder + name);
    entries.push_back({std::move(name), isFolder});
  }
  return entries;
}

inline std::optional<std::uint64_t> FileSystem::FileSize(const std::string& path) const {
  try {
    return OpenRead(path)->Size();
  } catch (const FileError&) {
    return std::nullopt;
  }
}

// A temporary file held in memory: where no file can be had, or where the
// one there was could not take more.
class MemoryTemporaryFile final : public TemporaryFile {
 public:
  void Append(std::string_view bytes) override { data_.append(bytes); }
  void ReadAt(std::uint64_t offset, char* into, std::size_t count) const override {
    if (offset > data_.size() || data_.size() - offset < count) {
      throw FileError("Cannot read past the end of a temporary file");
    }
    data_.copy(into, count, static_cast<std::size_t>(offset));
  }

 private:
  std::string data_;
};

inline std::unique_ptr<TemporaryFile> FileSystem::CreateTemporary() const {
  return std::make_unique<MemoryTemporaryFile>();
}

inline std::unique_ptr<FileWriter> FileSystem::OpenWrite(const std::string& path) {
  class Gathering final : public FileWriter {
   public:
    Gathering(FileSystem& fs, std::string path) : fs_(fs), path_(std::move(path)) {}
    void WriteAt(std::uint64_t offset, std::span<const std::string_view> parts) override {
      std::lock_guard<std::mutex> lock(mutex_);
      for (std::string_view part : parts) {
        const std::size_t at = static_cast<std::size_t>(offset);
        if (data_.size() < at + part.size()) data_.resize(at + part.size());
        data_.replace(at, part.size(), part);
        offset += part.size();
      }
    }
    void Finish(std::uint64_t size) override {
      data_.resize(static_cast<std::size_t>(size));
      fs_.SaveFile(path_, data_);
    }

   private:
    FileSystem& fs_;
    std::string path_;
    std::mutex mutex_;
    std::string data_;
  };
  return std::make_unique<Gathering>(*this, path);
}

}  // namespace quillfen
