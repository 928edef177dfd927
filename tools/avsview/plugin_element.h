// One plug-in element of the page: its NPAPI instance, the child window the
// plug-in draws in, and the delivery of its source as one stream.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "element_report.h"
#include "link_pacer.h"
#include "npapi.h"
#include "options.h"
#include "source_prefetch.h"
#include "stream_delivery.h"

namespace avsview {

class PluginElement {
public:
    PluginElement(const NPPluginFuncs& funcs, int index, const std::string& source, const ViewOptions& options,
                  std::unique_ptr<ByteSource> byteSource);
    ~PluginElement();
    PluginElement(const PluginElement&) = delete;
    PluginElement& operator=(const PluginElement&) = delete;

    // Starts fetching the source.
    void startFetch() { m_prefetch.start(); }
    // NPP_New: mode NP_EMBED with the embed attributes, or NP_FULL without any.
    bool create();
    // Gives the plug-in its window: created on the first call as a child of page
    // at area, moved on later calls; NPP_SetWindow either way.
    void placeWindow(HWND page, const RECT& area);
    HWND window() const { return m_window; }

    // One step of the download: opens the stream once the source is open, then
    // offers the next chunk if the link can carry it. The bytes the plug-in took.
    uint32_t pump(LinkPacer& link, uint32_t nowMs);
    // No more stream calls will come (the stream ended or never began).
    bool streamOver() const { return m_streamOver; }
    // A plug-in call of this element is running (and dispatching messages).
    bool busy() const { return m_busy; }
    uint64_t delivered() const { return m_delivery.delivered(); }
    // The source's length, 0 while unknown.
    uint64_t expectedLength() const;

    // Sends the Play command as the plug-in's popup menu does.
    void sendPlay() const;
    // Captures the plug-in window into the snapshot file at path.
    void writeSnapshot(const std::string& path);
    // Breaks off a running download, then NPP_Destroy with the Save As dialog
    // answered by driver (the file path for SaveAnswer::SaveAs).
    void destroy(SaveDialogDriver& driver, const std::string& savePath);

    const ElementReport& report() const { return m_report; }

private:
    void beginStream();
    void endStream(NPReason reason, StreamOutcome outcome);
    void topUpPending();
    void warnIfRefused();

    const NPPluginFuncs& m_funcs;         // the plug-in's functions
    const ViewOptions& m_options;         // the command line (chunk size, attributes, mode)
    NPP_t m_npp = {};                     // the instance; ndata points to this element
    std::vector<std::string> m_argNames;  // attribute storage for NPP_New
    std::vector<std::string> m_argValues;
    std::string m_url;               // what the plug-in is told
    SourcePrefetch m_prefetch;       // the source, fetched ahead
    StreamDelivery m_delivery;       // the stream to the instance
    std::vector<uint8_t> m_pending;  // fetched bytes not yet taken by the plug-in
    HWND m_window = NULL;            // the plug-in's window, a child of the page
    NPWindow m_npWindow = {};        // what NPP_SetWindow was given
    bool m_created = false;          // the instance exists (NPP_New done, NPP_Destroy not yet)
    bool m_streamOver = false;       // see streamOver()
    bool m_busy = false;             // see busy()
    bool m_headerChecked = false;    // the stream's header was looked at
    uint32_t m_streamEnd = 0;        // the length the plug-in is told, 0 = not known
    ElementReport m_report;          // what happened, for the summary
};

}  // namespace avsview
