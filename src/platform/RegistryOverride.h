// The registry with the tool locations given on the command line laid over it.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "Registry.h"

namespace quillfen {

// rtpFolder and editorFolder, when set, answer for "RuntimePackagePath" and
// "ApplicationPath" of "Software\ASCII\RPG2000", and that key then exists;
// everything else is asked of base.
std::unique_ptr<Registry> OverrideToolLocations(std::unique_ptr<Registry> base,
                                                std::optional<std::string> rtpFolder,
                                                std::optional<std::string> editorFolder);

}  // namespace quillfen
