// The scan's file system over POSIX calls, with Windows path rules.
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <mutex>
#include <new>
#include <set>
#include <utility>

#include "FileBuffer.h"
#include "Platform.h"
#include "PosixFiles.h"
#include "PosixPaths.h"
#include "Wildcard.h"

namespace quillfen {
namespace {

using posix::UniqueFd;

std::optional<std::string> ResolveFile(const std::string& path) {
  if (posix::EndsInSeparator(path)) return std::nullopt;
  return posix::ResolveExisting(path);
}

[[noreturn]] void Fail(const std::string& what, const std::string& path, int error) {
  throw FileError(what + " '" + path + "': " + posix::ErrorText(error));
}

// Unlinked from the start: nobody else can open it, and it goes with the
// descriptor however the program ends.
class PosixTemporary final : public TemporaryFile {
 public:
  explicit PosixTemporary(UniqueFd fd) : fd_(std::move(fd)) {}

  void Append(std::string_view bytes) override {
    while (!bytes.empty()) {
      const ssize_t put = ::pwrite(fd_.Get(), bytes.data(), bytes.size(), static_cast<off_t>(size_));
      if (put < 0 && errno == EINTR) continue;
      if (put <= 0) Fail("Cannot write", "temporary file", put < 0 ? errno : ENOSPC);
      bytes.remove_prefix(static_cast<std::size_t>(put));
      size_ += static_cast<std::uint64_t>(put);
    }
  }

  void ReadAt(std::uint64_t offset, char* into, std::size_t count) const override {
    while (count > 0) {
      const ssize_t got = ::pread(fd_.Get(), into, count, static_cast<off_t>(offset));
      if (got < 0 && errno == EINTR) continue;
      if (got < 0) Fail("Cannot read", "temporary file", errno);
      if (got == 0) throw FileError("Read past the end of a temporary file");
      into += got;
      count -= static_cast<std::size_t>(got);
      offset += static_cast<std::uint64_t>(got);
    }
  }

 private:
  UniqueFd fd_;
  std::uint64_t size_ = 0;
};

class PosixReader final : public FileReader {
 public:
  PosixReader(UniqueFd fd, std::uint64_t size, std::string path)
      : fd_(std::move(fd)), size_(size), path_(std::move(path)) {}

  std::uint64_t Size() const override { return size_; }

  void Read(void* buffer, std::size_t count) override {
    auto* out = static_cast<char*>(buffer);
    while (count > 0) {
      const ssize_t got = ::pread(fd_.Get(), out, count, static_cast<off_t>(position_));
      if (got < 0 && errno == EINTR) continue;
      if (got < 0) Fail("Cannot read", path_, errno);
      if (got == 0) throw FileError("Read past the end of '" + path_ + "'");
      out += got;
      count -= static_cast<std::size_t>(got);
      position_ += static_cast<std::uint64_t>(got);
    }
  }

  void Seek(std::uint64_t position) override { position_ = position; }
  std::uint64_t Position() const override { return position_; }

 private:
  UniqueFd fd_;
  std::uint64_t size_;
  std::uint64_t position_ = 0;
  std::string path_;
};

class PosixWriter final : public FileWriter {
 public:
  PosixWriter(UniqueFd fd, std::string path) : fd_(std::move(fd)), path_(std::move(path)) {}

  void WriteAt(std::uint64_t offset, std::span<const std::string_view> parts) override {
    if (!posix::WriteAllPartsAt(fd_.Get(), offset, parts)) Fail("Cannot write", path_, errno);
  }

  void Finish(std::uint64_t size) override {
    if (size > static_cast<std::uint64_t>(std::numeric_limits<off_t>::max())) Fail("Cannot write", path_, EFBIG);
    if (::ftruncate(fd_.Get(), static_cast<off_t>(size)) != 0) Fail("Cannot write", path_, errno);
    if (::close(fd_.Release()) != 0) Fail("Cannot write", path_, errno);
  }

 private:
  UniqueFd fd_;
  std::string path_;
};

// flock() conflicts between two opens in one process too, except where a
// file system emulates it with per-process locks (NFS); this table keeps the
// exclusion within the process there.
class HeldLocks {
 public:
  bool Take(dev_t dev, ino_t ino) {
    std::lock_guard<std::mutex> guard(mutex_);
    return held_.insert({dev, ino}).second;
  }
  void Give(dev_t dev, ino_t ino) {
    std::lock_guard<std::mutex> guard(mutex_);
    held_.erase({dev, ino});
  }

 private:
  std::mutex mutex_;
  std::set<std::pair<dev_t, ino_t>> held_;
};

HeldLocks& ProcessLocks() {
  static HeldLocks locks;
  return locks;
}

class PosixLock final : public ScratchLock {
 public:
  PosixLock(UniqueFd fd, dev_t dev, ino_t ino) : fd_(std::move(fd)), dev_(dev), ino_(ino) {}
  ~PosixLock() override {
    ::flock(fd_.Get(), LOCK_UN);
    ProcessLocks().Give(dev_, ino_);
  }

 private:
  UniqueFd fd_;
  dev_t dev_;
  ino_t ino_;
};

class PosixFileSystem final : public FileSystem {
 public:
  bool FileExists(const std::string& path) const override {
    const std::optional<std::string> resolved = ResolveFile(path);
    struct stat st;
    return resolved && ::stat(resolved->c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
  }

  bool DirectoryExists(const std::string& path) const override {
    const std::optional<std::string> resolved = posix::ResolveExisting(path);
    struct stat st;
    return resolved && ::stat(resolved->c_str(), &st) == 0 && S_ISDIR(st.st_mode);
  }

  std::vector<std::string> FindFiles(const std::string& pattern) const override {
    std::string folder;
    std::vector<std::string> names;
    for (posix::ListedEntry& entry : Find(pattern, folder)) names.push_back(std::move(entry.name));
    return names;
  }

  // The folder is resolved once for all its entries, not once per entry,
  // and only entries the listing does not type are looked at one by one.
  std::vector<FoundEntry> FindEntries(const std::string& pattern) const override {
    std::string folder;
    std::vector<FoundEntry> entries;
    for (posix::ListedEntry& entry : Find(pattern, folder)) {
      bool isFolder = entry.type == DT_DIR;
      if (entry.type != DT_DIR && entry.type != DT_REG) {  // a link, or a file system that does not say
        struct stat st;
        isFolder = ::stat((folder + "/" + entry.name).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
      }
      entries.push_back({std::move(entry.name), isFolder});
    }
    return entries;
  }

  std::string LoadFile(const std::string& path) const override {
    std::string data;
    data.resize(LoadFileInto(path, data).size());
    return data;
  }

  std::string_view LoadFileInto(const std::string& path, std::string& buffer) const override {
    std::uint64_t size = 0;
    UniqueFd fd = OpenExistingFile(path, size);
    GrowBufferForFile(path, size, buffer);
    const auto want = static_cast<std::size_t>(size);
    std::size_t done = 0;
    while (done < want) {
      const ssize_t got = ::read(fd.Get(), buffer.data() + done, want - done);
      if (got < 0 && errno == EINTR) continue;
      if (got < 0) Fail("Cannot read", path, errno);
      if (got == 0) break;  // shrank while we read: keep what is there
      done += static_cast<std::size_t>(got);
    }
    return std::string_view(buffer.data(), done);
  }

  std::optional<std::uint64_t> FileSize(const std::string& path) const override {
    const std::string direct = posix::EndsInSeparator(path) ? std::string() : posix::DirectSpelling(path);
    struct stat st;
    if (direct.empty() || ::stat(direct.c_str(), &st) != 0) {
      const std::optional<std::string> resolved = ResolveFile(path);
      if (!resolved || ::stat(resolved->c_str(), &st) != 0) return std::nullopt;
    }
    if (!S_ISREG(st.st_mode)) return std::nullopt;
    return static_cast<std::uint64_t>(st.st_size);
  }

  std::unique_ptr<TemporaryFile> CreateTemporary() const override {
    const char* folder = std::getenv("TMPDIR");
    if (folder == nullptr || *folder == '\0') folder = "/tmp";
#ifdef O_TMPFILE
    UniqueFd fd(::open(folder, O_TMPFILE | O_RDWR | O_CLOEXEC, 0600));
    if (fd) return std::make_unique<PosixTemporary>(std::move(fd));
#endif
    // A file system without unnamed files: a fresh name, unlinked at once.
    std::string name = std::string(folder) + "/quillfen-XXXXXX";
    UniqueFd named(::mkostemp(name.data(), O_CLOEXEC));
    if (!named) return nullptr;
    ::unlink(name.c_str());
    return std::make_unique<PosixTemporary>(std::move(named));
  }

  void SaveFile(const std::string& path, std::string_view data) override {
    SaveFileParts(path, {data});
  }

  std::unique_ptr<FileWriter> OpenWrite(const std::string& path) override {
    // In place, not through a rename: a lock held on the file must survive.
    const std::optional<std::string> target =
        posix::EndsInSeparator(path) ? std::nullopt : posix::ResolveForCreate(path);
    if (!target) throw FileError("Cannot create '" + path + "': the folder does not exist");
    // Written over the old contents and cut to size at the end: rewriting
    // pages the cache already holds is several times faster than filling
    // new ones after a truncation, and the scratch file is rewritten often.
    UniqueFd fd(::open(target->c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666));
    if (!fd) Fail("Cannot create", path, errno);
    return std::make_unique<PosixWriter>(std::move(fd), path);
  }

  std::unique_ptr<FileReader> OpenRead(const std::string& path) const override {
    std::uint64_t size = 0;
    UniqueFd fd = OpenExistingFile(path, size);
    return std::make_unique<PosixReader>(std::move(fd), size, path);
  }

  bool DeleteFile(const std::string& path) override {
    const std::optional<std::string> resolved = ResolveFile(path);
    struct stat st;
    if (!resolved || ::lstat(resolved->c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return false;
    return ::unlink(resolved->c_str()) == 0;
  }

  bool CopyFile(const std::string& from, const std::string& to, bool failIfExists) override {
    const std::optional<std::string> source = ResolveFile(from);
    if (!source) return false;
    const std::optional<std::string> target =
        posix::EndsInSeparator(to) ? std::nullopt : posix::ResolveForCreate(to);
    if (!target) return false;
    struct stat targetStat;
    const bool targetExists = ::stat(target->c_str(), &targetStat) == 0;
    if (targetExists && (failIfExists || S_ISDIR(targetStat.st_mode))) return false;
    if (targetExists && S_ISREG(targetStat.st_mode) && !posix::MayReplace(target->c_str(), targetStat))
      return false;

    UniqueFd in(posix::OpenForReading(source->c_str()));
    struct stat sourceStat;
    if (!in || ::fstat(in.Get(), &sourceStat) != 0 || !S_ISREG(sourceStat.st_mode)) return false;

    // A file system known to lack both is written to straight away, once.
    if (failIfExists && posix::KnownWithoutLinks(*target)) return posix::CopyToNewFile(in.Get(), *target, sourceStat);
    // Into a temporary beside the target first, so that a failed copy
    // leaves no partial file under the target's name.
    std::string tempPath;
    std::optional<UniqueFd> out = posix::CreateTempBeside(*target, tempPath);
    if (!out) return false;
    const bool copied = posix::CopyAll(in.Get(), out->Get()) &&
                        posix::KeepAttributesAndSync(out->Get(), sourceStat) &&
                        ::close(out->Release()) == 0;
    posix::Placed placed = posix::Placed::kFailed;
    if (copied) {
      placed = failIfExists ? posix::RenameNoReplace(tempPath, *target) : ReplaceByRename(tempPath, *target);
    }
    if (placed != posix::Placed::kDone) ::unlink(tempPath.c_str());
    // Without a rename that refuses and without hard links, the file is
    // written straight under its name, created exclusively.
    if (placed == posix::Placed::kUnsupported) {
      posix::NoteWithoutLinks(*target);
      return posix::CopyToNewFile(in.Get(), *target, sourceStat);
    }
    return placed == posix::Placed::kDone;
  }

  bool CreateDirectory(const std::string& path) override {
    const std::optional<std::string> target = posix::ResolveForCreate(path);
    if (!target) return false;
    struct stat st;
    if (::lstat(target->c_str(), &st) == 0) return false;
    return ::mkdir(target->c_str(), 0777) == 0;
  }

  // Fresh or our own, never through a link: another user who plants a
  // link or a file under the name in a shared folder gets a refusal.
  std::unique_ptr<FileWriter> CreateScratch(const std::string& path) override {
    const std::optional<std::string> target =
        posix::EndsInSeparator(path) ? std::nullopt : posix::ResolveForCreate(path);
    if (!target) throw FileError("Cannot create '" + path + "': the folder does not exist");
    const std::string folder = posix::ParentOf(*target);
    const std::string name = target->substr(target->find_last_of('/') + 1);
    UniqueFd dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    struct stat st;
    if (!dir || ::fstat(dir.Get(), &st) != 0) Fail("Cannot create", path, errno);
    if (std::string problem = posix::ScratchFolderProblem(st); !problem.empty()) {
      throw FileError("Refused to write the scratch file '" + path + "': " + problem);
    }
    auto refuse = [&](const char* why) {
      throw FileError("Refused to write the scratch file '" + path + "': " + why);
    };
    // Our own earlier file is written over in place: pages the cache
    // already holds are rewritten several times faster than new ones.
    UniqueFd fd(::openat(dir.Get(), name.c_str(), O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    const int openError = fd ? 0 : errno;
    if (fd) {
      if (::fstat(fd.Get(), &st) != 0) Fail("Cannot create", path, errno);
      if (st.st_uid != ::geteuid()) refuse("it belongs to another user");
      if (S_ISREG(st.st_mode) && st.st_nlink == 1) return std::make_unique<PosixWriter>(std::move(fd), path);
      fd.Reset();
    } else if (openError != ENOENT) {
      // A link (ELOOP), a pipe or socket, or a folder: look at the entry itself.
      if (::fstatat(dir.Get(), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) Fail("Cannot create", path, errno);
      if (st.st_uid != ::geteuid()) refuse("another user put something under its name");
      if (S_ISDIR(st.st_mode)) refuse("a folder has its name");
    }
    // Ours but not a plain file of one name: removed, then made anew.
    if (openError != ENOENT && ::unlinkat(dir.Get(), name.c_str(), 0) != 0 && errno != ENOENT) {
      Fail("Cannot remove the old scratch file", path, errno);
    }
    fd.Reset(::openat(dir.Get(), name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (!fd) Fail("Cannot create", path, errno);
    return std::make_unique<PosixWriter>(std::move(fd), path);
  }

  // Held on the scratch file's folder: taking it creates no file, and the
  // scratch file itself can be made anew while it is held.
  std::unique_ptr<ScratchLock> LockExclusive(const std::string& path) override {
    const std::optional<std::string> target =
        posix::EndsInSeparator(path) ? std::nullopt : posix::ResolveForCreate(path);
    if (!target) return nullptr;
    UniqueFd fd(::open(posix::ParentOf(*target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    struct stat st;
    if (!fd || ::fstat(fd.Get(), &st) != 0) return nullptr;
    if (!ProcessLocks().Take(st.st_dev, st.st_ino)) return nullptr;
    if (::flock(fd.Get(), LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK) {
      ProcessLocks().Give(st.st_dev, st.st_ino);
      return nullptr;
    }
    // Other failures mean a file system that cannot lock a folder (some
    // network mounts): the exclusion within this process still holds.
    return std::make_unique<PosixLock>(std::move(fd), st.st_dev, st.st_ino);
  }

 private:
  // Entries of the pattern's folder that match its wildcard, in NTFS order;
  // resolvedFolder becomes that folder as it is spelt on disk.
  static std::vector<posix::ListedEntry> Find(const std::string& pattern, std::string& resolvedFolder) {
    const std::size_t cut = pattern.find_last_of("\\/");
    const std::string folderPart = cut == std::string::npos ? "." : pattern.substr(0, cut + 1);
    const std::string wildcard = cut == std::string::npos ? pattern : pattern.substr(cut + 1);
    if (wildcard.empty()) return {};
    const std::optional<std::string> folder = posix::ResolveExisting(folderPart);
    if (!folder) return {};
    std::optional<std::vector<posix::ListedEntry>> entries = posix::ListFolderTyped(*folder);
    if (!entries) return {};
    resolvedFolder = *folder;
    std::vector<posix::ListedEntry> found;
    if (*folder != "/") {  // NTFS lists the two links first, but not in a root folder
      for (const char* dots : {".", ".."}) {
        if (MatchesWildcard(wildcard, dots)) found.push_back({dots, DT_DIR});
      }
    }
    const std::size_t firstName = found.size();
    for (posix::ListedEntry& entry : *entries) {
      if (MatchesWildcard(wildcard, entry.name)) found.push_back(std::move(entry));
    }
    std::sort(found.begin() + static_cast<std::ptrdiff_t>(firstName), found.end(),
              [](const posix::ListedEntry& a, const posix::ListedEntry& b) { return NtfsNameLess(a.name, b.name); });
    return found;
  }

  // An existing file, not a folder, opened for reading, and its size.
  static UniqueFd OpenExistingFile(const std::string& path, std::uint64_t& size) {
    // Opened as spelt first: a game reads hundreds of files, nearly all
    // spelt as on disk, and looking each up before opening it doubles the
    // calls. Only a name not found that way is looked for ignoring case.
    const std::string direct = posix::EndsInSeparator(path) ? std::string() : posix::DirectSpelling(path);
    UniqueFd fd(direct.empty() ? -1 : posix::OpenForReading(direct.c_str()));
    if (!fd && !direct.empty() && errno != ENOENT && errno != ENOTDIR) Fail("Cannot open", path, errno);
    if (!fd) {
      const std::optional<std::string> resolved = ResolveFile(path);
      if (!resolved) throw FileError("File not found: '" + path + "'");
      fd = UniqueFd(posix::OpenForReading(resolved->c_str()));
      if (!fd) Fail("Cannot open", path, errno);
    }
    struct stat st;
    if (::fstat(fd.Get(), &st) != 0) Fail("Cannot read", path, errno);
    if (S_ISDIR(st.st_mode)) throw FileError("'" + path + "' is a folder, not a file");
    // A pipe or device under a game file's name would never end, or wait for ever.
    if (!S_ISREG(st.st_mode)) throw FileError("'" + path + "' is not a regular file");
    size = static_cast<std::uint64_t>(st.st_size);
    return fd;
  }

  static posix::Placed ReplaceByRename(const std::string& from, const std::string& to) {
    return ::rename(from.c_str(), to.c_str()) == 0 ? posix::Placed::kDone : posix::Placed::kFailed;
  }
};

}  // namespace

std::unique_ptr<FileSystem> MakeFileSystem() { return std::make_unique<PosixFileSystem>(); }

}  // namespace quillfen
