#include "PosixFiles.h"

#include <fcntl.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <utility>

#include "PosixPaths.h"

namespace quillfen::posix {

std::string ErrorText(int error) { return std::strerror(error); }

UniqueFd::~UniqueFd() { Reset(); }

void UniqueFd::Reset(int fd) {
  if (fd_ >= 0) ::close(fd_);
  fd_ = fd;
}

int UniqueFd::Release() { return std::exchange(fd_, -1); }

bool WriteAll(int fd, const char* data, std::size_t size) {
  while (size > 0) {
    const ssize_t written = ::write(fd, data, size);
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (written == 0) {
      errno = EIO;
      return false;
    }
    data += written;
    size -= static_cast<std::size_t>(written);
  }
  return true;
}

std::optional<UniqueFd> CreateTempBeside(const std::string& target, std::string& tempPath) {
  std::string pattern = ParentOf(target) + "/.~qf-XXXXXX";
  if (ParentOf(target) == "/") pattern = "/.~qf-XXXXXX";
  const int fd = ::mkostemp(pattern.data(), O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  tempPath = pattern;
  return UniqueFd(fd);
}

bool RenameNoReplace(const std::string& from, const std::string& to) {
#ifdef SYS_renameat2
  if (::syscall(SYS_renameat2, AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), 1u /* NOREPLACE */) ==
      0) {
    return true;
  }
  if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP && errno != EOPNOTSUPP) return false;
#endif
  // Fallback where the file system lacks it: a hard link refuses an existing target.
  if (::link(from.c_str(), to.c_str()) != 0) return false;
  ::unlink(from.c_str());
  return true;
}

}  // namespace quillfen::posix
