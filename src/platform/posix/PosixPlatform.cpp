// Where the program runs from and where its scratch files go.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>

#include "Platform.h"
#include "PosixFiles.h"
#include "PosixPaths.h"

namespace quillfen {
namespace {

std::string WithSeparator(std::string folder) {
  if (folder.empty() || (folder.back() != '/' && folder.back() != '\\')) folder += '/';
  return folder;
}

// Creates the folder and any missing parents; true when it exists after.
bool MakeFolders(const std::string& folder) {
  if (posix::ResolveExisting(folder)) return true;
  std::string path;
  for (std::size_t pos = 0; pos <= folder.size(); ++pos) {
    if (pos < folder.size() && folder[pos] != '/' && folder[pos] != '\\') continue;
    path = folder.substr(0, pos);
    if (path.empty() || posix::ResolveExisting(path)) continue;
    const std::optional<std::string> target = posix::ResolveForCreate(path);
    if (!target || (::mkdir(target->c_str(), 0777) != 0 && errno != EEXIST)) return false;
  }
  return true;
}

// Whether a file can be created in the folder: a real try, since root,
// read-only mounts and ACLs all defeat access().
bool CanWriteIn(const std::string& folder, int& error) {
  const std::optional<std::string> resolved = posix::ResolveExisting(folder);
  struct stat st;
  if (!resolved || ::stat(resolved->c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
    error = ENOENT;
    return false;
  }
  std::string probe;
  std::optional<posix::UniqueFd> fd = posix::CreateTempBeside(*resolved + "/probe", probe);
  if (!fd) {
    error = errno;
    return false;
  }
  ::unlink(probe.c_str());
  return true;
}

std::string UserCacheFolder() {
  if (const char* cache = std::getenv("XDG_CACHE_HOME"); cache && *cache == '/') {
    return WithSeparator(cache) + "quillfen/";
  }
  const char* home = std::getenv("HOME");
  return WithSeparator(home && *home ? home : "/tmp") + ".cache/quillfen/";
}

}  // namespace

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

std::string ChooseScratchFolderFrom(const std::optional<std::string>& explicitFolder,
                                    const std::string& executableFolder, std::string& note) {
  note.clear();
  int error = 0;
  if (explicitFolder) {
    const std::string folder = WithSeparator(*explicitFolder);
    if (!MakeFolders(folder)) {
      throw FileError("The scratch folder '" + folder +
                      "' could not be created: " + posix::ErrorText(errno));
    }
    if (!CanWriteIn(folder, error)) {
      throw FileError("The scratch folder '" + folder +
                      "' is not writable: " + posix::ErrorText(error));
    }
    return folder;
  }
  if (!executableFolder.empty() && CanWriteIn(executableFolder, error)) return executableFolder;

  const std::string cache = UserCacheFolder();
  if (!MakeFolders(cache) || !CanWriteIn(cache, error)) {
    throw FileError("Neither the program's folder '" + executableFolder +
                    "' nor the cache folder '" + cache + "' is writable for the scratch files");
  }
  note = "The program's folder '" + executableFolder +
         "' is not writable, so the scratch files go to '" + cache + "' instead.";
  return cache;
}

std::string ChooseScratchFolder(const std::optional<std::string>& explicitFolder,
                                std::string& note) {
  return ChooseScratchFolderFrom(explicitFolder, ExecutableFolder(), note);
}

}  // namespace quillfen
