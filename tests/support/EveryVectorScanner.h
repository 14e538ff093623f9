// Runs a check once with each kind of vector search this processor offers,
// then leaves the fastest one in use.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "VectorScan.h"

namespace quillfen::testing {

template <class Check>
void WithEveryVectorScanner(Check check) {
  const std::vector<std::string> scanners = VectorScanners();
  ASSERT_FALSE(scanners.empty());
  for (const std::string& scanner : scanners) {
    SCOPED_TRACE("vector search " + scanner);
    ASSERT_TRUE(UseVectorScanner(scanner));
    check();
  }
  ASSERT_TRUE(UseVectorScanner(scanners.front()));
  EXPECT_FALSE(UseVectorScanner("no such kind"));
}

}  // namespace quillfen::testing
