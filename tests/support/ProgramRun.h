// Running the real quillfen binary from a test: shell quoting, whole-file
// reads and writes, and the exit code with both output streams.
#pragma once

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace quillfen::testing {

struct ProgramResult {
  int code = -1;  // -1 when the program did not exit normally
  std::string out;
  std::string err;
};

inline std::string ReadAll(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

inline void WriteAll(const std::filesystem::path& p, const std::string& data) {
  std::filesystem::create_directories(p.parent_path());
  std::ofstream(p, std::ios::binary) << data;
}

// One argument for sh, whatever it holds.
inline std::string Quote(const std::string& s) {
  std::string q = "'";
  for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

// Runs a shell command with its output going to files in the given folder.
inline ProgramResult RunShell(std::string cmd, const std::filesystem::path& folder) {
  cmd += " >" + Quote((folder / "out").string()) + " 2>" + Quote((folder / "err").string());
  const int status = std::system(cmd.c_str());
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadAll(folder / "out"), ReadAll(folder / "err")};
}

// The command that runs program with args where no RTP of the machine can
// leak in: the RTP variables unset, the shared data folders and the Wine
// prefix inside root; env adds NAME=value settings on top.
inline std::string CleanRtpCommand(const std::filesystem::path& root, const std::string& program,
                                   const std::vector<std::string>& args,
                                   const std::vector<std::string>& env = {}) {
  std::string cmd = "env -u RPG_RTP_PATH -u RPG2K_RTP_PATH -u RPG2K3_RTP_PATH";
  auto add = [&cmd](const char* before, const std::string& word) {
    cmd += before;
    cmd += Quote(word);
  };
  add(" XDG_DATA_HOME=", (root / "no-home").string());
  add(" XDG_DATA_DIRS=", (root / "no-dirs").string());
  add(" WINEPREFIX=", (root / "wine").string());
  for (const auto& e : env) add(" ", e);
  add(" ", program);
  for (const auto& a : args) add(" ", a);
  return cmd;
}

}  // namespace quillfen::testing
