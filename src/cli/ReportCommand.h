// The command line's exact reference report and the import from its list.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "Report.h"

namespace quillfen::cli {

struct ReportOptions {
  std::string project;
  std::optional<std::string> rtp;
  std::optional<std::string> editor;
  std::optional<std::string> winePrefix;
  std::string encoding = "auto";
  bool json = false;
  std::optional<std::string> html;
  // A project whose files weigh more keeps its references in a temporary
  // file; not given on the command line.
  std::uint64_t spillAbove = report::kSpillAbove;
};

struct ExactImportOptions {
  bool all = false;
  std::vector<std::string> entries;
  bool harmony = false;
  bool fullPackage = false;
  // Also the RTP files that fit names completed at run time.
  bool withRunTimeNames = false;
};

// Both return the exit code.
int RunReport(const ReportOptions& options, std::ostream& out, std::ostream& err);
int RunExactImport(const ReportOptions& options, const ExactImportOptions& import,
                   std::ostream& out, std::ostream& err);

}  // namespace quillfen::cli
