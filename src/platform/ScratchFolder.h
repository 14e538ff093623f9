// The steps of choosing a scratch folder that differ by platform.
#pragma once

#include <string>

namespace quillfen::scratch {

std::string WithSeparator(std::string folder);
// Creates the folder and any missing parents; true when it exists after.
bool MakeFolders(const std::string& folder, std::string& error);
// Whether a file can really be created in the folder.
bool CanWriteIn(const std::string& folder, std::string& error);
std::string UserCacheFolder();

}  // namespace quillfen::scratch
