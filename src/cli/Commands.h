// The quillfen command line: scan, import and demo.
#pragma once

#include <iosfwd>

namespace quillfen::cli {

enum ExitCode { kOk = 0, kFailed = 1, kUsage = 2, kInvalidProject = 3 };

int Run(int argc, char** argv, std::ostream& out, std::ostream& err);

}  // namespace quillfen::cli
