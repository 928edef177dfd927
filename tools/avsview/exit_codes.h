// avsview's exit codes (documented in its help text).
#pragma once

namespace avsview {

const int kExitOk = 0;             // every source delivered completely, every requested output written
const int kExitSourceFailed = 1;   // a source not delivered completely
const int kExitUsage = 2;          // wrong command line
const int kExitPluginFailed = 3;   // the plug-in or the page could not be set up
const int kExitOutputMissing = 4;  // a requested saved copy or snapshot not written

}  // namespace avsview
