// Where the program runs from and where its scratch files go.
#include "Win32Handles.h"

#include <cstdlib>
#include <string>
#include <vector>

#include "Platform.h"

namespace quillfen {
namespace {

std::string WithSeparator(std::string folder) {
  if (folder.empty() || (folder.back() != '\\' && folder.back() != '/')) folder += '\\';
  return folder;
}

bool IsFolder(const std::string& folder) {
  const DWORD attributes = ::GetFileAttributesA(folder.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Creates the folder and any missing parents; true when it exists after.
bool MakeFolders(const std::string& folder, DWORD& error) {
  for (std::size_t pos = 0; pos <= folder.size(); ++pos) {
    if (pos < folder.size() && folder[pos] != '\\' && folder[pos] != '/') continue;
    const std::string path = folder.substr(0, pos);
    if (path.empty() || path.back() == ':' || path == "\\" || IsFolder(path)) continue;
    if (!::CreateDirectoryA(path.c_str(), nullptr) && ::GetLastError() != ERROR_ALREADY_EXISTS) {
      error = ::GetLastError();
      if (!IsFolder(path)) return false;
    }
  }
  return IsFolder(folder);
}

// Whether a file can be created in the folder: a real try, as rights come
// from ACLs, virtualisation and read-only media alike.
bool CanWriteIn(const std::string& folder, DWORD& error) {
  if (!IsFolder(folder)) {
    error = ERROR_PATH_NOT_FOUND;
    return false;
  }
  const std::string probe =
      WithSeparator(folder) + "~qfprobe" + std::to_string(::GetCurrentProcessId()) + ".tmp";
  HANDLE file = ::CreateFileA(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    error = ::GetLastError();
    return false;
  }
  ::CloseHandle(file);
  return true;
}

std::string UserCacheFolder() {
  if (const char* local = std::getenv("LOCALAPPDATA"); local && *local) {
    return WithSeparator(local) + "Quillfen\\";
  }
  char temp[MAX_PATH + 1];
  const DWORD length = ::GetTempPathA(sizeof temp, temp);
  if (length == 0 || length > MAX_PATH) return "C:\\Quillfen\\";
  return WithSeparator(std::string(temp, length)) + "Quillfen\\";
}

}  // namespace

std::string ExecutableFolder() {
  std::vector<char> buffer(MAX_PATH + 1);
  while (true) {
    const DWORD length =
        ::GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0) return {};
    if (length < buffer.size() - 1) {
      const std::string path(buffer.data(), length);
      const std::size_t slash = path.find_last_of("\\/");
      return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    }
    if (buffer.size() > 32768) return {};
    buffer.resize(buffer.size() * 2);
  }
}

std::string ChooseScratchFolderFrom(const std::optional<std::string>& explicitFolder,
                                    const std::string& executableFolder, std::string& note) {
  note.clear();
  DWORD error = 0;
  if (explicitFolder) {
    const std::string folder = WithSeparator(*explicitFolder);
    if (!MakeFolders(folder, error)) {
      throw FileError("The scratch folder '" + folder +
                      "' could not be created: " + win32::ErrorText(error));
    }
    if (!CanWriteIn(folder, error)) {
      throw FileError("The scratch folder '" + folder +
                      "' is not writable: " + win32::ErrorText(error));
    }
    return folder;
  }
  if (!executableFolder.empty() && CanWriteIn(executableFolder, error)) return executableFolder;

  const std::string cache = UserCacheFolder();
  if (!MakeFolders(cache, error) || !CanWriteIn(cache, error)) {
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
