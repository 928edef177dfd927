// The exit code of a finished page run.
#include "exit_status.h"

#include "exit_codes.h"

namespace avsview {

int exitCodeFor(const std::vector<ElementReport>& reports, const ViewOptions& options) {
    bool refused = false, incomplete = false, missing = false;
    for (const ElementReport& report : reports) {
        refused = refused || !report.created;
        incomplete = incomplete || report.stream != StreamOutcome::Done;
        missing = missing || (options.save == SaveAnswer::SaveAs && !report.saveWritten) ||
                  (!options.snapshotPath.empty() && !report.snapshotWritten);
    }
    if (refused) return kExitPluginFailed;
    if (incomplete) return kExitSourceFailed;
    return missing ? kExitOutputMissing : kExitOk;
}

}  // namespace avsview
