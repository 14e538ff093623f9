// The exact reference report: every resource a game's files name, looked up
// in the project and the RTP as the engine looks it up, and the summary of
// RTP files to copy, names found nowhere and project files nothing uses.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "FileSystem.h"
#include "References.h"

namespace quillfen::report {

enum class Encoding { kAuto, kShiftJis, kCp1252 };
enum class Status { kProject, kRtp, kMissing };

std::string_view StatusName(Status status);  // "project", "RTP", "missing"

// Decodes a game's name bytes into the file system's text; nullopt when the
// bytes are no text of that encoding.
using Decoder = std::function<std::optional<std::string>(std::string_view, Encoding)>;

struct Options {
  std::string projectFolder;  // with a trailing separator
  std::string rtpFolder;      // with a trailing separator; empty when no RTP is known
  Encoding encoding = Encoding::kAuto;
  // Unset: names are compared as bytes, as the Windows ANSI file calls do.
  Decoder decode;
};

struct Entry {
  lcf::Folder folder;
  std::string name;   // for display (decoded where names are decoded)
  std::string where;  // for display
  Status status = Status::kMissing;
  std::vector<std::string> files;  // Folder\file.ext it resolves to, in the place of its status
};

struct DynamicEntry {
  lcf::Folder folder;
  std::string name;
  std::string where;
};

struct Report {
  std::string encoding;  // "Shift-JIS", "cp1252" or "ANSI"
  bool is2003 = false;
  std::vector<Entry> references;
  std::vector<DynamicEntry> dynamic;
  std::vector<lcf::Problem> problems;
  std::vector<std::string> needed;   // Folder\file.ext in the RTP, to copy
  std::vector<std::string> missing;  // Folder\name, in neither
  std::vector<std::string> unused;   // Folder\file.ext in the project that nothing names
};

// Told before each file is read: its name, how many files were read before
// it and how many there are (until the map tree is read, its maps are not
// counted yet).
using ReadProgress = std::function<void(const std::string& file, std::size_t done, std::size_t total)>;

// Reads RPG_RT.ldb, RPG_RT.lmt and each map of the tree; what cannot be read
// becomes a problem of the file, and the rest is read on.
lcf::Collected CollectProject(const FileSystem& fs, const std::string& projectFolder,
                              const ReadProgress& progress = {});

// Resolves what was collected against the project and the RTP.
Report Resolve(const FileSystem& fs, const Options& options, const lcf::Collected& collected);

inline Report BuildReport(const FileSystem& fs, const Options& options) {
  return Resolve(fs, options, CollectProject(fs, options.projectFolder));
}

// "Map0003.lmu, offset 120: the file ends inside an integer"
std::string ProblemText(const lcf::Problem& problem);

// The plain-text report: one line per reference, then the summary lists
// (the problems are the caller's to print).
std::string FormatText(const Report& report, const std::string& project, const std::string& rtp);
// A self-contained HTML page of the same, grouped by status. Its charset is
// that of the names: UTF-8 where they were decoded, else the ANSI code page's.
std::string FormatHtml(const Report& report, const std::string& project, const std::string& rtp,
                       std::string_view charset = "utf-8");

}  // namespace quillfen::report
