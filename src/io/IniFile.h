// Writing one key of an INI file.
#pragma once

#include <string>

namespace quillfen {

class IniWriter {
 public:
  virtual ~IniWriter() = default;
  // Sets key=value in [section], adding the section or key when absent and
  // keeping every other byte of the file. False when the file cannot be
  // written; the old file is then left as it was.
  virtual bool WriteInteger(const std::string& path, const std::string& section,
                            const std::string& key, int value) = 0;
};

}  // namespace quillfen
