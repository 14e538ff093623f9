// The exact report as the windows run it: the project read file by file
// with the status line and gauge of the main window, the RTP of the
// project's engine, and the report resolved against both.
#pragma once

#include <optional>
#include <ostream>
#include <string>

#include "Environment.h"
#include "FileSystem.h"
#include "Host.h"
#include "Registry.h"
#include "Report.h"

namespace quillfen::app {


struct TReportRtp {
  std::string folder;        // with a trailing backslash; empty when none is known
  std::string source;        // where it was found, for the user
  std::string editorFolder;  // Harmony.dll's folder: the editor of the key that gave the RTP
  bool fromScan = false;     // the scan's RTP, whose editor key comes first for Harmony.dll
};

// The RTP of a project's engine: for a 2000 project the scan's (rtpPath,
// read at start-up, editor's key first); otherwise where the engines look
// for it: the environment, the edition's keys, the shared data folders.
TReportRtp LocateReportRtp(bool rpg2003, const std::string& rtpPath, const Registry& registry,
                           const FileSystem& fs, const Environment& environment = {});

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
                                         const std::string& projectFolder, const std::string& rtpPath,
                                         const Environment& environment = {});

// The charset of the report's HTML page: UTF-8 where the options decode
// names, else the system's code page their bytes stay in.
std::string ReportHtmlCharset(const report::Options& options);

// The report as an HTML page; its names and folders are UTF-8.
std::string ReportPage(const TReportRun& run);
// The same, written to out as it is made: a big game's page is never held
// whole.
void WriteReportPage(std::ostream& out, const TReportRun& run);

}  // namespace quillfen::app
