// avsview's exit codes: its names for entries of the tools' shared table.
#pragma once

#include "kit/exit_codes.h"

namespace avsview {

const int kExitOk = kit::kExitOk;  // every source delivered completely, every requested output written
const int kExitSourceFailed = kit::kExitUnreadable;  // a source not delivered completely
const int kExitUsage = kit::kExitUsage;              // wrong command line
const int kExitPluginFailed = kit::kExitPlugin;      // the plug-in or the page could not be set up
const int kExitOutputMissing = kit::kExitOutput;     // a requested saved copy or snapshot not written

}  // namespace avsview
