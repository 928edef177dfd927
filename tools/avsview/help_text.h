// avsview --help.
#pragma once

namespace avsview {

extern const char kHelpText[];

}  // namespace avsview
