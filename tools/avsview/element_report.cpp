// The one-line summary of an element.
#include "element_report.h"

namespace avsview {

namespace {

std::string streamText(const ElementReport& report) {
    switch (report.stream) {
    case StreamOutcome::NotOffered:
        if (!report.created)
            return "no instance (NPP_New answered NPAPI error " + std::to_string(report.newResult) + ")";
        return "no stream (" + report.fetchError + ")";
    case StreamOutcome::Declined:
        return "stream declined by the plug-in (NPAPI error " + std::to_string(report.newStreamResult) + ")";
    case StreamOutcome::Done:
        return "stream done";
    case StreamOutcome::NetworkError:
        return "stream ended by a network error (" + report.fetchError + ")";
    case StreamOutcome::EndedByPlugin:
        return "stream ended by the plug-in";
    case StreamOutcome::UserBreak:
        return "stream broken off: the page was closed during the download";
    }
    return std::string();
}

std::string bytesText(const ElementReport& report) {
    std::string text = std::to_string(report.delivered);
    if (report.totalKnown) text += " of " + std::to_string(report.total);
    return text + " bytes";
}

std::string saveText(const ElementReport& report) {
    switch (report.save) {
    case SaveDialogDriver::Outcome::NoDialog:
        return "no save offer";
    case SaveDialogDriver::Outcome::Confirmed:
        return report.saveWritten ? "saved to " + report.savePath
                                  : "save offered, but " + report.savePath + " was not written";
    case SaveDialogDriver::Outcome::Cancelled:
        return "save offered and cancelled";
    case SaveDialogDriver::Outcome::ShownToUser:
        return "save offered to the user";
    case SaveDialogDriver::Outcome::NotAccepted:
        return "save offered, but the dialog did not accept " + report.savePath;
    }
    return std::string();
}

}  // namespace

std::string formatSummary(const ElementReport& report) {
    std::string line = "[" + std::to_string(report.index) + "] " + report.source + ": ";
    if (report.created && report.stream != StreamOutcome::NotOffered) line += bytesText(report) + ", ";
    line += streamText(report);
    if (report.created && report.windowResult != NPERR_NO_ERROR)
        line += " (NPP_SetWindow answered NPAPI error " + std::to_string(report.windowResult) + ")";
    if (report.streamType != NP_NORMAL)
        line += " (asked for stream type " + std::to_string(report.streamType) + ", delivered as NP_NORMAL)";
    if (report.created) line += "; " + saveText(report);
    if (!report.snapshotPath.empty())
        line += report.snapshotWritten ? "; snapshot " + report.snapshotPath
                                       : "; no snapshot (" + report.snapshotError + ")";
    return line;
}

}  // namespace avsview
