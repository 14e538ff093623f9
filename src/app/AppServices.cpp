#include "AppServices.h"

#include "Platform.h"

namespace quillfen::app {

TAppServices& AppServices() {
  static TAppServices services = [] {
    TAppServices s;
    s.Files = MakeFileSystem();
    s.Reg = MakeRegistry({});
    s.Ini = MakeIniWriter();
    s.Env = ReadEnvironment(RtpEnvironmentNames());
    // Beside the program when its folder can be written, else the user's
    // cache folder: a program installed read-only must still scan.
    std::string note;
    try {
      s.ScratchFolder = ChooseScratchFolder(std::nullopt, note);
    } catch (const std::exception&) {
      s.ScratchFolder = ExecutableFolder();
    }
    return s;
  }();
  return services;
}

}  // namespace quillfen::app
