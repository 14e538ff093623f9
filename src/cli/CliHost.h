// The command line's side of the scan: status and progress on stderr,
// messages collected for the report and printed as they come.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "Host.h"

namespace quillfen::cli {

struct Message {
  std::string title;
  std::string message;
};

class CliHost : public ScanHost {
 public:
  // progress: draw a progress bar on stderr; echoStops: print stop messages
  // on stderr as they come.
  CliHost(std::string projectFolder, bool progress, bool echoStops);

  void SetStatus(std::string_view text) override;
  void SetProgress(int percent) override;
  void ReportStop(std::string_view title, std::string_view message) override;
  void ReportInfo(std::string_view title, std::string_view message) override;
  void SetLocked(bool locked) override { locked_ = locked; }
  std::string ProjectFolder() override { return project_; }
  void ProjectChosen(const std::string& text) override { project_ = text; }
  void Import(const StringList& found, const std::string& rtpPath,
              const std::string& projectFolder) override;

  // What the import step does with the found files; unset, it keeps them.
  std::function<void(const StringList&, const std::string&, const std::string&)> onImport;

  const std::string& Status() const { return status_; }
  const std::vector<Message>& Stops() const { return stops_; }
  const std::vector<Message>& Infos() const { return infos_; }
  const std::vector<std::string>& Found() const { return found_; }
  bool Locked() const { return locked_; }
  void EndProgress();

 private:
  void Draw();

  std::string project_;
  bool progress_;
  bool echoStops_;
  bool drawn_ = false;
  bool locked_ = false;
  int percent_ = 0;
  std::string status_;
  std::vector<Message> stops_;
  std::vector<Message> infos_;
  std::vector<std::string> found_;
};

}  // namespace quillfen::cli
