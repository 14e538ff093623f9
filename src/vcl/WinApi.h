// <windows.h> without the macros that collide with framework names
// (TCanvas::DrawText, TCanvas::TextOut). Include this instead of it.
#pragma once

#ifdef _WIN32
#include <windows.h>
#undef DrawText
#undef TextOut
#endif
