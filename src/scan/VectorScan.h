// Which vector instructions the byte searches (the marker search and the
// word search) use. The fastest kind this processor runs is chosen when the
// program starts; the tests try each kind.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define QF_VECTOR_AVX512 1
#else
#define QF_VECTOR_AVX512 0
#endif

namespace quillfen {

// The kinds this processor can run ("avx512", "portable"), fastest first.
std::vector<std::string> VectorScanners();
// Searches the named way from now on; false when it cannot run here.
bool UseVectorScanner(std::string_view name);
// Whether the searches use AVX-512 now.
bool Avx512InUse();

}  // namespace quillfen
