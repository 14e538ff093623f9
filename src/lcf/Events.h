// Event command lists and move routes, shared by the three file readers.
#pragma once

#include <string>

#include "Cursor.h"
#include "References.h"

namespace quillfen::lcf {

// Runs part; a FormatError inside it becomes a problem of file and the
// reading goes on after it. A template, not a std::function: it wraps every
// event and page, and a function object would allocate for each.
template <class Part>
void Guarded(Collected& out, const std::string& file, Part&& part) {
  try {
    part();
  } catch (const FormatError& e) {
    out.AddProblem(file, e.Offset(), e.what());
  }
}

// A command list (code, indent, string, parameters; ended by a command 0 or
// the end of the data). where is the owner's location, e.g. "RPG_RT.ldb,
// common event 1 'Intro'"; each reference adds ", command N: Name".
void ReadCommandList(Cursor& in, const std::string& where, Collected& out);

// The moves of a move route chunk; where is the route's location.
void ReadMoveRoute(Cursor& in, const std::string& where, Collected& out);

// The name shown in locations for an event command code.
std::string CommandName(int code);

}  // namespace quillfen::lcf
