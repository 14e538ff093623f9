// What a window shows of a report in little room: one line of counts, one
// line per name found nowhere, and what remains once the game no longer
// asks for the RTP.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "Report.h"

namespace quillfen::report {

struct Counts {
  std::size_t references = 0, project = 0, rtp = 0, missing = 0, unused = 0, dynamic = 0;
};

Counts CountOf(const Report& report);
// "46 references: 12 in the project, 26 from the RTP, 8 missing; 4 unused
// project files; 1 name built at run time"
std::string CountsLine(const Counts& counts);

// A name found nowhere, where it is used first (in reading order) and in how
// many other places.
struct MissingPlace {
  std::string named;  // Folder\name, as in Report::missing
  std::string where;
  std::size_t further = 0;
};

// In the order of Report::missing. fold: the report's (Options::fold),
// under which spellings of one name are one; unset, ASCII letters only.
std::vector<MissingPlace> MissingPlaces(const Report& report, const NameFold& fold = {});
// "Monster\Slime: RPG_RT.ldb, enemy 1 'Slime' (and 2 more places)"
std::string MissingLine(const MissingPlace& place);

// What fails on a machine without the RTP: the references no file of the
// project answers, and the names built at run time, which cannot be checked.
struct Remaining {
  std::size_t references = 0;
  std::size_t dynamic = 0;
  bool Any() const { return references != 0 || dynamic != 0; }
};

// Looks the collected references up in the project alone, as it is now.
Remaining RemainingWithoutRtp(const FileSystem& fs, Options options, const lcf::Collected& collected);
// The question asked before the game is told it needs no RTP.
std::string RemainingQuestion(const Remaining& remaining);

}  // namespace quillfen::report
