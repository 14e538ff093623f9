// What the scan needs of the front end that runs it: the main window, or
// the command line.
#pragma once

#include <string>
#include <string_view>

#include "StringList.h"

namespace quillfen {

class Reporter {
 public:
  virtual ~Reporter() = default;
  // Modal error and information messages; return when the user closed them.
  virtual void ReportStop(std::string_view title, std::string_view message) = 0;
  virtual void ReportInfo(std::string_view title, std::string_view message) = 0;
};

class ScanHost : public Reporter {
 public:
  // The status line, shown at once.
  virtual void SetStatus(std::string_view text) = 0;
  // The gauge's percent (it ignores unchanged values), shown at once.
  virtual void SetProgress(int percent) = 0;
  // Locks or unlocks the scan button, the exit button and the project box.
  virtual void SetLocked(bool locked) = 0;
  // The project box's text: the chosen folder with a trailing backslash.
  virtual std::string ProjectFolder() = 0;
  // A valid project was chosen: put text into the project box and enable
  // the scan button.
  virtual void ProjectChosen(const std::string& text) = 0;
  // The import step: offers the found files and carries out the choice.
  virtual void Import(const StringList& found, const std::string& rtpPath,
                      const std::string& projectFolder) = 0;
};

}  // namespace quillfen
