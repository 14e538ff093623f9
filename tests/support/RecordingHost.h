// A scan host that writes down everything the scan tells it, in order.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "Host.h"

namespace quillfen::testing {

class RecordingHost : public ScanHost {
 public:
  std::vector<std::string> events;
  std::string project;
  std::vector<std::string> imported;
  bool locked = false;
  bool recordProgress = true;
  std::function<void()> onImport;

  void SetStatus(std::string_view text) override { events.push_back("status " + std::string(text)); }
  void SetProgress(int percent) override {
    if (recordProgress) events.push_back("progress " + std::to_string(percent));
  }
  void ReportStop(std::string_view title, std::string_view message) override {
    events.push_back("stop " + std::string(title) + ": " + std::string(message));
  }
  void ReportInfo(std::string_view title, std::string_view message) override {
    events.push_back("info " + std::string(title) + ": " + std::string(message));
  }
  void SetLocked(bool l) override {
    locked = l;
    events.push_back(l ? "lock" : "unlock");
  }
  std::string ProjectFolder() override { return project; }
  void ProjectChosen(const std::string& text) override {
    project = text;
    events.push_back("project " + text);
  }
  void Import(const StringList& found, const std::string&, const std::string&) override {
    imported = found.Items();
    events.push_back("import " + std::to_string(found.Count()));
    if (onImport) onImport();
  }

  // Events of one kind ("status", "stop", ...), with the kind word cut off.
  std::vector<std::string> Only(const std::string& kind) const {
    std::vector<std::string> out;
    for (const auto& e : events) {
      if (e.rfind(kind + " ", 0) == 0) out.push_back(e.substr(kind.size() + 1));
    }
    return out;
  }
};

}  // namespace quillfen::testing
