// Where the program runs from and where its scratch files go.
#include "Win32Handles.h"

#include <cstdlib>
#include <string>
#include <vector>

#include "Platform.h"
#include "ScratchFolder.h"

namespace quillfen {
namespace {

bool IsFolder(const std::string& folder) {
  const DWORD attributes = ::GetFileAttributesA(folder.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

namespace scratch {

std::string WithSeparator(std::string folder) {
  if (folder.empty() || (folder.back() != '\\' && folder.back() != '/')) folder += '\\';
  return folder;
}

bool MakeFolders(const std::string& folder, std::string& error) {
  for (std::size_t pos = 0; pos <= folder.size(); ++pos) {
    if (pos < folder.size() && folder[pos] != '\\' && folder[pos] != '/') continue;
    const std::string path = folder.substr(0, pos);
    if (path.empty() || path.back() == ':' || path == "\\" || IsFolder(path)) continue;
    if (!::CreateDirectoryA(path.c_str(), nullptr) && ::GetLastError() != ERROR_ALREADY_EXISTS) {
      error = win32::ErrorText(::GetLastError());
      if (!IsFolder(path)) return false;
    }
  }
  return IsFolder(folder);
}

// A real try, as rights come from ACLs, virtualisation and read-only media alike.
bool CanWriteIn(const std::string& folder, std::string& error) {
  if (!IsFolder(folder)) {
    error = win32::ErrorText(ERROR_PATH_NOT_FOUND);
    return false;
  }
  const std::string probe =
      WithSeparator(folder) + "~qfprobe" + std::to_string(::GetCurrentProcessId()) + ".tmp";
  HANDLE file = ::CreateFileA(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    error = win32::ErrorText(::GetLastError());
    return false;
  }
  ::CloseHandle(file);
  return true;
}

// Folders hold no sticky bit here: the ACLs of the user's own folders are
// the protection, and scratch files refuse reparse points themselves.
std::string SafetyProblem(const std::string&) { return {}; }

bool MakePrivateFolder(const std::string& folder, std::string& error) { return MakeFolders(folder, error); }

std::string UserCacheFolder() {
  if (const char* local = std::getenv("LOCALAPPDATA"); local && *local) {
    return WithSeparator(local) + "Quillfen\\";
  }
  char temp[MAX_PATH + 1];
  const DWORD length = ::GetTempPathA(sizeof temp, temp);
  if (length == 0 || length > MAX_PATH) return "C:\\Quillfen\\";
  return WithSeparator(std::string(temp, length)) + "Quillfen\\";
}

}  // namespace scratch

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

}  // namespace quillfen
