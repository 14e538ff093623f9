#include <cstdlib>

#include "Platform.h"

namespace quillfen {

Environment ReadEnvironment(const std::vector<std::string>& names) {
  Environment environment;
  for (const std::string& name : names) {
    if (const char* value = std::getenv(name.c_str())) environment[name] = value;
  }
  return environment;
}

}  // namespace quillfen
