// What happened to one plug-in element of the page, for its summary line and
// the exit code.
#pragma once

#include <cstdint>
#include <string>

#include "npapi.h"
#include "save_dialog_driver.h"

namespace avsview {

enum class StreamOutcome {
    NotOffered,     // no stream: the source could not be opened, or no instance
    Declined,       // NPP_NewStream answered an error
    Done,           // every byte delivered, NPRES_DONE
    NetworkError,   // the source failed or ended early, NPRES_NETWORK_ERR
    EndedByPlugin,  // NPP_Write answered a negative count, NPRES_NETWORK_ERR
    UserBreak,      // the page closed during the download, NPRES_USER_BREAK
};

struct ElementReport {
    int index = 0;                          // 1-based position on the page
    std::string source;                     // as given on the command line
    bool created = false;                   // NPP_New succeeded
    NPError newResult = NPERR_NO_ERROR;     // NPP_New's answer
    NPError windowResult = NPERR_NO_ERROR;  // NPP_SetWindow's answer
    std::string fetchError;                 // why the source failed or ended early
    StreamOutcome stream = StreamOutcome::NotOffered;
    NPError newStreamResult = NPERR_NO_ERROR;  // NPP_NewStream's answer
    uint16_t streamType = NP_NORMAL;           // stream type NPP_NewStream asked for
    uint64_t delivered = 0;                    // bytes the plug-in took
    bool totalKnown = false;                   // the source's length is known
    uint64_t total = 0;                        // that length
    SaveDialogDriver::Outcome save = SaveDialogDriver::Outcome::NoDialog;
    std::string savePath;      // where --save-as saves this element's clip
    bool saveWritten = false;  // that file was written during teardown
    std::string snapshotPath;  // where the snapshot goes, empty = none asked for
    bool snapshotWritten = false;
    std::string snapshotError;  // why not
};

// "[1] clip.avs: 1200 of 1200 bytes, stream done; saved to C:\x.avi; snapshot x.png"
std::string formatSummary(const ElementReport& report);

}  // namespace avsview
