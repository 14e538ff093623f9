#include "Import.h"

#include "Messages.h"

namespace quillfen {
namespace {

// The folder part of a path, with its trailing separator.
std::string FolderOf(const std::string& path) {
  std::size_t cut = path.find_last_of("\\/:");
  return cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
}

}  // namespace

void Importer::CopyFiles(const std::vector<std::string>& entries, const std::string& rtpPath,
                         const std::string& projectFolder) {
  for (const std::string& entry : entries) {
    const std::string target = projectFolder + entry;
    const std::string targetFolder = FolderOf(target);
    if (!fs_.DirectoryExists(targetFolder) && !fs_.CreateDirectory(targetFolder)) {
      reporter_.ReportStop(msg::kCreateDirTitle,
                           "The directory '" + targetFolder + "' could not be" + " created!");
    }
    if (!fs_.CopyFile(rtpPath + entry, target, /*failIfExists=*/true)) {
      reporter_.ReportStop(msg::kCopyFileTitle,
                           "The file '" + rtpPath + entry + "' could not be" + " copied!");
    }
  }
  reporter_.ReportInfo(msg::kFinishedTitle, msg::kFinished);
}

void Importer::AddHarmony(const std::string& projectFolder) {
  // Read again: the editor may have been installed since start-up. Without
  // a folder there is no source: "\Harmony.dll" would name the root's.
  const std::optional<std::string> editor =
      registry_.KeyExists(kToolKey) ? registry_.ReadString(kToolKey, kEditorValue) : std::nullopt;
  AddHarmonyFrom(editor && !editor->empty() ? *editor + "\\" : std::string(), projectFolder);
}

void Importer::AddHarmonyFrom(const std::string& editorFolder, const std::string& projectFolder) {
  if (editorFolder.empty()) {
    reporter_.ReportStop(msg::kAppPathTitle, msg::kAppPath);
    return;
  }
  if (!fs_.CopyFile(editorFolder + "Harmony.dll", projectFolder + "Harmony.dll",
                    /*failIfExists=*/false)) {
    reporter_.ReportStop(msg::kCopyHarmonyTitle, msg::kCopyHarmony);
  }
}

void Importer::AddHarmonyAfterScan(const std::string& foundEditorFolder,
                                   const std::string& projectFolder) {
  if (registry_.KeyExists(kToolKey) || foundEditorFolder.empty()) {
    AddHarmony(projectFolder);
  } else {
    AddHarmonyFrom(foundEditorFolder, projectFolder);
  }
}

void Importer::MarkFullPackage(const std::string& projectFolder) {
  if (!fs_.DirectoryExists(projectFolder)) {
    reporter_.ReportStop(msg::kProjectDirInvalidTitle, msg::kProjectDirInvalid);
    return;
  }
  const std::string ini = projectFolder + "RPG_RT.ini";
  if (!fs_.FileExists(ini)) {
    reporter_.ReportStop(msg::kNoConfigTitle, msg::kNoConfig);
    return;
  }
  if (!ini_.WriteInteger(ini, "RPG_RT", "FullPackageFlag", 1)) {
    reporter_.ReportStop(msg::kConfigWriteTitle, msg::kConfigWrite);
  }
}

}  // namespace quillfen
