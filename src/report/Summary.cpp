#include "Summary.h"

#include <map>

namespace quillfen::report {
namespace {

std::string Named(lcf::Folder folder, const std::string& name) {
  return std::string(lcf::FolderName(folder)) + "\\" + name;
}

// "1 name", "2 names"
std::string Number(std::size_t n, const char* one, const char* many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

}  // namespace

Counts CountOf(const Report& report) {
  Counts c;
  c.references = ReferenceCount(report);
  if (report.spilled) {
    c.project = report.spilled->CountWith(Status::kProject);
    c.rtp = report.spilled->CountWith(Status::kRtp);
    c.missing = report.spilled->CountWith(Status::kMissing);
  } else {
    for (const Entry& e : report.references) {
      if (e.status == Status::kProject) ++c.project;
      if (e.status == Status::kRtp) ++c.rtp;
      if (e.status == Status::kMissing) ++c.missing;
    }
  }
  c.unused = report.unused.size();
  c.dynamic = report.dynamic.size();
  return c;
}

std::string CountsLine(const Counts& c) {
  return Number(c.references, "reference", "references") + ": " + std::to_string(c.project) +
         " in the project, " + std::to_string(c.rtp) + " from the RTP, " + std::to_string(c.missing) +
         " missing; " + Number(c.unused, "unused project file", "unused project files") + "; " +
         Number(c.dynamic, "name", "names") + " built at run time";
}

std::vector<MissingPlace> MissingPlaces(const Report& report, const NameFold& fold) {
  // Report::missing holds one spelling of each name; the others find it by
  // their key, as the report found them one.
  auto key = [&](const std::string& named) { return fold ? fold(named) : AsciiLower(named); };
  std::map<std::string, MissingPlace> byName;
  // Nothing to look for: a big game's references need not be read back.
  if (report.missing.empty()) return {};
  ForEachEntry(report, [&](const Entry& e) {
    if (e.status != Status::kMissing) return;
    const std::string named = Named(e.folder, e.Name());
    auto [it, first] = byName.try_emplace(key(named), MissingPlace{named, std::string(e.where), 0});
    if (!first) ++it->second.further;
  });
  std::vector<MissingPlace> out;
  out.reserve(report.missing.size());
  for (const std::string& named : report.missing) {
    auto it = byName.find(key(named));
    if (it == byName.end()) continue;
    MissingPlace place = it->second;
    place.named = named;
    out.push_back(std::move(place));
  }
  return out;
}

std::string MissingLine(const MissingPlace& place) {
  std::string line = place.named + ": " + place.where;
  if (place.further != 0) line += " (and " + Number(place.further, "more place", "more places") + ")";
  return line;
}

Remaining RemainingWithoutRtp(const FileSystem& fs, Options options, const lcf::Collected& collected) {
  options.rtpFolder.clear();
  const Report alone = Resolve(fs, options, collected);
  Remaining r;
  r.references = CountOf(alone).missing;
  r.dynamic = alone.dynamic.size();
  return r;
}

std::string RemainingQuestion(const Remaining& r) {
  std::string text;
  if (r.references != 0) {
    text = Number(r.references, "reference names a file", "references name files") +
           " that your project does not hold";
  }
  if (r.dynamic != 0) {
    text += text.empty() ? "" : ", and ";
    text += Number(r.dynamic, "name is", "names are") + " built while the game runs and cannot be checked";
  }
  return text + ". Without the RTP the game fails where it loads " + (r.references + r.dynamic == 1 ? "it" : "them") +
         ". Mark the project as running without the RTP all the same?";
}

}  // namespace quillfen::report
