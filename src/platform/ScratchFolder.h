// The steps of choosing a scratch folder that differ by platform.
#pragma once

#include <string>

namespace quillfen::scratch {

std::string WithSeparator(std::string folder);
// Creates the folder and any missing parents; true when it exists after.
bool MakeFolders(const std::string& folder, std::string& error);
// Whether a file can really be created in the folder.
bool CanWriteIn(const std::string& folder, std::string& error);
// Why the folder is no safe place for scratch files; empty when it is.
std::string SafetyProblem(const std::string& folder);
// The user's own cache folder for the scratch files, made private to the
// user (created if missing); false when it cannot be, or belongs to another.
bool MakePrivateFolder(const std::string& folder, std::string& error);
std::string UserCacheFolder();

}  // namespace quillfen::scratch
