#pragma once
// The standard descriptors 0, 1 and 2 of a program started with some of them
// closed (`prog >&-`, `2>&-`).

namespace aqvis {

// Gives every closed standard descriptor a stand-in that fails as the closed
// one did: /dev/null opened for writing only on 0 and for reading only on 1
// and 2, so a read of standard input or a write to standard output or error
// still fails (and is reported by the exit status), yet no file the program
// opens later can take the number and receive rows or messages meant for a
// standard stream.  Call it first thing in main.  Returns false when a
// stand-in could not be opened.
bool Hold_Closed_Standard_Descriptors();

}  // namespace aqvis
