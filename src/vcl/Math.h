// The integer and rounding helpers that painting code shares.
#pragma once

#include <cstdint>

namespace quillfen::vcl {

// a * b / c with a 64-bit product, rounded to nearest with halves away from
// zero; -1 when c is 0 or the result does not fit, as the Win32 function.
int MulDiv(int a, int b, int c);

// Nearest integer, ties to even (banker's rounding).
std::int64_t Round(double value);

// Toward zero.
std::int64_t Trunc(double value);

// Sine and cosine in extended precision; 0 for an argument outside the range
// that the x87 unit reduces itself (|x| >= 2^63).
long double SinExt(long double x);
long double CosExt(long double x);
long double TanExt(long double x);

}  // namespace quillfen::vcl
