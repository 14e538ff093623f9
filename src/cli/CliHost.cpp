#include "CliHost.h"

#include <cstdio>

namespace quillfen::cli {

CliHost::CliHost(std::string projectFolder, bool progress, bool echoStops)
    : project_(std::move(projectFolder)), progress_(progress), echoStops_(echoStops) {}

void CliHost::SetStatus(std::string_view text) {
  status_ = text;
  Draw();
}

void CliHost::SetProgress(int percent) {
  if (percent == percent_) return;
  percent_ = percent;
  Draw();
}

void CliHost::Draw() {
  if (!progress_) return;
  constexpr int kWidth = 30;
  int filled = percent_ * kWidth / 100;
  std::string bar(static_cast<std::size_t>(filled), '#');
  bar.resize(kWidth, ' ');
  std::string line = status_.substr(0, 40);
  std::fprintf(stderr, "\r[%s] %3d%%  %-40s", bar.c_str(), percent_, line.c_str());
  std::fflush(stderr);
  drawn_ = true;
}

void CliHost::EndProgress() {
  if (!drawn_) return;
  std::fprintf(stderr, "\r%*s\r", 80, "");
  std::fflush(stderr);
  drawn_ = false;
}

void CliHost::ReportStop(std::string_view title, std::string_view message) {
  stops_.push_back({std::string(title), std::string(message)});
  if (!echoStops_) return;
  EndProgress();
  std::fprintf(stderr, "%.*s: %.*s\n", static_cast<int>(title.size()), title.data(),
               static_cast<int>(message.size()), message.data());
}

void CliHost::ReportInfo(std::string_view title, std::string_view message) {
  infos_.push_back({std::string(title), std::string(message)});
}

void CliHost::Import(const StringList& found, const std::string& rtpPath,
                     const std::string& projectFolder) {
  found_ = found.Items();
  if (onImport) onImport(found, rtpPath, projectFolder);
}

}  // namespace quillfen::cli
