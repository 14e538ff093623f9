// Event command lists and move routes, shared by the three file readers.
#pragma once

#include <functional>
#include <string>

#include "Cursor.h"
#include "References.h"

namespace quillfen::lcf {

// Runs part; a FormatError inside it becomes a problem of file and the
// reading goes on after it.
void Guarded(Collected& out, const std::string& file, const std::function<void()>& part);

// A command list (code, indent, string, parameters; ended by a command 0 or
// the end of the data). where is the owner's location, e.g. "RPG_RT.ldb,
// common event 1 'Intro'"; each reference adds ", command N: Name".
void ReadCommandList(Cursor& in, const std::string& where, Collected& out);

// The moves of a move route chunk; where is the route's location.
void ReadMoveRoute(Cursor& in, const std::string& where, Collected& out);

// The name shown in locations for an event command code.
std::string CommandName(int code);

}  // namespace quillfen::lcf
