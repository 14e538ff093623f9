#include "PosixFiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/uio.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <mutex>
#include <new>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <limits>
#include <optional>
#include <set>
#include <string>
#include <utility>

#include "PosixPaths.h"

namespace quillfen::posix {

static_assert(sizeof(off_t) == 8, "offsets in the scratch file pass 4 GiB");

std::string ErrorText(int error) { return std::strerror(error); }

UniqueFd::~UniqueFd() { Reset(); }

void UniqueFd::Reset(int fd) {
  if (fd_ >= 0) ::close(fd_);
  fd_ = fd;
}

int UniqueFd::Release() { return std::exchange(fd_, -1); }

bool WriteAll(int fd, const char* data, std::size_t size) {
  const std::string_view part(data, size);
  return WriteAllParts(fd, std::span(&part, 1));
}

namespace {

// Both writers: at the file position (offset < 0) or at offset and on.
bool WritePartsFrom(int fd, std::int64_t offset, std::span<const std::string_view> parts) {
  constexpr std::size_t kBatch = 512;                 // well under IOV_MAX
  constexpr std::size_t kMostBytes = std::size_t{1} << 30;  // below what one call may write
  iovec batch[kBatch];
  std::size_t next = 0;  // the first part not yet written whole
  std::size_t skip = 0;  // bytes of parts[next] already written
  while (next < parts.size()) {
    std::size_t count = 0;
    std::size_t bytes = 0;
    for (std::size_t i = next; i < parts.size() && count < kBatch && bytes < kMostBytes; ++i) {
      const std::size_t offset = i == next ? skip : 0;
      if (parts[i].size() == offset) continue;
      batch[count].iov_base = const_cast<char*>(parts[i].data() + offset);
      batch[count].iov_len = std::min(parts[i].size() - offset, kMostBytes - bytes);
      bytes += batch[count].iov_len;
      ++count;
    }
    ssize_t written = 0;
    if (count > 0) {
      written = offset < 0 ? ::writev(fd, batch, static_cast<int>(count))
                           : ::pwritev(fd, batch, static_cast<int>(count), static_cast<off_t>(offset));
      if (written < 0) {
        if (errno == EINTR) continue;
        return false;
      }
      if (written == 0) {
        errno = EIO;
        return false;
      }
    }
    if (offset >= 0) offset += written;
    // Step over what went out, part by part.
    auto left = static_cast<std::size_t>(written);
    while (next < parts.size() && left >= parts[next].size() - skip) {
      left -= parts[next].size() - skip;
      ++next;
      skip = 0;
    }
    skip += left;
  }
  return true;
}

}  // namespace

bool WriteAllParts(int fd, std::span<const std::string_view> parts) { return WritePartsFrom(fd, -1, parts); }

bool WriteAllPartsAt(int fd, std::uint64_t offset, std::span<const std::string_view> parts) {
  if (offset > static_cast<std::uint64_t>(std::numeric_limits<off_t>::max())) {
    errno = EFBIG;
    return false;
  }
  return WritePartsFrom(fd, static_cast<std::int64_t>(offset), parts);
}

std::optional<UniqueFd> CreateTempBeside(const std::string& target, std::string& tempPath) {
  std::string pattern = ParentOf(target) + "/.~qf-XXXXXX";
  if (ParentOf(target) == "/") pattern = "/.~qf-XXXXXX";
  const int fd = ::mkostemp(pattern.data(), O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  tempPath = pattern;
  return UniqueFd(fd);
}

namespace {

std::atomic<bool> withoutLinks{false};

bool MeansUnsupported(int error) {
  return error == EPERM || error == ENOSYS || error == ENOTSUP || error == EOPNOTSUPP ||
         error == EINVAL;
}

// Devices found without a no-replace rename and hard links.
std::mutex withoutLinksLock;
std::set<dev_t> devicesWithoutLinks;

std::optional<dev_t> FolderDevice(const std::string& target) {
  const std::size_t slash = target.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : target.substr(0, slash);
  struct stat st;
  if (::stat(folder.c_str(), &st) != 0) return std::nullopt;
  return st.st_dev;
}

}  // namespace

void SimulateFileSystemWithoutLinks(bool on) {
  withoutLinks = on;
  const std::lock_guard<std::mutex> hold(withoutLinksLock);
  devicesWithoutLinks.clear();  // what the switch made them look like
}

bool KnownWithoutLinks(const std::string& target) {
  const std::optional<dev_t> device = FolderDevice(target);
  if (!device) return false;
  const std::lock_guard<std::mutex> hold(withoutLinksLock);
  return devicesWithoutLinks.count(*device) != 0;
}

void NoteWithoutLinks(const std::string& target) {
  const std::optional<dev_t> device = FolderDevice(target);
  if (!device) return;
  const std::lock_guard<std::mutex> hold(withoutLinksLock);
  devicesWithoutLinks.insert(*device);
}

Placed RenameNoReplace(const std::string& from, const std::string& to) {
  if (withoutLinks) return Placed::kUnsupported;
#ifdef SYS_renameat2
  if (::syscall(SYS_renameat2, AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), 1u /* NOREPLACE */) ==
      0) {
    return Placed::kDone;
  }
  if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP && errno != EOPNOTSUPP) return Placed::kFailed;
#endif
  // Where the file system lacks it: a hard link refuses an existing target.
  if (::link(from.c_str(), to.c_str()) == 0) {
    ::unlink(from.c_str());
    return Placed::kDone;
  }
  return MeansUnsupported(errno) ? Placed::kUnsupported : Placed::kFailed;
}

bool CopyAll(int in, int out) {
  constexpr std::size_t kChunk = 1 << 16;
  std::unique_ptr<char[]> buffer(new (std::nothrow) char[kChunk]);
  if (!buffer) {
    errno = ENOMEM;
    return false;
  }
  while (true) {
    const ssize_t got = ::read(in, buffer.get(), kChunk);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return false;
    if (got == 0) return true;
    if (!WriteAll(out, buffer.get(), static_cast<std::size_t>(got))) return false;
  }
}

bool KeepAttributesAndSync(int out, const struct stat& source) {
  ::fchmod(out, source.st_mode & 0777);
  const struct timespec times[2] = {source.st_atim, source.st_mtim};
  ::futimens(out, times);
  return ::fsync(out) == 0;
}

bool CopyToNewFile(int in, const std::string& target, const struct stat& source) {
  UniqueFd out(::open(target.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
  struct stat created;
  if (!out) return false;
  if (::fstat(out.Get(), &created) != 0) {
    const int error = errno;
    ::unlink(target.c_str());  // just made by O_EXCL, and nothing else could take its name
    errno = error;
    return false;
  }
  bool ok = ::lseek(in, 0, SEEK_SET) == 0 && CopyAll(in, out.Get()) &&
            KeepAttributesAndSync(out.Get(), source);
  ok = ::close(out.Release()) == 0 && ok;
  if (ok) return true;
  const int error = errno;
  // Only the file this copy made goes, even if its name was taken over since.
  struct stat now;
  if (::lstat(target.c_str(), &now) == 0 && now.st_dev == created.st_dev && now.st_ino == created.st_ino) {
    ::unlink(target.c_str());
  }
  errno = error;
  return false;
}

std::string ScratchFolderProblem(const struct stat& folder) {
  if (!S_ISDIR(folder.st_mode)) return "it is not a folder";
  if (folder.st_uid != ::geteuid() && folder.st_uid != 0) return "it belongs to another user";
  const bool othersWrite = (folder.st_mode & S_IWOTH) != 0 ||
                           ((folder.st_mode & S_IWGRP) != 0 && folder.st_gid != ::getegid());
  if (othersWrite && (folder.st_mode & S_ISVTX) == 0) {
    return "other users may write into it and it lacks the sticky bit";
  }
  return {};
}

int OpenForReading(const char* path) { return ::open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK); }

bool MayReplace(const char* path, const struct stat& st) {
  if ((st.st_mode & 0222) == 0) return false;
  UniqueFd probe(::open(path, O_WRONLY | O_CLOEXEC | O_NONBLOCK));
  return static_cast<bool>(probe);
}

}  // namespace quillfen::posix
