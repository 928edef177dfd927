// avsview --help: its text, then the shared exit-code table (kit::exitCodeTable) and its notes.
#pragma once

namespace avsview {

extern const char kHelpText[];
// What the shared exit codes mean for avsview, printed after the table.
extern const char kExitNotes[];

}  // namespace avsview
