// The scan's file system over the ANSI Win32 calls.
#include "Win32Handles.h"

#include <limits>
#include <new>
#include <utility>

#include "FileBuffer.h"
#include "Platform.h"

namespace quillfen {
namespace {

using win32::ErrorText;
using win32::UniqueHandle;

// Every handle lets the others read, write and delete, so that the scratch
// lock's handle never blocks our own loads and saves of the same file.
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// Far above any data we write, so the locked byte never overlaps a read or
// write of the file itself.
constexpr DWORD kLockOffsetHigh = 0x7FFFFFFF;

[[noreturn]] void Fail(const std::string& what, const std::string& path, DWORD error) {
  throw FileError(what + " '" + path + "': " + ErrorText(error));
}

UniqueHandle OpenForReading(const std::string& path) {
  UniqueHandle file(::CreateFileA(path.c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) Fail("Cannot open", path, ::GetLastError());
  return file;
}

std::uint64_t SizeOf(HANDLE file, const std::string& path) {
  LARGE_INTEGER size;
  if (!::GetFileSizeEx(file, &size)) Fail("Cannot read", path, ::GetLastError());
  return static_cast<std::uint64_t>(size.QuadPart);
}

class Win32Writer final : public FileWriter {
 public:
  Win32Writer(UniqueHandle file, std::string path) : file_(std::move(file)), path_(std::move(path)) {}

  // Each write names its own place, so the handle's file pointer, shared
  // by the threads, does not matter.
  void WriteAt(std::uint64_t offset, std::span<const std::string_view> parts) override {
    for (std::string_view data : parts) {
      std::size_t done = 0;
      while (done < data.size()) {
        const std::size_t left = data.size() - done;
        const DWORD chunk = left > (1u << 30) ? (1u << 30) : static_cast<DWORD>(left);
        OVERLAPPED place{};
        place.Offset = static_cast<DWORD>(offset);
        place.OffsetHigh = static_cast<DWORD>(offset >> 32);
        DWORD written = 0;
        if (!::WriteFile(file_.Get(), data.data() + done, chunk, &written, &place) || written == 0) {
          Fail("Cannot write", path_, ::GetLastError());
        }
        done += written;
        offset += written;
      }
    }
  }

  void Finish(std::uint64_t size) override {
    LARGE_INTEGER end;
    end.QuadPart = static_cast<LONGLONG>(size);
    if (!::SetFilePointerEx(file_.Get(), end, nullptr, FILE_BEGIN) || !::SetEndOfFile(file_.Get())) {
      Fail("Cannot write", path_, ::GetLastError());
    }
    if (!::CloseHandle(file_.Release())) Fail("Cannot write", path_, ::GetLastError());
  }

 private:
  UniqueHandle file_;
  std::string path_;
};

class Win32Reader final : public FileReader {
 public:
  Win32Reader(UniqueHandle file, std::uint64_t size, std::string path)
      : file_(std::move(file)), size_(size), path_(std::move(path)) {}

  std::uint64_t Size() const override { return size_; }

  void Read(void* buffer, std::size_t count) override {
    auto* out = static_cast<char*>(buffer);
    while (count > 0) {
      const DWORD chunk = count > (1u << 30) ? (1u << 30) : static_cast<DWORD>(count);
      DWORD got = 0;
      if (!::ReadFile(file_.Get(), out, chunk, &got, nullptr)) {
        Fail("Cannot read", path_, ::GetLastError());
      }
      if (got == 0) throw FileError("Read past the end of '" + path_ + "'");
      out += got;
      count -= got;
      position_ += got;
    }
  }

  void Seek(std::uint64_t position) override {
    LARGE_INTEGER to;
    to.QuadPart = static_cast<LONGLONG>(position);
    if (!::SetFilePointerEx(file_.Get(), to, nullptr, FILE_BEGIN)) {
      Fail("Cannot seek in", path_, ::GetLastError());
    }
    position_ = position;
  }

  std::uint64_t Position() const override { return position_; }

 private:
  UniqueHandle file_;
  std::uint64_t size_;
  std::uint64_t position_ = 0;
  std::string path_;
};

// A reparse point (a symbolic link or junction) under a scratch file's name
// is refused: writing through it would change some other file.
bool IsReparsePoint(HANDLE file, const std::string& path) {
  BY_HANDLE_FILE_INFORMATION info;
  if (!::GetFileInformationByHandle(file, &info)) Fail("Cannot read", path, ::GetLastError());
  return (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

UniqueHandle OpenScratch(const std::string& path, DWORD access, bool& created) {
  UniqueHandle file(::CreateFileA(path.c_str(), access, kShareAll, nullptr, OPEN_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  created = file && ::GetLastError() != ERROR_ALREADY_EXISTS;
  return file;
}

class Win32Lock final : public ScratchLock {
 public:
  Win32Lock(UniqueHandle file, std::string path, bool created)
      : file_(std::move(file)), path_(std::move(path)), created_(created) {}
  ~Win32Lock() override {
    OVERLAPPED at{};
    at.OffsetHigh = kLockOffsetHigh;
    ::UnlockFileEx(file_.Get(), 0, 1, 0, &at);
    // A lock that made the file and saw nothing written into it leaves none.
    LARGE_INTEGER size;
    if (created_ && ::GetFileSizeEx(file_.Get(), &size) && size.QuadPart == 0) ::DeleteFileA(path_.c_str());
  }

 private:
  UniqueHandle file_;
  std::string path_;
  bool created_;
};

// Deleted when its handle closes, however the program ends; nobody else
// may open it meanwhile.
class Win32Temporary final : public TemporaryFile {
 public:
  explicit Win32Temporary(UniqueHandle file) : file_(std::move(file)) {}

  void Append(std::string_view bytes) override {
    while (!bytes.empty()) {
      const DWORD chunk = bytes.size() > (1u << 30) ? (1u << 30) : static_cast<DWORD>(bytes.size());
      OVERLAPPED place{};
      place.Offset = static_cast<DWORD>(size_);
      place.OffsetHigh = static_cast<DWORD>(size_ >> 32);
      DWORD written = 0;
      if (!::WriteFile(file_.Get(), bytes.data(), chunk, &written, &place) || written == 0) {
        Fail("Cannot write", "temporary file", ::GetLastError());
      }
      bytes.remove_prefix(written);
      size_ += written;
    }
  }

  // Each read names its own place, so threads may read at once.
  void ReadAt(std::uint64_t offset, char* into, std::size_t count) const override {
    while (count > 0) {
      const DWORD chunk = count > (1u << 30) ? (1u << 30) : static_cast<DWORD>(count);
      OVERLAPPED place{};
      place.Offset = static_cast<DWORD>(offset);
      place.OffsetHigh = static_cast<DWORD>(offset >> 32);
      DWORD got = 0;
      if (!::ReadFile(file_.Get(), into, chunk, &got, &place)) Fail("Cannot read", "temporary file", ::GetLastError());
      if (got == 0) throw FileError("Read past the end of a temporary file");
      into += got;
      count -= got;
      offset += got;
    }
  }

 private:
  UniqueHandle file_;
  std::uint64_t size_ = 0;
};

class Win32FileSystem final : public FileSystem {
 public:
  std::optional<std::uint64_t> FileSize(const std::string& path) const override {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
      return std::nullopt;
    }
    return (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  }

  std::unique_ptr<TemporaryFile> CreateTemporary() const override {
    char folder[MAX_PATH + 1];
    const DWORD length = ::GetTempPathA(MAX_PATH + 1, folder);
    if (length == 0 || length > MAX_PATH) return nullptr;
    char name[MAX_PATH];
    // Makes the file under a name nobody had: a planted one is never opened.
    if (::GetTempFileNameA(folder, "qf", 0, name) == 0) return nullptr;
    UniqueHandle file(::CreateFileA(name, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE | FILE_FLAG_OPEN_REPARSE_POINT,
                                    nullptr));
    if (!file) {
      ::DeleteFileA(name);
      return nullptr;
    }
    return std::make_unique<Win32Temporary>(std::move(file));
  }

  bool FileExists(const std::string& path) const override {
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
  }

  bool DirectoryExists(const std::string& path) const override {
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
  }

  std::vector<std::string> FindFiles(const std::string& pattern) const override {
    std::vector<std::string> names;
    WIN32_FIND_DATAA data;
    HANDLE find = ::FindFirstFileA(pattern.c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return names;
    do {
      names.emplace_back(data.cFileName);
    } while (::FindNextFileA(find, &data));
    ::FindClose(find);
    return names;
  }

  std::string LoadFile(const std::string& path) const override {
    std::string data;
    data.resize(LoadFileInto(path, data).size());
    return data;
  }

  std::string_view LoadFileInto(const std::string& path, std::string& buffer) const override {
    UniqueHandle file = OpenForReading(path);
    const std::uint64_t size = SizeOf(file.Get(), path);
    GrowBufferForFile(path, size, buffer);
    const auto want = static_cast<std::size_t>(size);
    std::size_t done = 0;
    while (done < want) {
      const std::size_t left = want - done;
      const DWORD chunk = left > (1u << 30) ? (1u << 30) : static_cast<DWORD>(left);
      DWORD got = 0;
      if (!::ReadFile(file.Get(), buffer.data() + done, chunk, &got, nullptr)) {
        Fail("Cannot read", path, ::GetLastError());
      }
      if (got == 0) break;  // shrank while we read: keep what is there
      done += got;
    }
    return std::string_view(buffer.data(), done);
  }

  void SaveFile(const std::string& path, std::string_view data) override {
    SaveFileParts(path, {data});
  }

  std::unique_ptr<FileWriter> OpenWrite(const std::string& path) override {
    UniqueHandle file(::CreateFileA(path.c_str(), GENERIC_WRITE, kShareAll, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) Fail("Cannot create", path, ::GetLastError());
    return std::make_unique<Win32Writer>(std::move(file), path);
  }

  std::unique_ptr<FileReader> OpenRead(const std::string& path) const override {
    UniqueHandle file = OpenForReading(path);
    const std::uint64_t size = SizeOf(file.Get(), path);
    return std::make_unique<Win32Reader>(std::move(file), size, path);
  }

  bool DeleteFile(const std::string& path) override { return ::DeleteFileA(path.c_str()) != 0; }

  bool CopyFile(const std::string& from, const std::string& to, bool failIfExists) override {
    return ::CopyFileA(from.c_str(), to.c_str(), failIfExists ? TRUE : FALSE) != 0;
  }

  bool CreateDirectory(const std::string& path) override {
    return ::CreateDirectoryA(path.c_str(), nullptr) != 0;
  }

  // Written in place over the old contents (the lock holds this very file);
  // Finish cuts it to size.
  std::unique_ptr<FileWriter> CreateScratch(const std::string& path) override {
    bool created = false;
    UniqueHandle file = OpenScratch(path, GENERIC_WRITE, created);
    if (!file) Fail("Cannot create", path, ::GetLastError());
    if (IsReparsePoint(file.Get(), path)) {
      throw FileError("Refused to write the scratch file '" + path + "': it is a link to elsewhere");
    }
    return std::make_unique<Win32Writer>(std::move(file), path);
  }

  std::unique_ptr<ScratchLock> LockExclusive(const std::string& path) override {
    bool created = false;
    UniqueHandle file = OpenScratch(path, GENERIC_READ | GENERIC_WRITE, created);
    if (!file) return nullptr;
    try {
      if (IsReparsePoint(file.Get(), path)) return nullptr;
    } catch (const FileError&) {
      return nullptr;
    }
    OVERLAPPED at{};
    at.OffsetHigh = kLockOffsetHigh;
    if (!::LockFileEx(file.Get(), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0,
                      &at)) {
      return nullptr;
    }
    return std::make_unique<Win32Lock>(std::move(file), path, created);
  }
};

}  // namespace

std::unique_ptr<FileSystem> MakeFileSystem() { return std::make_unique<Win32FileSystem>(); }

}  // namespace quillfen
