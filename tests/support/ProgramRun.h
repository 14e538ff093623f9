// Running the real quillfen binary from a test: shell quoting, whole-file
// reads and writes, and the exit code with both output streams.
#pragma once

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

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

}  // namespace quillfen::testing
