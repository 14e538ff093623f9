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
  // The same from an editor folder found with the RTP (ending in a
  // separator); an empty one means no editor is known.
  void AddHarmonyFrom(const std::string& editorFolder, const std::string& projectFolder);
  // After the word scan: AddHarmony while the editor's key exists; where it
  // is absent, AddHarmonyFrom the editor folder found with the RTP.
  void AddHarmonyAfterScan(const std::string& foundEditorFolder, const std::string& projectFolder);
  // Sets FullPackageFlag=1 in the project's RPG_RT.ini.
  void MarkFullPackage(const std::string& projectFolder);

 private:
  FileSystem& fs_;
  const Registry& registry_;
  IniWriter& ini_;
  Reporter& reporter_;
};

}  // namespace quillfen
