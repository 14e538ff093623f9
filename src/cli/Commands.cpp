#include "Commands.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <nlohmann/json.hpp>
#include <optional>

#include "CliHost.h"
#include "Demo.h"
#include "Import.h"
#include "Messages.h"
#include "Pipeline.h"
#include "Platform.h"
#include "QuillfenVersion.h"
#include "ReportCommand.h"
#include "TextCompare.h"

#ifdef _WIN32
#include <io.h>
#define QF_ISATTY _isatty
#define QF_FILENO _fileno
#else
#include <unistd.h>
#define QF_ISATTY isatty
#define QF_FILENO fileno
#endif

namespace quillfen::cli {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;

struct CommonOptions {
  std::string project;
  std::optional<std::string> rtp;
  std::optional<std::string> editor;
  std::optional<std::string> winePrefix;
  std::optional<std::string> scratch;
  bool json = false;
  bool quiet = false;
};

struct ImportOptions {
  bool all = false;
  std::vector<std::string> entries;
  bool harmony = false;
  bool fullPackage = false;
};

void AddCommonOptions(CLI::App& cmd, CommonOptions& o) {
  cmd.add_option("--rtp", o.rtp, "RTP folder (instead of the registry's RuntimePackagePath)");
  cmd.add_option("--editor", o.editor,
                 "RPG Maker 2000 folder (instead of the registry's ApplicationPath)");
#ifndef _WIN32
  cmd.add_option("--wine-prefix", o.winePrefix,
                 "Wine prefix whose user.reg names the RTP (default $WINEPREFIX or ~/.wine)");
#endif
  cmd.add_option("--scratch", o.scratch,
                 "folder for the scratch files (default: beside the program)");
  cmd.add_flag("--json", o.json, "print one JSON object");
  cmd.add_flag("-q,--quiet", o.quiet, "no progress bar");
}

// The folder as the folder browser would return it: absolute, without a
// trailing separator (a drive or file-system root keeps its own).
std::string BrowserFolder(const std::string& given) {
  fs::path p = fs::absolute(fs::path(given)).lexically_normal();
  std::string text = p.string();
  while (text.size() > 1 && (text.back() == '/' || text.back() == '\\') &&
         !(text.size() == 3 && text[1] == ':')) {
    text.pop_back();
  }
  return text;
}

json MessagesJson(const std::vector<Message>& list) {
  json a = json::array();
  for (const Message& m : list) a.push_back({{"title", m.title}, {"message", m.message}});
  return a;
}

std::string Dump(const json& j) {
  // Names are bytes in the game's code page; never fail on them.
  return j.dump(2, ' ', false, json::error_handler_t::replace);
}

std::string NormaliseEntry(std::string entry) {
  for (char& c : entry) {
    if (c == '/') c = '\\';
  }
  return entry;
}

class Session {
 public:
  Session(const CommonOptions& o, std::ostream& out, std::ostream& err)
      : o_(o), out_(out), err_(err) {}

  // Scans, then hands the found files to import (when given). Returns the exit code.
  int Run(const ImportOptions* import, bool words) {
    std::string note;
    std::string scratch;
    try {
      scratch = ChooseScratchFolder(o_.scratch, note);
    } catch (const std::exception& e) {
      // Refused like a failed build: nothing is written anywhere else.
      err_ << "quillfen: " << e.what() << "\n";
      return kFailed;
    }
    if (!note.empty()) err_ << "quillfen: " << note << "\n";

    auto fileSystem = MakeFileSystem();
    auto ini = MakeIniWriter();
    // The scan finds the RTP with the given folders apart, to name its
    // source; the import's Harmony.dll takes --editor as the editor's key.
    auto registry = MakeRegistry({std::nullopt, std::nullopt, o_.winePrefix});
    auto importRegistry = MakeRegistry({o_.rtp, o_.editor, o_.winePrefix});
    bool showProgress = !o_.quiet && QF_ISATTY(QF_FILENO(stderr));
    CliHost host("", showProgress, /*echoStops=*/true);
    Scanner scanner({*fileSystem, *registry, scratch, ReadEnvironment(RtpEnvironmentNames()),
                     o_.rtp, o_.editor},
                    host);
    scanner.LoadToolLocations();

    json report;
    auto finish = [&](int code) {
      host.EndProgress();
      if (o_.json) {
        report["version"] = QF_VERSION;
        report["project"] = host.ProjectFolder();
        report["rtp"] = scanner.State().rtpPath;
        report["rtpSource"] = scanner.RtpSource();
        report["found"] = host.Found();
        report["status"] = host.Status();
        report["errors"] = MessagesJson(host.Stops());
        report["messages"] = MessagesJson(host.Infos());
        report["exitCode"] = code;
        out_ << Dump(report) << "\n";
      }
      return code;
    };

    // An empty name is no folder at all (and no path can be made of it).
    if (o_.project.empty()) {
      host.ReportStop(msg::kInvalidProjectTitle, msg::kInvalidProject);
      return finish(kInvalidProject);
    }
    if (!scanner.ChooseProject(BrowserFolder(o_.project))) return finish(kInvalidProject);
    if (scanner.State().rtpPath.empty()) {
      scanner.StartScan();  // says "RTP Not Found"
      return finish(kInvalidProject);
    }
    if (!o_.json) {
      err_ << "RTP: "
           << DescribeRtp({scanner.State().rtpPath, scanner.FoundEditorFolder(), scanner.RtpSource()})
           << "\n";
    }

    bool selectionBad = false;
    host.onImport = [&](const StringList& found, const std::string& rtpPath,
                        const std::string& projectFolder) {
      if (words) {
        if (o_.json)
          report["words"] = scanner.State().wordList.Items();
        else
          wordLines_ = scanner.State().wordList.Items();
      }
      if (!import) return;
      // After a failed stage the list is short or empty: a script cannot
      // tell, so nothing is copied and the project is not marked.
      if (!host.Stops().empty()) return;
      std::vector<std::string> selected;
      if (import->all) {
        selected = found.Items();
      } else {
        std::vector<bool> chosen(static_cast<std::size_t>(found.Count()), false);
        for (const std::string& asked : import->entries) {
          int index = found.IndexOf(NormaliseEntry(asked));
          if (index < 0) {
            err_ << "quillfen: '" << asked << "' is not among the files found\n";
            selectionBad = true;
            continue;
          }
          chosen[static_cast<std::size_t>(index)] = true;
        }
        if (selectionBad) return;  // change nothing on a mistyped selection
        for (int i = 0; i < found.Count(); ++i) {
          if (chosen[static_cast<std::size_t>(i)]) selected.push_back(found[i]);
        }
      }
      if (o_.json) report["selected"] = selected;
      Importer importer(*fileSystem, *importRegistry, *ini, host);
      host.EndProgress();
      importer.CopyFiles(selected, rtpPath, projectFolder);
      if (import->harmony) importer.AddHarmonyAfterScan(scanner.FoundEditorFolder(), projectFolder);
      if (import->fullPackage) importer.MarkFullPackage(projectFolder);
    };

    scanner.StartScan();
    host.EndProgress();
    if (!o_.json) {
      for (const std::string& entry : host.Found()) out_ << entry << "\n";
      if (words) {
        out_ << "\n";
        for (const std::string& w : wordLines_) out_ << w << "\n";
      }
      for (const Message& m : host.Infos()) out_ << m.title << ": " << m.message << "\n";
    }
    if (selectionBad) return finish(kUsage);
    return finish(host.Stops().empty() ? kOk : kFailed);
  }

 private:
  const CommonOptions& o_;
  std::ostream& out_;
  std::ostream& err_;
  std::vector<std::string> wordLines_;
};

int RunDemo(const std::string& dirArg, bool quiet, std::ostream& out, std::ostream& err) {
  fs::path dir = dirArg.empty() ? fs::current_path() / "quillfen-demo" : fs::path(dirArg);
  DemoLayout demo;
  // The demo replaces what it wrote before, and nothing else: a folder that
  // holds anything without its mark may be a real game or RTP.
  const fs::path mark = dir / "quillfen-demo.txt";
  std::error_code ec;
  if (fs::exists(dir, ec) && !(fs::is_directory(dir, ec) && fs::is_empty(dir, ec)) && !fs::exists(mark, ec)) {
    err << "quillfen: " << dir.string()
        << " already holds files the demo did not write; choose a new or empty folder\n";
    return kUsage;
  }
  try {
    for (const char* part : {"Project", "RTP", "Editor", "scratch"}) fs::remove_all(dir / part);
    fs::create_directories(dir);
    std::ofstream(mark, std::ios::binary)
        << "Written by 'quillfen demo', which replaces Project, RTP, Editor and scratch here when run again.\n";
    demo = WriteDemo(dir);
  } catch (const std::exception& e) {
    err << "quillfen: cannot write the demo into " << dir.string() << ": " << e.what() << "\n";
    return kFailed;
  }
  out << "Demo project: " << demo.projectFolder << "\n"
      << "Demo RTP:     " << demo.rtpFolder << "\n"
      << "Demo editor:  " << demo.editorFolder << "\n\n"
      << "Scanning the project and importing every file found, with Harmony.dll and\n"
      << "FullPackageFlag:\n\n";
  CommonOptions o;
  o.project = demo.projectFolder;
  o.rtp = demo.rtpFolder;
  o.editor = demo.editorFolder;
  o.quiet = quiet;
  o.scratch = (dir / "scratch").string();
  ImportOptions import;
  import.all = true;
  import.harmony = true;
  import.fullPackage = true;
  int code = Session(o, out, err).Run(&import, false);
  const fs::path project = demo.projectFolder;
  int copied = 0;
  for (std::string entry : demo.expectedFound) {
    std::replace(entry.begin(), entry.end(), '\\', '/');
    copied += fs::exists(project / entry) ? 1 : 0;
  }
  out << "\nThe demo expects " << demo.expectedFound.size() << " files; the project now holds "
      << copied << " of them.\n"
      << "Harmony.dll in the project: " << (fs::exists(project / "Harmony.dll") ? "yes" : "no") << "\n"
      << "RPG_RT.ini now reads:\n";
  std::ifstream ini(project / "RPG_RT.ini", std::ios::binary);
  out << ini.rdbuf() << "\n";
  out << "Exit code " << code << "\n";
  return code;
}

}  // namespace

int Run(int argc, char** argv, std::ostream& out, std::ostream& err) {
  CLI::App app{"Quillfen: finds the RTP files a RPG Maker 2000 project uses but lacks, "
               "and copies them in."};
  app.require_subcommand(1);
  app.set_help_all_flag("--help-all", "help for every command");
  app.set_version_flag("--version", "quillfen " QF_VERSION, "print the version and exit");

  CommonOptions scanOptions;
  bool words = false;
  CLI::App* scan = app.add_subcommand("scan", "list the RTP files the project uses but lacks");
  scan->add_option("PROJECT", scanOptions.project, "the game project folder")->required();
  AddCommonOptions(*scan, scanOptions);
  scan->add_flag("--words", words, "also print the word list");

  CommonOptions importCommon;
  ImportOptions import;
  CLI::App* imp = app.add_subcommand("import", "scan, then copy the chosen files into the project");
  imp->add_option("PROJECT", importCommon.project, "the game project folder")->required();
  imp->add_option("ENTRY", import.entries, "files to copy, as scan prints them");
  imp->add_flag("--all", import.all, "copy every file found");
  imp->add_flag("--harmony", import.harmony, "copy the editor's Harmony.dll into the project");
  imp->add_flag("--full-package", import.fullPackage,
                "set FullPackageFlag=1 in the project's RPG_RT.ini");
  AddCommonOptions(*imp, importCommon);
  bool exact = false;
  std::string importEncoding = "auto";
  imp->add_flag("--exact", exact,
                "copy from the exact reference report's needed list instead of the scan's");
  imp->add_option("--encoding", importEncoding,
                  "with --exact: code page of the game's names, by name or number (as report)");
  bool withRunTimeNames = false;
  imp->add_flag("--with-run-time-names", withRunTimeNames,
                "with --exact: also the RTP files that fit names the game completes while it runs");
  std::uint64_t importSpillAbove = report::kSpillAbove;
  imp->add_option("--spill-above", importSpillAbove)->group("");

  ReportOptions reportOptions;
  CLI::App* rep = app.add_subcommand(
      "report", "read the game data as the engine does: every resource reference, and the "
                "files needed, missing and unused");
  rep->add_option("PROJECT", reportOptions.project, "the game project folder")->required();
  rep->add_option("--rtp", reportOptions.rtp,
                  "RTP folder (instead of the registry's RuntimePackagePath)");
#ifndef _WIN32
  rep->add_option("--wine-prefix", reportOptions.winePrefix,
                  "Wine prefix whose user.reg names the RTP (default $WINEPREFIX or ~/.wine)");
#endif
  rep->add_option("--encoding", reportOptions.encoding,
                  "code page of the game's names, by name or number: auto (RPG_RT.ini's "
                  "[EasyRPG] Encoding, else the one under which most names find a file), "
                  "shift-jis (932), gbk (936), cp949 (korean), big5 (950), cp874 (thai), "
                  "cp1250 to cp1258 (central-european, cyrillic, western, greek, turkish, "
                  "hebrew, arabic, baltic, vietnamese)");
  rep->add_flag("--json", reportOptions.json, "print one JSON object");
  rep->add_option("--html", reportOptions.html, "also write the report as an HTML page");
  // Unlisted: how big a project's files may be before its references go
  // to a temporary file (tests lower it to read small games that way).
  rep->add_option("--spill-above", reportOptions.spillAbove)->group("");

  std::string demoDir;
  bool demoQuiet = false;
  CLI::App* demo = app.add_subcommand("demo", "write a demo project and RTP, then scan and import");
  demo->add_option("DIR", demoDir, "where to write the demo (default ./quillfen-demo)");
  demo->add_flag("-q,--quiet", demoQuiet, "no progress bar");

  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp&) {
    out << app.help();
    return kOk;
  } catch (const CLI::CallForAllHelp&) {
    out << app.help("", CLI::AppFormatMode::All);
    return kOk;
  } catch (const CLI::CallForVersion& e) {
    out << e.what() << "\n";
    return kOk;
  } catch (const CLI::ParseError& e) {
    // Help of a subcommand arrives as CallForHelp from that subcommand.
    if (e.get_exit_code() == static_cast<int>(CLI::ExitCodes::Success)) {
      for (CLI::App* sub : {scan, imp, rep, demo}) {
        if (sub->parsed()) {
          out << sub->help();
          return kOk;
        }
      }
      out << app.help();
      return kOk;
    }
    err << "quillfen: " << e.what() << "\n" << "Run 'quillfen --help' for usage.\n";
    return kUsage;
  }

  if (scan->parsed()) return Session(scanOptions, out, err).Run(nullptr, words);
  if (imp->parsed()) {
    if (import.all == !import.entries.empty()) {
      err << "quillfen: import takes either --all or a list of entries\n";
      return kUsage;
    }
    if (exact) {
      ReportOptions r;
      r.project = importCommon.project;
      r.rtp = importCommon.rtp;
      r.editor = importCommon.editor;
      r.winePrefix = importCommon.winePrefix;
      r.encoding = importEncoding;
      r.json = importCommon.json;
      r.spillAbove = importSpillAbove;
      return RunExactImport(
          r, {import.all, import.entries, import.harmony, import.fullPackage, withRunTimeNames}, out,
          err);
    }
    return Session(importCommon, out, err).Run(&import, false);
  }
  if (rep->parsed()) return RunReport(reportOptions, out, err);
  return RunDemo(demoDir, demoQuiet, out, err);
}

}  // namespace quillfen::cli
