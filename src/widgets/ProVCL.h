// The Pro cursors: the five hand cursors of the program's resources under
// the screen cursor numbers 15000..15004 (crProHandPoint ...).
#pragma once

#include "res/ProRes.h"

namespace quillfen::widgets {

constexpr int crProHandPoint = PRO_CR_HANDPOINT;
constexpr int crProSmallHandPoint = PRO_CR_SMALLHANDPOINT;
constexpr int crProGrabHand = PRO_CR_GRABHAND;
constexpr int crProGrabHandArrow = PRO_CR_GRABHANDARROW;
constexpr int crProDragHand = PRO_CR_DRAGHAND;

// Runs at program start-up (and again harmlessly); a cursor missing from the
// resources is left unregistered, so its number shows the default cursor.
// Answers how many of the five were found.
int RegisterProCursors();

}  // namespace quillfen::widgets
