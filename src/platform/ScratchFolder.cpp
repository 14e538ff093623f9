#include "ScratchFolder.h"

#include "Platform.h"

namespace quillfen {

std::string ChooseScratchFolderFrom(const std::optional<std::string>& explicitFolder,
                                    const std::string& executableFolder, std::string& note) {
  note.clear();
  std::string error;
  if (explicitFolder) {
    const std::string folder = scratch::WithSeparator(*explicitFolder);
    if (!scratch::MakeFolders(folder, error)) {
      throw FileError("The scratch folder '" + folder + "' could not be created: " + error);
    }
    if (!scratch::CanWriteIn(folder, error)) {
      throw FileError("The scratch folder '" + folder + "' is not writable: " + error);
    }
    if (std::string problem = scratch::SafetyProblem(folder); !problem.empty()) {
      throw FileError("The scratch folder '" + folder + "' is refused: " + problem);
    }
    return folder;
  }
  std::string why;
  if (!executableFolder.empty() && scratch::CanWriteIn(executableFolder, error)) {
    why = scratch::SafetyProblem(executableFolder);
    if (why.empty()) return executableFolder;
  } else {
    why = "is not writable";
  }

  const std::string cache = scratch::UserCacheFolder();
  if (!scratch::MakePrivateFolder(cache, error) || !scratch::CanWriteIn(cache, error)) {
    throw FileError("Neither the program's folder '" + executableFolder + "' nor the cache folder '" +
                    cache + "' can hold the scratch files: " + error);
  }
  note = "The program's folder '" + executableFolder + "' " +
         (why == "is not writable" ? why : "is no safe place (" + why + ")") +
         ", so the scratch files go to '" + cache + "' instead.";
  return cache;
}

std::string ChooseScratchFolder(const std::optional<std::string>& explicitFolder,
                                std::string& note) {
  return ChooseScratchFolderFrom(explicitFolder, ExecutableFolder(), note);
}

}  // namespace quillfen
