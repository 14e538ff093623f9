// Environment variables by name, as the front end read them.
#pragma once

#include <map>
#include <string>

namespace quillfen {

using Environment = std::map<std::string, std::string>;

}  // namespace quillfen
