// The page: a top-level window with one plug-in element per source, the timer
// that paces the downloads, the hold after them and the teardown.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "link_pacer.h"
#include "options.h"
#include "plugin_element.h"
#include "plugin_library.h"
#include "progress_line.h"

namespace avsview {

class Page {
public:
    Page(const ViewOptions& options, const PluginLibrary& plugin);
    ~Page();
    Page(const Page&) = delete;
    Page& operator=(const Page&) = delete;

    // Builds the page and runs its message loop until the page has closed;
    // false (error says why) when the page window could not be made.
    bool run(std::string& error);

    std::vector<ElementReport> reports() const;

    // Called by the page window's procedure.
    void onTimer();
    void onClose();
    void onSize();
    void onDestroy();

private:
    enum class Phase {
        Streaming,  // downloads under way
        Holding,    // every stream has ended; the page waits before it closes
        Closing,    // the instances are being destroyed
        Closed,     // the page window is gone
    };

    bool build(std::string& error);
    void deliver(uint32_t nowMs);
    void showProgress(uint32_t nowMs, bool force);
    bool allStreamsOver() const;
    bool anyElementBusy() const;
    void startHold(uint32_t nowMs);
    bool holdIsOver(uint32_t nowMs);
    void tearDown();
    void destroyInstances();

    const ViewOptions& m_options;                            // the command line
    const PluginLibrary& m_plugin;                           // the loaded plug-in
    std::vector<std::unique_ptr<PluginElement>> m_elements;  // one per source, in page order
    HWND m_window = NULL;                                    // the page window
    LinkPacer m_link;                                        // the simulated link shared by all streams
    ProgressLine m_progress;                                 // the download progress on a terminal
    Phase m_phase = Phase::Streaming;                        // where the page is in its life
    bool m_closeRequested = false;                           // the page was closed while a plug-in call ran
    std::size_t m_nextElement = 0;                           // round-robin start of the next delivery pass
    uint32_t m_startMs = 0;                                  // tick count when the downloads began
    uint32_t m_holdStartMs = 0;                              // tick count when the hold began
    uint32_t m_lastProbeMs = 0;                              // tick count of the last look at playback
};

}  // namespace avsview
