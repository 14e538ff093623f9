// The exact report as the windows run it: the project read file by file
// with the status line and gauge of the main window, the RTP of the
// project's engine, and the report resolved against both.
#pragma once

#include <optional>
#include <string>

#include "FileSystem.h"
#include "Host.h"
#include "Registry.h"
#include "Report.h"

namespace quillfen::app {

inline constexpr char kReportRtp2003Key[] = "Software\\Enterbrain\\RPG2003";

struct TReportRtp {
  std::string folder;  // with a trailing backslash; empty when none is known
  std::string source;  // where it was found, for the user
};

// The RTP of a project's engine: for a 2000 project the scan's (rtpPath,
// read at start-up from the editor's key), for a 2003 project the
// RuntimePackagePath of the 2003 editor's key.
TReportRtp LocateReportRtp(bool rpg2003, const std::string& rtpPath, const Registry& registry);

struct TReportRun {
  std::string projectFolder;  // with a trailing backslash
  TReportRtp rtp;
  report::Options options;
  lcf::Collected collected;
  report::Report report;
};

// Reads the project in projectFolder, one status text per file ("Reading
// RPG_RT.ldb...") and the gauge moving per file, then resolves what it read.
// A damaged file is a problem of the report. A project gone or not readable
// at all gets a stop message of host and nullopt.
std::optional<TReportRun> RunExactReport(ScanHost& host, const FileSystem& fs, const Registry& registry,
                                         const std::string& projectFolder, const std::string& rtpPath);

// The charset of the report's HTML page: names stay bytes of the system's
// code page.
std::string_view ReportHtmlCharset();

// The report as an HTML page.
std::string ReportPage(const TReportRun& run);

}  // namespace quillfen::app
