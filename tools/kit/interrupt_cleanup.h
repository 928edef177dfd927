// Removal of unfinished outputs when SIGINT, SIGTERM or SIGHUP stops the
// process: OutputFile registers each temporary file here while it exists;
// the handler removes those, says so in one line on standard error and ends
// the process by the same signal (exit status 128 + its number).
#pragma once

#include <string>

namespace kit {

// The name that starts the handler's line ("g723dec: interrupted ...").
void setProgramName(const char* name);

// Registers a temporary file (installing the handlers on first use); returns
// its slot, or -1 when all slots are taken (the file is then only removed by
// its owner).
int watchTemporary(const std::string& path);
// Forgets a registered file (slot -1 is ignored).
void unwatchTemporary(int slot);

}  // namespace kit
