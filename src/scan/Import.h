// The import operations behind the import dialog.
#pragma once

#include <string>
#include <vector>

#include "FileSystem.h"
#include "Host.h"
#include "IniFile.h"
#include "Registry.h"

namespace quillfen {

inline constexpr char kToolKey[] = "Software\\ASCII\\RPG2000";
inline constexpr char kRtpValue[] = "RuntimePackagePath";
inline constexpr char kEditorValue[] = "ApplicationPath";

class Importer {
 public:
  Importer(FileSystem& fs, const Registry& registry, IniWriter& ini, Reporter& reporter)
      : fs_(fs), registry_(registry), ini_(ini), reporter_(reporter) {}

  // Copies each selected entry (Category\name.ext) from the RTP into the
  // project without overwriting, creating a missing category folder; each
  // failure is reported and the rest go on. Ends with "Finished".
  void CopyFiles(const std::vector<std::string>& entries, const std::string& rtpPath,
                 const std::string& projectFolder);
  // Copies the editor's Harmony.dll into the project, overwriting.
  void AddHarmony(const std::string& projectFolder);
  // Sets FullPackageFlag=1 in the project's RPG_RT.ini.
  void MarkFullPackage(const std::string& projectFolder);

 private:
  FileSystem& fs_;
  const Registry& registry_;
  IniWriter& ini_;
  Reporter& reporter_;
};

}  // namespace quillfen
