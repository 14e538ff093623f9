#include "ReportCommand.h"

#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <sstream>
#include <unordered_map>
#include <nlohmann/json.hpp>

#include "CliHost.h"
#include "Commands.h"
#include "Import.h"
#include "JsonStream.h"
#include "Messages.h"
#include "Platform.h"
#include "QuillfenVersion.h"
#include "Report.h"
#include "TwoHalves.h"
#include "RtpLocations.h"
#include "TextDecode.h"

namespace quillfen::cli {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;

std::string Dump(const json& j) {
  return j.dump(2, ' ', false, json::error_handler_t::replace);
}

// Names and folders given on the command line (in the ANSI code page on
// Windows), as the report writes them: UTF-8.
std::string FromCommandLine(const std::string& given) { return AnsiToUtf8(given); }

// A file of the report as the file system's calls take it: on Windows the
// ANSI code page, which cannot name every file; nullopt for those.
std::optional<std::string> ForFileCalls(const std::string& utf8) { return AnsiFromUtf8(utf8); }

// The project and RTP as the report needs them; the exit code on failure.
struct Setup {
  std::unique_ptr<FileSystem> fileSystem;
  std::unique_ptr<Registry> registry;
  std::string projectShown;  // as given, made absolute
  report::Options options;
  RtpLocation rtp;  // options.rtpFolder and where it came from
};

// Why a command ends before it has a report: on stderr as "Title: message",
// and with --json as the object's only error.
struct Stop {
  int code = kOk;
  std::string title;  // "quillfen" for what is wrong with the command itself
  std::string message;
};

int Stopped(const ReportOptions& o, const Stop& stop, std::ostream& out, std::ostream& err) {
  err << stop.title << ": " << stop.message << "\n";
  if (o.json) {
    json j = {{"version", QF_VERSION},
              {"project", o.project},
              {"errors", json::array({{{"title", stop.title}, {"message", stop.message}}})},
              {"exitCode", stop.code}};
    out << Dump(j) << "\n";
  }
  return stop.code;
}

Stop Prepare(const ReportOptions& o, Setup& s) {
  auto encoding = report::ParseEncoding(o.encoding);
  if (!encoding) {
    return {kUsage, "quillfen",
            "unknown encoding '" + o.encoding + "' (" + report::EncodingChoices() + ")"};
  }
  if (o.project.empty()) {  // no folder, and no path can be made of it
    return {kInvalidProject, msg::kInvalidProjectTitle, msg::kInvalidProject};
  }
  s.fileSystem = MakeFileSystem();
  s.registry = MakeRegistry({std::nullopt, std::nullopt, o.winePrefix});
  fs::path project = fs::absolute(fs::path(o.project)).lexically_normal();
  s.projectShown = project.string();
  while (s.projectShown.size() > 1 &&
         (s.projectShown.back() == '/' || s.projectShown.back() == '\\')) {
    s.projectShown.pop_back();
  }
  s.options.projectFolder = s.projectShown + "\\";
  if (!s.fileSystem->FileExists(s.options.projectFolder + "RPG_RT.lmt") ||
      !s.fileSystem->FileExists(s.options.projectFolder + "RPG_RT.ldb")) {
    return {kInvalidProject, msg::kInvalidProjectTitle, msg::kInvalidProject};
  }
  UsePlatformNames(s.options);
  s.options.encoding = *encoding;
  if (*encoding != report::Encoding::kAuto) s.options.encodingSetBy = "--encoding";
  return {};
}

// Names compared as bytes stay bytes of the system's code page on the page.
std::string HtmlCharset(const Setup& s) {
  const std::optional<CodePage> ansi = AnsiCodePage();
  return report::HtmlCharsetOf(static_cast<bool>(s.options.decode),
                               ansi ? std::optional<unsigned>(static_cast<unsigned>(*ansi)) : std::nullopt);
}

// The RTP of the project's edition, where the engines look for it.
void LocateRtp(const ReportOptions& o, Setup& s, bool is2003) {
  const RtpSources sources{*s.fileSystem, *s.registry, ReadEnvironment(RtpEnvironmentNames()),
                           o.rtp, o.editor};
  if (auto found = FindRtp(is2003 ? RtpEdition::Rpg2003 : RtpEdition::Rpg2000, sources)) {
    s.rtp = std::move(*found);
    s.options.rtpFolder = s.rtp.folder;
  }
}

// Text for a person: on a Windows console as UTF-16, so that every name
// shows whatever the console's code page; elsewhere the UTF-8 as it is.
void WriteText(std::ostream& out, const std::string& text) {
  if (&out == &std::cout) {
    out.flush();
    if (WriteConsoleUtf8(text)) return;
  }
  out << text;
}

// The text report, written as it is made except where a Windows console
// needs it whole.
void WriteTextReport(std::ostream& out, const report::Report& r, const std::string& project,
                     const std::string& rtp) {
#ifdef _WIN32
  if (&out == &std::cout) return WriteText(out, report::FormatText(r, project, rtp));
#endif
  report::WriteText(out, r, project, rtp);
}

std::string RtpShown(const Setup& s) {
  const std::string& r = s.options.rtpFolder;
  return r.empty() ? std::string() : r.substr(0, r.size() - 1);
}

// With where it came from, for people to read.
std::string RtpDescribed(const Setup& s) {
  return s.options.rtpFolder.empty() ? std::string() : DescribeRtp(s.rtp);
}

void PrintProblems(const report::Report& r, std::ostream& err) {
  for (const lcf::Problem& p : r.problems) err << "quillfen: " << report::ProblemText(p) << "\n";
}

void WriteReference(JsonStream& w, const report::Entry& e) {
  w.BeginObject();
  w.Key("files");
  w.Strings(e.Files());
  w.Key("folder");
  w.String(lcf::FolderName(e.folder));
  w.Key("name");
  w.String(e.Name());
  if (!e.NameBytes().empty()) {
    w.Key("nameBytes");
    w.String(e.NameBytes());
  }
  w.Key("status");
  w.String(report::StatusName(e.status));
  w.Key("where");
  w.String(e.where);
  w.EndObject();
}

// The references after an array's first item, as JsonStream writes them:
// every reference to one name shares all of its object but the place, so
// that part is written once per name and copied for the others.
class ReferenceItems {
 public:
  void Append(std::string& out, const report::Entry& e) {
    const Key key{e.resolution.get(), e.folder, e.status};
    auto it = parts_.find(key);
    if (it == parts_.end()) it = parts_.emplace(key, PartsOf(e)).first;
    out += it->second.head;
    AppendJsonString(out, e.where);
    out += it->second.tail;
  }

 private:
  struct Key {
    const report::Resolution* resolution;
    lcf::Folder folder;
    report::Status status;
    bool operator==(const Key&) const = default;
  };
  struct KeyHash {
    std::size_t operator()(const Key& k) const {
      return std::hash<const void*>()(k.resolution) ^ (static_cast<std::size_t>(k.folder) << 8) ^
             static_cast<std::size_t>(k.status);
    }
  };
  struct Parts {
    std::string head;  // from the comma before the object to the place's value
    std::string tail;  // after the place's value to the object's end
  };
  // The item with an empty place, cut around that place.
  static Parts PartsOf(const report::Entry& e) {
    report::Entry blank = e;
    blank.where = {};
    std::ostringstream text;
    {
      JsonStream item(text);
      item.ContinueInside(2);
      WriteReference(item, blank);
    }
    const std::string written = text.str();
    constexpr std::string_view kPlace = "\"where\": \"\"";
    const std::size_t at = written.rfind(kPlace);
    if (at == std::string::npos) throw std::logic_error("a reference's JSON has no place");
    const std::size_t value = at + kPlace.size() - 2;
    return {written.substr(0, value), written.substr(value + 2)};
  }

  std::unordered_map<Key, Parts, KeyHash> parts_;
};

// References made into JSON at a time: a few hundred kilobytes; fewer
// where they are read back from a temporary file, which is there to spare
// memory.
constexpr std::size_t kReferencesPerSlice = 2048;
constexpr std::size_t kSpilledReferencesPerSlice = 256;

// Written as it goes: a tree of tens of thousands of references costs more
// than the report. Keys in the order nlohmann::json sorts them, as the
// other commands' objects have them.
void WriteReportJson(std::ostream& out, const report::Report& r, const Setup& s, int code) {
  JsonStream w(out);
  w.BeginObject();
  w.Key("dynamic");
  w.Unsigned(r.dynamic.size());
  w.Key("dynamicNames");
  w.BeginArray();
  for (const report::DynamicEntry& d : r.dynamic) {
    w.BeginObject();
    if (!d.pattern.empty()) {
      w.Key("files");
      w.Strings(d.files);
    }
    w.Key("folder");
    w.String(lcf::FolderName(d.folder));
    w.Key("name");
    w.String(d.name);
    if (!d.pattern.empty()) {
      w.Key("pattern");
      w.String(d.pattern);
    }
    w.Key("where");
    w.String(d.where);
    w.EndObject();
  }
  w.EndArray();
  w.Key("encoding");
  w.String(r.encoding);
  w.Key("encodingReason");
  w.String(r.encodingReason);
  w.Key("exitCode");
  w.Number(code);
  w.Key("missing");
  w.Strings(r.missing);
  w.Key("needed");
  w.Strings(r.needed);
  w.Key("possiblyNeeded");
  w.Strings(r.possiblyNeeded);
  w.Key("problems");
  w.BeginArray();
  for (const lcf::Problem& p : r.problems) {
    w.BeginObject();
    w.Key("file");
    w.String(p.file);
    w.Key("message");
    w.String(p.message);
    w.Key("offset");
    if (p.offset == lcf::Problem::kNoOffset) {
      w.Null();
    } else {
      w.Unsigned(p.offset);
    }
    w.EndObject();
  }
  w.EndArray();
  w.Key("project");
  w.String(FromCommandLine(s.options.projectFolder));
  w.Key("references");
  w.BeginArray();
  if (const std::size_t count = report::ReferenceCount(r); count != 0) {
    WriteReference(w, report::EntriesOf(r, 0, 1)[0]);  // the array's first item, without a comma
    ReferenceItems items[2];                           // one for each thread that makes them
    report::InTurns(
        count - 1, r.spilled ? kSpilledReferencesPerSlice : kReferencesPerSlice,
        [&](std::size_t begin, std::size_t end, std::string& out, int maker) {
          for (const report::Entry& e : report::EntriesOf(r, begin + 1, end + 1)) items[maker].Append(out, e);
        },
        [&](std::string_view text) { w.Items(text); });
  }
  w.EndArray();
  w.Key("rpg2003");
  w.Bool(r.is2003);
  w.Key("rtp");
  w.String(FromCommandLine(s.options.rtpFolder));
  w.Key("rtpSource");
  w.String(s.rtp.source);
  w.Key("unused");
  w.Strings(r.unused);
  w.Key("version");
  w.String(QF_VERSION);
  w.EndObject();
  w.Flush();
  out << "\n";
}

// The program's own run ends right after the report, and its memory goes
// back with the process at once: taking tens of thousands of entries apart
// one by one first would cost a tenth of the whole run. Kept where it stays
// reachable; a caller in the same process (tests) frees it as usual.
void KeepToTheEnd(std::unique_ptr<const report::Report> report, const std::ostream& out) {
  static const report::Report* kept = nullptr;
  if (&out == &std::cout && kept == nullptr) kept = report.release();
}

}  // namespace

int RunReport(const ReportOptions& o, std::ostream& out, std::ostream& err) {
  Setup s;
  if (Stop stop = Prepare(o, s); stop.code != kOk) return Stopped(o, stop, out, err);
  lcf::Collected collected = report::CollectProject(*s.fileSystem, s.options.projectFolder, {}, o.spillAbove);
  LocateRtp(o, s, collected.is2003);
  if (s.options.rtpFolder.empty()) {
    err << "quillfen: no RTP known for this " << (collected.is2003 ? "2003" : "2000")
        << " project (give --rtp): references not in the project count as missing\n";
  }
  auto owned =
      std::make_unique<const report::Report>(report::Resolve(*s.fileSystem, s.options, std::move(collected)));
  const report::Report& r = *owned;
  PrintProblems(r, err);
  int code = r.problems.empty() ? kOk : kFailed;
  if (o.html) {
    std::ofstream page(fs::path(*o.html), std::ios::binary | std::ios::trunc);
    report::WriteHtml(page, r, FromCommandLine(s.projectShown), FromCommandLine(RtpDescribed(s)), HtmlCharset(s));
    page.close();
    if (!page) {
      err << "quillfen: cannot write the report page '" << *o.html << "'\n";
      code = kFailed;
    }
  }
  if (o.json) {
    WriteReportJson(out, r, s, code);
  } else {
    WriteTextReport(out, r, FromCommandLine(s.projectShown), FromCommandLine(RtpDescribed(s)));
  }
  KeepToTheEnd(std::move(owned), out);
  return code;
}

int RunExactImport(const ReportOptions& o, const ExactImportOptions& import, std::ostream& out,
                   std::ostream& err) {
  Setup s;
  if (Stop stop = Prepare(o, s); stop.code != kOk) return Stopped(o, stop, out, err);
  lcf::Collected collected = report::CollectProject(*s.fileSystem, s.options.projectFolder, {}, o.spillAbove);
  LocateRtp(o, s, collected.is2003);
  if (s.options.rtpFolder.empty()) {
    return Stopped(o, {kInvalidProject, msg::kRtpNotFoundTitle, msg::kRtpNotFound}, out, err);
  }
  if (!o.json) err << "RTP: " << RtpDescribed(s) << "\n";
  const report::Report r = report::Resolve(*s.fileSystem, s.options, std::move(collected));
  PrintProblems(r, err);

  // Files that fit a name completed at run time only when asked for.
  std::vector<std::string> offered = r.needed;
  if (import.withRunTimeNames) {
    offered.insert(offered.end(), r.possiblyNeeded.begin(), r.possiblyNeeded.end());
  }
  std::vector<std::string> selected;
  if (import.all) {
    selected = offered;
  } else {
    std::string bad;
    int badCount = 0;
    for (const std::string& given : import.entries) {
      std::string asked = FromCommandLine(given);
      for (char& c : asked) c = c == '/' ? '\\' : c;
      auto it = std::find_if(offered.begin(), offered.end(), [&](const std::string& n) {
        return FoldFileName(n) == FoldFileName(asked);
      });
      if (it == offered.end()) {
        bad += (bad.empty() ? "'" : ", '") + asked + "'";
        ++badCount;
      } else if (std::find(selected.begin(), selected.end(), *it) == selected.end()) {
        selected.push_back(*it);
      }
    }
    // Change nothing on a mistyped selection.
    if (!bad.empty()) {
      bad += badCount == 1 ? " is not among the needed files" : " are not among the needed files";
      return Stopped(o, {kUsage, "quillfen", bad}, out, err);
    }
  }
  // The copy takes names as the file calls do; one they cannot name is
  // left out and said so.
  std::vector<std::string> toCopy;
  std::vector<std::string> unnameable;
  for (const std::string& entry : selected) {
    if (auto name = ForFileCalls(entry)) {
      toCopy.push_back(std::move(*name));
    } else {
      unnameable.push_back(entry);
    }
  }

  CliHost host(s.options.projectFolder, false, /*echoStops=*/!o.json);
  auto ini = MakeIniWriter();
  Importer importer(*s.fileSystem, *s.registry, *ini, host);
  importer.CopyFiles(toCopy, s.options.rtpFolder, s.options.projectFolder);
  for (const std::string& entry : unnameable) {
    err << "quillfen: '" << entry
        << "' was not copied: its name has characters the system's code page cannot write\n";
  }
  // The editor of the key that gave the RTP: a 2003 project gets 2003's library.
  if (import.harmony) importer.AddHarmonyFrom(s.rtp.editorFolder, s.options.projectFolder);

  json stillMissing = json::array();
  std::size_t dynamicCount = 0;
  if (import.fullPackage) {
    // Without the RTP only the project's own files are there.
    report::Options projectOnly = s.options;
    projectOnly.rtpFolder.clear();
    const report::Report after = report::BuildReport(*s.fileSystem, projectOnly, o.spillAbove);
    dynamicCount = after.dynamic.size();
    struct Missed {
      std::string_view folder;
      std::string name, where;
    };
    std::vector<Missed> missing;
    report::ForEachEntry(after, [&](const report::Entry& e) {
      if (e.status == report::Status::kMissing) {
        missing.push_back({lcf::FolderName(e.folder), e.Name(), std::string(e.where)});
      }
    });
    if (!missing.empty()) {
      err << "Warning: " << missing.size()
          << " reference(s) name files that are not in the project. With FullPackageFlag=1 "
             "the game no longer asks for the RTP, and on a machine without it the game fails "
             "where it loads them:\n";
    }
    for (const Missed& e : missing) {
      err << "  " << e.folder << "\\" << e.name << "  " << e.where << "\n";
      stillMissing.push_back({{"folder", e.folder}, {"name", e.name}, {"where", e.where}});
    }
    if (dynamicCount != 0) {
      err << "Warning: " << dynamicCount
          << " name(s) are built while the game runs and could not be checked.\n";
    }
    importer.MarkFullPackage(s.options.projectFolder);
  }

  // A file that could not be read leaves the needed list short: no success.
  const int code = host.Stops().empty() && r.problems.empty() && unnameable.empty() ? kOk : kFailed;
  if (o.json) {
    auto messages = [](const std::vector<Message>& list) {
      json a = json::array();
      for (const Message& m : list) a.push_back({{"title", m.title}, {"message", m.message}});
      return a;
    };
    json j = {{"version", QF_VERSION},
              {"project", FromCommandLine(s.projectShown)},
              {"rtp", FromCommandLine(RtpShown(s))},
              {"rtpSource", s.rtp.source},
              {"needed", r.needed},
              {"possiblyNeeded", r.possiblyNeeded},
              {"selected", selected},      {"stillMissing", stillMissing},
              {"dynamic", dynamicCount},   {"errors", messages(host.Stops())},
              {"messages", messages(host.Infos())}, {"exitCode", code}};
    out << Dump(j) << "\n";
    return code;
  }
  std::string copied;
  for (const std::string& entry : selected) copied += entry + "\n";
  WriteText(out, copied);
  for (const Message& m : host.Infos()) out << m.title << ": " << m.message << "\n";
  return code;
}

}  // namespace quillfen::cli
