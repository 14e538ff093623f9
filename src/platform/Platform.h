// The platform layer: the file system, registry and INI access that the
// scan runs on, and where the program keeps its scratch files. One
// implementation per platform (posix/, win32/); the text routines they
// share are portable (IniText.h, UserReg.h, Wildcard.h).
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "FileSystem.h"
#include "IniFile.h"
#include "Registry.h"
#include "Environment.h"

namespace quillfen {

std::unique_ptr<FileSystem> MakeFileSystem();
std::unique_ptr<IniWriter> MakeIniWriter();

// rtpFolder and editorFolder, when given, stand for "RuntimePackagePath"
// and "ApplicationPath" of "Software\ASCII\RPG2000" (and make that key
// exist); winePrefix picks the Wine prefix whose user.reg is read on POSIX
// (default $WINEPREFIX, else ~/.wine). Windows reads the real registry.
struct RegistryOptions {
  std::optional<std::string> rtpFolder;
  std::optional<std::string> editorFolder;
  std::optional<std::string> winePrefix;
};
std::unique_ptr<Registry> MakeRegistry(const RegistryOptions& options);

// The named environment variables that are set, e.g. RtpEnvironmentNames().
Environment ReadEnvironment(const std::vector<std::string>& names);

// The folder of the running program, with a trailing separator; empty when
// it cannot be found.
std::string ExecutableFolder();

// Where the scratch files go: explicitFolder when given (created if missing;
// FileError when it cannot be written), else the executable's folder when it
// is writable, else the user's cache folder, in which case note receives a
// sentence saying so. The result ends in a separator.
std::string ChooseScratchFolder(const std::optional<std::string>& explicitFolder,
                                std::string& note);
// The same choice with the executable's folder given.
std::string ChooseScratchFolderFrom(const std::optional<std::string>& explicitFolder,
                                    const std::string& executableFolder, std::string& note);

}  // namespace quillfen
