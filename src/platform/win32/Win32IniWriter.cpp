// The INI writer through the system's own profile writer.
#include "Win32Handles.h"

#include <string>

#include "IniText.h"
#include "Platform.h"

namespace quillfen {
namespace {

class Win32IniWriter final : public IniWriter {
 public:
  bool WriteInteger(const std::string& path, const std::string& section, const std::string& key,
                    int value) override {
    const std::string text = std::to_string(value);
    if (!IsValidIniEdit(section, key, text)) return false;
    return ::WritePrivateProfileStringA(section.c_str(), key.c_str(), text.c_str(), path.c_str()) !=
           0;
  }
};

}  // namespace

std::unique_ptr<IniWriter> MakeIniWriter() { return std::make_unique<Win32IniWriter>(); }

}  // namespace quillfen
