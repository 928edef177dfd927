// Summary lines, the progress text and the exit code of a finished run.
#include <gtest/gtest.h>

#include "element_report.h"
#include "exit_codes.h"
#include "exit_status.h"
#include "progress_line.h"

using namespace avsview;

namespace {

ElementReport doneAndSaved() {
    ElementReport report;
    report.index = 2;
    report.source = "clip.avs";
    report.created = true;
    report.stream = StreamOutcome::Done;
    report.delivered = report.total = 1200;
    report.totalKnown = true;
    report.save = SaveDialogDriver::Outcome::Confirmed;
    report.savePath = "C:\\out\\copy.avi";
    report.saveWritten = true;
    return report;
}

}  // namespace

TEST(AvsviewReport, SummaryLines) {
    ElementReport report = doneAndSaved();
    EXPECT_EQ(formatSummary(report), "[2] clip.avs: 1200 of 1200 bytes, stream done; saved to C:\\out\\copy.avi");

    report.stream = StreamOutcome::NetworkError;
    report.fetchError = "the source ended after 600 of the 1200 bytes it announced";
    report.delivered = 600;
    report.save = SaveDialogDriver::Outcome::NoDialog;
    report.snapshotPath = "s.png";
    report.snapshotError = "the plug-in window has no area to capture";
    EXPECT_EQ(formatSummary(report),
              "[2] clip.avs: 600 of 1200 bytes, stream ended by a network error (the source ended after 600 of "
              "the 1200 bytes it announced); no save offer; no snapshot (the plug-in window has no area to "
              "capture)");

    ElementReport refused;
    refused.index = 1;
    refused.source = "a.avs";
    refused.newResult = NPERR_OUT_OF_MEMORY_ERROR;
    EXPECT_EQ(formatSummary(refused), "[1] a.avs: no instance (NPP_New answered NPAPI error 5)");

    ElementReport unreachable;
    unreachable.index = 1;
    unreachable.source = "http://h/x.avs";
    unreachable.created = true;
    unreachable.fetchError = "http://h/x.avs answered HTTP 404 Not Found";
    EXPECT_EQ(formatSummary(unreachable),
              "[1] http://h/x.avs: no stream (http://h/x.avs answered HTTP 404 Not Found); no save offer");
}

TEST(AvsviewReport, ExitCodePrecedence) {
    ViewOptions options;
    options.save = SaveAnswer::SaveAs;
    std::vector<ElementReport> reports = {doneAndSaved(), doneAndSaved()};
    EXPECT_EQ(exitCodeFor(reports, options), kExitOk);
    options.snapshotPath = "s.png";
    EXPECT_EQ(exitCodeFor(reports, options), kExitOutputMissing);
    reports[0].snapshotWritten = reports[1].snapshotWritten = true;
    EXPECT_EQ(exitCodeFor(reports, options), kExitOk);
    reports[1].saveWritten = false;
    EXPECT_EQ(exitCodeFor(reports, options), kExitOutputMissing);
    reports[0].stream = StreamOutcome::UserBreak;
    EXPECT_EQ(exitCodeFor(reports, options), kExitSourceFailed);
    reports[1].created = false;
    EXPECT_EQ(exitCodeFor(reports, options), kExitPluginFailed);

    ViewOptions cancelling;
    cancelling.save = SaveAnswer::Cancel;
    ElementReport cancelled = doneAndSaved();
    cancelled.saveWritten = false;
    EXPECT_EQ(exitCodeFor({cancelled}, cancelling), kExitOk);
}

TEST(AvsviewReport, ProgressText) {
    EXPECT_EQ(formatProgress(0, 1000, 0), "0 of 1000 bytes (0%)");
    EXPECT_EQ(formatProgress(51200, 102400, 5000), "51200 of 102400 bytes (50%), 10.0 KB/s, 0:05 left");
    EXPECT_EQ(formatProgress(7000, 7000 * 125, 1000), "7000 of 875000 bytes (0%), 6.8 KB/s, 2:04 left");
    EXPECT_EQ(formatProgress(3 << 20, 0, 1000), "3145728 bytes, 3.0 MB/s");
    EXPECT_EQ(formatProgress(1000, 1000, 500), "1000 of 1000 bytes (100%), 2.0 KB/s");
}
