#include "VectorScan.h"

#include <atomic>

namespace quillfen {
namespace {

bool Avx512Runs() {
#if QF_VECTOR_AVX512
  return __builtin_cpu_supports("avx512bw") && __builtin_cpu_supports("bmi") &&
         __builtin_cpu_supports("bmi2") && __builtin_cpu_supports("popcnt");
#else
  return false;
#endif
}

std::atomic<bool> useAvx512{Avx512Runs()};

}  // namespace

std::vector<std::string> VectorScanners() {
  if (Avx512Runs()) return {"avx512", "portable"};
  return {"portable"};
}

bool UseVectorScanner(std::string_view name) {
  if (name == "portable") {
    useAvx512 = false;
    return true;
  }
  if (name == "avx512" && Avx512Runs()) {
    useAvx512 = true;
    return true;
  }
  return false;
}

bool Avx512InUse() { return useAvx512.load(std::memory_order_relaxed); }

}  // namespace quillfen
