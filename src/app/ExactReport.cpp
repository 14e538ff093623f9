#include "ExactReport.h"

#include <sstream>

#include "Import.h"
#include "Messages.h"
#include "RtpLocations.h"
#include "TextDecode.h"

namespace quillfen::app {

namespace {

constexpr char kReportNotReadableTitle[] = "Project Not Readable";
constexpr char kReportNotReadable[] =
    "The project's database files could not be read, so there is nothing to report. ";
constexpr char kReportStoppedTitle[] = "Report Stopped";
constexpr char kReportStopped[] = "The exact report has been stopped because of an error: ";
constexpr char kStatusLookingUp[] = "Looking up the files...";
constexpr char kStatusReportComplete[] = "Report complete";

std::string WithoutTrailingSeparator(std::string folder) {
  if (folder.size() > 1 && folder.back() == '\\') folder.pop_back();
  return folder;
}

// Nothing was collected and a database file could not be read: a report
// would only say that every list is empty.
bool NothingRead(const lcf::Collected& collected) {
  return collected.ReferenceCount() == 0 && collected.dynamic.empty() && !collected.problems.empty();
}

}  // namespace

TReportRtp LocateReportRtp(bool rpg2003, const std::string& rtpPath, const Registry& registry,
                           const FileSystem& fs, const Environment& environment) {
  if (!rpg2003 && !rtpPath.empty()) {
    return {rtpPath, std::string("HKEY_CURRENT_USER\\") + kToolKey, {}, true};
  }
  const RtpSources sources{fs, registry, environment, std::nullopt, std::nullopt};
  const auto found = FindRtp(rpg2003 ? RtpEdition::Rpg2003 : RtpEdition::Rpg2000, sources);
  if (!found) return {};
  return {found->folder, found->source, found->editorFolder, false};
}

std::optional<TReportRun> RunExactReport(ScanHost& host, const FileSystem& fs, const Registry& registry,
                                         const std::string& projectFolder, const std::string& rtpPath,
                                         const Environment& environment) {
  try {
    if (!fs.DirectoryExists(projectFolder)) {
      host.ReportStop(msg::kProjectNotFoundTitle, msg::kProjectNotFound);
      return std::nullopt;
    }
    TReportRun run;
    run.projectFolder = projectFolder;
    host.SetProgress(0);
    run.collected = report::CollectProject(
        fs, projectFolder, [&host](const std::string& file, std::size_t done, std::size_t total) {
          host.SetStatus("Reading " + file + "...");
          host.SetProgress(total == 0 ? 0 : static_cast<int>(done * 100 / total));
        });
    host.SetProgress(100);
    if (NothingRead(run.collected)) {
      host.ReportStop(kReportNotReadableTitle,
                      kReportNotReadable + report::ProblemText(run.collected.problems.front()));
      return std::nullopt;
    }
    host.SetStatus(kStatusLookingUp);
    run.rtp = LocateReportRtp(run.collected.is2003, rtpPath, registry, fs, environment);
    // The folders stay as the ANSI file calls take them; the names are
    // compared as the command line compares them.
    run.options.projectFolder = projectFolder;
    run.options.rtpFolder = run.rtp.folder;
    UsePlatformNames(run.options);
    run.report = report::Resolve(fs, run.options, run.collected);
    host.SetStatus(kStatusReportComplete);
    return run;
  } catch (const std::exception& error) {
    host.ReportStop(kReportStoppedTitle, kReportStopped + std::string(error.what()));
    return std::nullopt;
  }
}

std::string ReportHtmlCharset(const report::Options& options) {
  const std::optional<CodePage> ansi = AnsiCodePage();
  return report::HtmlCharsetOf(static_cast<bool>(options.decode),
                               ansi ? std::optional<unsigned>(static_cast<unsigned>(*ansi)) : std::nullopt);
}

void WriteReportPage(std::ostream& out, const TReportRun& run) {
  // The page is in the names' text, folders too.
  report::WriteHtml(out, run.report, AnsiToUtf8(WithoutTrailingSeparator(run.projectFolder)),
                    AnsiToUtf8(WithoutTrailingSeparator(run.rtp.folder)), ReportHtmlCharset(run.options));
}

std::string ReportPage(const TReportRun& run) {
  std::ostringstream out;
  WriteReportPage(out, run);
  return out.str();
}

}  // namespace quillfen::app
