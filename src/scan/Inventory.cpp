#include "Inventory.h"

#include "ScanLib.h"

namespace quillfen {
namespace {

bool IsDotEntry(const std::string& name) { return name == "." || name == ".."; }

}  // namespace

void TakeInventory(const FileSystem& fs, const std::string& projectFolder,
                   const std::string& rtpPath, RtpFiles& files) {
  StringList projectKeys(true);
  std::vector<std::string> keys;
  for (const char* category : kRtpCategoryTable) {
    for (const std::string& name : fs.FindFiles(projectFolder + category + "\\*.*")) {
      if (!IsDotEntry(name)) keys.push_back(std::string(category) + "\\" + name);
    }
  }
  projectKeys.AddAll(std::move(keys));

  for (const char* category : kRtpCategoryTable) {
    for (const std::string& name : fs.FindFiles(rtpPath + category + "\\*.*")) {
      if (IsDotEntry(name)) continue;
      if (projectKeys.Contains(std::string(category) + "\\" + name)) continue;
      files.categories.Add(category);
      // The name is taken to end in a dot and a three-letter extension.
      files.baseNames.Add(name.size() > 4 ? name.substr(0, name.size() - 4) : std::string());
      std::size_t dot = name.rfind('.');
      files.extensions.Add(dot == std::string::npos ? std::string() : name.substr(dot));
    }
  }
}

void MatchWords(const RtpFiles& files, const StringList& words, StringList& found,
                const std::function<void(int percent)>& progress) {
  found.Clear();
  const int n = files.baseNames.Count();
  std::vector<std::string> matches;
  for (int i = 0; i < n; ++i) {
    if (progress) progress(RoundedPercent(static_cast<std::uint64_t>(i), static_cast<std::uint64_t>(n)));
    if (words.Contains(files.baseNames[i])) {
      matches.push_back(files.categories[i] + "\\" + files.baseNames[i] + files.extensions[i]);
    }
  }
  found.AddAll(std::move(matches));
}

}  // namespace quillfen
