// What both windows of the program share: the platform's file system,
// registry and INI access, and where the scratch files go. Created once, on
// first use, and kept for the whole run.
#pragma once

#include <memory>
#include <string>

#include "FileSystem.h"
#include "IniFile.h"
#include "Registry.h"
#include "RtpLocations.h"

namespace quillfen::app {

struct TAppServices {
  std::unique_ptr<FileSystem> Files;
  std::unique_ptr<Registry> Reg;
  std::unique_ptr<IniWriter> Ini;
  std::string ScratchFolder;  // with a trailing backslash
  Environment Env;            // the variables that may name an RTP folder
};

TAppServices& AppServices();

}  // namespace quillfen::app
