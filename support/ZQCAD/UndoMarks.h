// A mark in the current drawing's undo record and going back to it: the suite brackets work it
// may want to take back as a whole (a block made from entities, for one).
#pragma once

namespace ZQ {

// Sets an undo mark in the current drawing. False without a current drawing.
bool UndoM();
// Undoes everything after the latest mark (everything recorded when there is none) and removes
// the mark. False without a current drawing or when the host refuses (an object still open).
bool UndoB();

}  // namespace ZQ
