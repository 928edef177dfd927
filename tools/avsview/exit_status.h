// The exit code a finished page run ends with.
#pragma once

#include <vector>

#include "element_report.h"
#include "options.h"

namespace avsview {

// From the elements' reports: a refused element (3) before an incomplete
// source (1) before a missing output (4); 0 when none applies.
int exitCodeFor(const std::vector<ElementReport>& reports, const ViewOptions& options);

}  // namespace avsview
