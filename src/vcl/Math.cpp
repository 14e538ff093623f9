#include "Math.h"

#include <cmath>

namespace quillfen::vcl {

int MulDiv(int a, int b, int c) {
  if (c == 0) return -1;
  std::int64_t multiplicand = a;
  std::int64_t divisor = c;
  if (divisor < 0) {
    multiplicand = -multiplicand;
    divisor = -divisor;
  }
  const std::int64_t product = multiplicand * b;
  const std::int64_t half = divisor / 2;
  const std::int64_t result = product >= 0 ? (product + half) / divisor : (product - half) / divisor;
  if (result > 2147483647LL || result < -2147483647LL) return -1;
  return static_cast<int>(result);
}

std::int64_t Round(double value) {
  const double lower = std::floor(value);
  const double fraction = value - lower;
  auto result = static_cast<std::int64_t>(lower);
  if (fraction > 0.5) return result + 1;
  if (fraction < 0.5) return result;
  return (result % 2 == 0) ? result : result + 1;
}

std::int64_t Trunc(double value) { return static_cast<std::int64_t>(std::trunc(value)); }

namespace {
constexpr long double kReductionLimit = 9223372036854775808.0L;  // 2^63
}

long double SinExt(long double x) {
  if (!(std::fabs(x) < kReductionLimit)) return 0.0L;
  return std::sin(x);
}

long double CosExt(long double x) {
  if (!(std::fabs(x) < kReductionLimit)) return 0.0L;
  return std::cos(x);
}

long double TanExt(long double x) {
  if (!(std::fabs(x) < kReductionLimit)) return 0.0L;
  return std::tan(x);
}

}  // namespace quillfen::vcl
