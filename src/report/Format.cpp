// The report as text and as an HTML page.
#include <algorithm>
#include <sstream>

#include "QuillfenVersion.h"
#include "Report.h"
#include "Summary.h"
#include "TwoHalves.h"

namespace quillfen::report {
namespace {

std::string NamesLine(const Report& report) {
  std::string line = report.encoding;
  if (!report.encodingReason.empty()) line += " (" + report.encodingReason + ")";
  if (report.is2003) line += ", RPG Maker 2003 database";
  return line;
}

std::string DynamicName(const DynamicEntry& d) {
  return std::string(lcf::FolderName(d.folder)) + "\\" + (d.pattern.empty() ? d.name : d.pattern);
}

std::string DynamicNote(const DynamicEntry& d) {
  if (d.pattern.empty()) return "built at run time";
  return "completed at run time, " + std::to_string(d.files.size()) +
         (d.files.size() == 1 ? " file fits" : " files fit");
}

std::string Escape(std::string_view text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '&': out += "&amp;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&#39;"; break;
      default: out += c;
    }
  }
  return out;
}

void HtmlReferences(std::ostream& out, const Report& report, const Counts& c, Status status, const char* title,
                    const char* note) {
  const std::size_t n = status == Status::kProject ? c.project : status == Status::kRtp ? c.rtp : c.missing;
  out << "<h2 class=\"" << StatusName(status) << "\">" << title << " (" << n << ")</h2>\n";
  if (n == 0) return;
  out << "<p>" << note << "</p>\n<table><tr><th>Folder</th><th>Name</th><th>Files</th><th>Where</th></tr>\n";
  ForEachEntry(report, [&](const Entry& e) {
    if (e.status != status) return;
    std::string files;
    for (const std::string& f : e.Files()) files += (files.empty() ? "" : ", ") + f;
    out << "<tr><td>" << lcf::FolderName(e.folder) << "</td><td>" << Escape(e.Name()) << "</td><td>"
        << Escape(files) << "</td><td>" << Escape(e.where) << "</td></tr>\n";
  });
  out << "</table>\n";
}

void HtmlList(std::ostream& out, const char* cls, const char* title, const char* note,
              const std::vector<std::string>& items) {
  out << "<h2 class=\"" << cls << "\">" << title << " (" << items.size() << ")</h2>\n";
  if (items.empty()) return;
  out << "<p>" << note << "</p>\n<ul>\n";
  for (const std::string& item : items) out << "<li><code>" << Escape(item) << "</code></li>\n";
  out << "</ul>\n";
}

}  // namespace

std::string HtmlCharsetOf(bool namesDecoded, std::optional<unsigned> ansiCodePage) {
  if (namesDecoded || !ansiCodePage) return "utf-8";
  if (*ansiCodePage == 932) return "shift_jis";
  return "windows-" + std::to_string(*ansiCodePage);
}

// References made into text at a time: a few hundred kilobytes; fewer
// where they are read back from a temporary file, which is there to spare
// memory.
constexpr std::size_t kLinesPerSlice = 2048;
constexpr std::size_t kSpilledLinesPerSlice = 256;

void WriteText(std::ostream& out, const Report& report, const std::string& project,
               const std::string& rtp) {
  // Lines go through a buffer of our own: tens of thousands of small
  // stream insertions cost more than building the lines.
  std::string b;
  constexpr std::size_t kFlushAt = 1 << 16;
  b.reserve(kFlushAt + 1024);
  auto flush = [&] {
    out.write(b.data(), static_cast<std::streamsize>(b.size()));
    b.clear();
  };
  auto line = [](std::string& to, const Entry& e) {
    auto pad = [&](std::size_t from, std::size_t width) {
      const std::size_t written = to.size() - from;
      if (written < width) to.append(width - written, ' ');
    };
    std::size_t from = to.size();
    to += StatusName(e.status);
    pad(from, 8);
    to += ' ';
    from = to.size();
    to += lcf::FolderName(e.folder);
    to += '\\';
    to += e.Name();
    pad(from, 24);
    to += ' ';
    to += e.where;
    to += '\n';
  };
  const Counts c = CountOf(report);
  b += "Project: " + project + "\n";
  b += "RTP: " + (rtp.empty() ? std::string("(none)") : rtp) + "\n";
  b += "Names: " + NamesLine(report) + "\n";
  b += "References: " + std::to_string(c.references) + " (project " +
       std::to_string(c.project) + ", RTP " + std::to_string(c.rtp) + ", missing " +
       std::to_string(c.missing) + "), names built at run time: " +
       std::to_string(report.dynamic.size()) + "\n\n";
  flush();
  InTurns(
      c.references, report.spilled ? kSpilledLinesPerSlice : kLinesPerSlice,
      [&](std::size_t begin, std::size_t end, std::string& to, int) {
        for (const Entry& e : EntriesOf(report, begin, end)) line(to, e);
      },
      [&](std::string_view text) { out.write(text.data(), static_cast<std::streamsize>(text.size())); });
  b += '\n';
  auto list = [&](const char* title, const std::vector<std::string>& items) {
    b += title;
    b += " (" + std::to_string(items.size()) + "):\n";
    for (const std::string& item : items) {
      b += "  ";
      b += item;
      b += '\n';
      if (b.size() >= kFlushAt) flush();
    }
  };
  list("needed", report.needed);
  list("missing", report.missing);
  list("unused", report.unused);
  list("possibly needed", report.possiblyNeeded);
  b += "dynamic: " + std::to_string(report.dynamic.size()) + "\n";
  for (const DynamicEntry& d : report.dynamic) {
    b += "  ";
    b += DynamicName(d);
    b += " (" + DynamicNote(d) + ")  ";
    b += d.where;
    b += '\n';
    if (b.size() >= kFlushAt) flush();
  }
  flush();
}

std::string FormatText(const Report& report, const std::string& project, const std::string& rtp) {
  std::ostringstream out;
  WriteText(out, report, project, rtp);
  return out.str();
}

std::string FormatHtml(const Report& report, const std::string& project, const std::string& rtp,
                       std::string_view charset) {
  std::ostringstream out;
  WriteHtml(out, report, project, rtp, charset);
  return out.str();
}

void WriteHtml(std::ostream& out, const Report& report, const std::string& project, const std::string& rtp,
               std::string_view charset) {
  const Counts c = CountOf(report);
  out << "<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"" << Escape(charset) << "\">\n"
      << "<title>Quillfen reference report: " << Escape(project) << "</title>\n<style>\n"
      << "body{font-family:sans-serif;margin:2em;max-width:80em;color:#222}\n"
      << "table{border-collapse:collapse;width:100%;font-size:90%}\n"
      << "td,th{border:1px solid #ccc;padding:2px 6px;text-align:left;vertical-align:top}\n"
      << "th{background:#eee}h2{border-bottom:2px solid #ccc;padding-bottom:2px}\n"
      << "h2.missing{border-color:#c33;color:#a00}h2.RTP{border-color:#d90}"
      << "h2.project{border-color:#393}\n"
      << "code{background:#f4f4f4;padding:0 3px}.summary td{border:none}\n"
      << "</style></head><body>\n<h1>Reference report</h1>\n<table class=\"summary\">\n"
      << "<tr><td>Project</td><td><code>" << Escape(project) << "</code></td></tr>\n"
      << "<tr><td>RTP</td><td><code>" << Escape(rtp.empty() ? "(none)" : rtp)
      << "</code></td></tr>\n<tr><td>Names</td><td>" << Escape(NamesLine(report))
      << "</td></tr>\n"
      << "<tr><td>References</td><td>" << c.references << ": " << c.project
      << " in the project, " << c.rtp << " from the RTP, " << c.missing << " missing; "
      << report.dynamic.size() << " names built at run time</td></tr>\n</table>\n";
  HtmlList(out, "missing", "Missing",
           "Named by the game but in neither the project nor the RTP: the game fails where it "
           "loads them.",
           report.missing);
  HtmlReferences(out, report, c, Status::kMissing, "Missing references", "Each place that names one.");
  HtmlList(out, "RTP", "Needed from the RTP",
           "Copy these into the project before the game is shipped without the RTP.", report.needed);
  HtmlReferences(out, report, c, Status::kRtp, "References found in the RTP", "Each place that names one.");
  HtmlReferences(out, report, c, Status::kProject, "References found in the project",
                 "These the game finds on any machine.");
  HtmlList(out, "unused", "Unused project files", "No reference names these files.", report.unused);
  HtmlList(out, "RTP", "Possibly needed from the RTP",
           "These fit a name the game completes while it runs: copy them if the game can build "
           "their names.",
           report.possiblyNeeded);
  out << "<h2>Names built at run time (" << report.dynamic.size() << ")</h2>\n";
  if (!report.dynamic.empty()) {
    out << "<p>These cannot be checked before the game runs; in a pattern each # is a digit "
           "of a variable's value.</p>\n<ul>\n";
    for (const DynamicEntry& d : report.dynamic) {
      out << "<li><code>" << Escape(DynamicName(d)) << "</code> (" << Escape(DynamicNote(d))
          << "): " << Escape(d.where) << "</li>\n";
    }
    out << "</ul>\n";
  }
  if (!report.problems.empty()) {
    out << "<h2 class=\"missing\">Files that could not be read (" << report.problems.size()
        << ")</h2>\n<ul>\n";
    for (const lcf::Problem& p : report.problems) out << "<li>" << Escape(ProblemText(p)) << "</li>\n";
    out << "</ul>\n";
  }
  out << "<p><small>Written by Quillfen " QF_VERSION ".</small></p>\n</body></html>\n";
}

}  // namespace quillfen::report
