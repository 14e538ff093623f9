// Where the program runs from and where its scratch files go.
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>

#include "Platform.h"
#include "ScratchFolder.h"
#include "PosixFiles.h"
#include "PosixPaths.h"

namespace quillfen {
namespace scratch {

std::string WithSeparator(std::string folder) {
  if (folder.empty() || (folder.back() != '/' && folder.back() != '\\')) folder += '/';
  return folder;
}

bool MakeFolders(const std::string& folder, std::string& error) {
  if (posix::ResolveExisting(folder)) return true;
  std::string path;
  for (std::size_t pos = 0; pos <= folder.size(); ++pos) {
    if (pos < folder.size() && folder[pos] != '/' && folder[pos] != '\\') continue;
    path = folder.substr(0, pos);
    if (path.empty() || posix::ResolveExisting(path)) continue;
    const std::optional<std::string> target = posix::ResolveForCreate(path);
    if (!target || (::mkdir(target->c_str(), 0777) != 0 && errno != EEXIST)) {
      error = posix::ErrorText(errno);
      return false;
    }
  }
  return true;
}

// A real try, since root, read-only mounts and ACLs all defeat access().
bool CanWriteIn(const std::string& folder, std::string& error) {
  const std::optional<std::string> resolved = posix::ResolveExisting(folder);
  struct stat st;
  if (!resolved || ::stat(resolved->c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
    error = posix::ErrorText(ENOENT);
    return false;
  }
  std::string probe;
  std::optional<posix::UniqueFd> fd = posix::CreateTempBeside(*resolved + "/probe", probe);
  if (!fd) {
    error = posix::ErrorText(errno);
    return false;
  }
  ::unlink(probe.c_str());
  return true;
}

std::string SafetyProblem(const std::string& folder) {
  const std::optional<std::string> resolved = posix::ResolveExisting(folder);
  struct stat st;
  if (!resolved || ::stat(resolved->c_str(), &st) != 0) return posix::ErrorText(ENOENT);
  return posix::ScratchFolderProblem(st);
}

bool MakePrivateFolder(const std::string& folder, std::string& error) {
  std::string trimmed = folder;
  while (trimmed.size() > 1 && trimmed.back() == '/') trimmed.pop_back();
  const std::size_t slash = trimmed.find_last_of('/');
  if (slash != std::string::npos && slash > 0 && !MakeFolders(trimmed.substr(0, slash + 1), error)) return false;
  if (::mkdir(trimmed.c_str(), 0700) != 0 && errno != EEXIST) {
    error = posix::ErrorText(errno);
    return false;
  }
  // The folder itself, not what a link planted under its name points at.
  posix::UniqueFd fd(::open(trimmed.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
  struct stat st;
  if (!fd || ::fstat(fd.Get(), &st) != 0) {
    error = errno == ELOOP || errno == ENOTDIR ? "'" + trimmed + "' is not a folder of its own"
                                               : posix::ErrorText(errno);
    return false;
  }
  if (st.st_uid != ::geteuid()) {
    error = "'" + trimmed + "' belongs to another user";
    return false;
  }
  if ((st.st_mode & 077) != 0 && ::fchmod(fd.Get(), 0700) != 0) {
    error = posix::ErrorText(errno);
    return false;
  }
  return true;
}

// Without HOME the account's home folder; without either a folder of the
// user's own under /tmp, which MakePrivateFolder refuses if another took it.
std::string UserCacheFolder() {
  if (const char* cache = std::getenv("XDG_CACHE_HOME"); cache && *cache == '/') {
    return WithSeparator(cache) + "quillfen/";
  }
  if (const char* home = std::getenv("HOME"); home && *home == '/') {
    return WithSeparator(home) + ".cache/quillfen/";
  }
  if (const passwd* account = ::getpwuid(::geteuid()); account && account->pw_dir && *account->pw_dir == '/') {
    return WithSeparator(account->pw_dir) + ".cache/quillfen/";
  }
  return "/tmp/quillfen-" + std::to_string(::geteuid()) + "/";
}

}  // namespace scratch

std::string ExecutableFolder() {
  std::string buffer(4096, '\0');
  while (true) {
    const ssize_t length = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (length < 0) return {};
    if (static_cast<std::size_t>(length) < buffer.size()) {
      buffer.resize(static_cast<std::size_t>(length));
      break;
    }
    buffer.resize(buffer.size() * 2);
  }
  const std::size_t slash = buffer.find_last_of('/');
  return slash == std::string::npos ? std::string() : buffer.substr(0, slash + 1);
}

}  // namespace quillfen
