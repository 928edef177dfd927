// One element of the page and its stream: NPP_New with the embed's attributes,
// NPP_SetWindow with the element's child window, the chunks of the source, the
// end of the stream with the reason the source gives, and NPP_Destroy.
#include "plugin_element.h"

#include <cstdio>

#include "embed_window.h"
#include "page_naming.h"
#include "snapshot.h"
#include "stream_header.h"
#include "stream_layout.h"

namespace avsview {

namespace {

// Bytes of the source that may be fetched ahead of the deliveries.
const std::size_t kReadAhead = 1024 * 1024;
// WM_COMMAND identifier of the plug-in's Play menu item.
const WORD kPlayCommand = 1000;

struct FileStamp {
    bool exists = false;
    FILETIME written = {};
    DWORD sizeLow = 0;
};

FileStamp stampOf(const std::string& path) {
    FileStamp stamp;
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data) &&
        !(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        stamp.exists = true;
        stamp.written = data.ftLastWriteTime;
        stamp.sizeLow = data.nFileSizeLow;
    }
    return stamp;
}

bool rewritten(const FileStamp& before, const FileStamp& after) {
    return after.exists &&
           (!before.exists || CompareFileTime(&before.written, &after.written) != 0 || before.sizeLow != after.sizeLow);
}

}  // namespace

PluginElement::PluginElement(const NPPluginFuncs& funcs, int index, const std::string& source,
                             const ViewOptions& options, std::unique_ptr<ByteSource> byteSource)
    : m_funcs(funcs), m_options(options), m_url(streamUrl(source, options.url)),
      m_prefetch(std::move(byteSource), kReadAhead), m_delivery(funcs, &m_npp) {
    m_npp.ndata = this;
    m_report.index = index;
    m_report.source = source;
}

PluginElement::~PluginElement() {
    m_prefetch.stop();
    if (m_window != NULL) DestroyWindow(m_window);
}

bool PluginElement::create() {
    const uint16_t mode = m_options.full ? NP_FULL : NP_EMBED;
    if (!m_options.full) {
        for (const auto& attribute : embedAttributes(m_url, m_options.width, m_options.height, m_options.autostart)) {
            m_argNames.push_back(attribute.first);
            m_argValues.push_back(attribute.second);
        }
    }
    std::vector<char*> names, values;
    for (std::size_t i = 0; i < m_argNames.size(); ++i) {
        names.push_back(&m_argNames[i][0]);
        values.push_back(&m_argValues[i][0]);
    }
    m_busy = true;
    m_report.newResult =
        m_funcs.newp(const_cast<char*>(kMimeType), &m_npp, mode, int16_t(names.size()),
                     names.empty() ? nullptr : names.data(), values.empty() ? nullptr : values.data(), nullptr);
    m_busy = false;
    m_created = m_report.created = m_report.newResult == NPERR_NO_ERROR;
    if (!m_created) {
        m_streamOver = true;
        m_prefetch.stop();
    }
    return m_created;
}

void PluginElement::placeWindow(HWND page, const RECT& area) {
    if (m_window == NULL)
        m_window = createPluginWindow(page, area);
    else
        MoveWindow(m_window, area.left, area.top, area.right - area.left, area.bottom - area.top, TRUE);
    if (!m_created || m_window == NULL) return;
    m_npWindow.window = m_window;
    m_npWindow.x = area.left;
    m_npWindow.y = area.top;
    m_npWindow.width = uint32_t(area.right - area.left);
    m_npWindow.height = uint32_t(area.bottom - area.top);
    m_npWindow.clipRect.left = 0;
    m_npWindow.clipRect.top = 0;
    m_npWindow.clipRect.right = uint16_t(m_npWindow.width);
    m_npWindow.clipRect.bottom = uint16_t(m_npWindow.height);
    m_npWindow.type = NPWindowTypeWindow;
    m_busy = true;
    m_report.windowResult = m_funcs.setwindow(&m_npp, &m_npWindow);
    m_busy = false;
}

uint64_t PluginElement::expectedLength() const {
    if (m_prefetch.state() != SourcePrefetch::State::Open || !m_prefetch.source().lengthKnown()) return 0;
    return m_prefetch.source().length();
}

void PluginElement::beginStream() {
    const ByteSource& source = m_prefetch.source();
    m_report.totalKnown = source.lengthKnown();
    m_report.total = source.length();
    m_streamEnd = m_options.noLength || !source.lengthKnown() ? 0 : uint32_t(source.length());
    m_busy = true;
    m_delivery.begin(m_url, m_streamEnd, source.lastModified());
    m_busy = false;
    m_report.newStreamResult = m_delivery.newStreamResult();
    m_report.streamType = m_delivery.streamType();
    if (m_delivery.state() == StreamDelivery::State::Declined) {
        m_report.stream = StreamOutcome::Declined;
        m_streamOver = true;
        m_prefetch.stop();
    }
}

void PluginElement::endStream(NPReason reason, StreamOutcome outcome) {
    m_busy = true;
    m_delivery.end(reason);
    m_busy = false;
    m_report.stream = outcome;
    m_report.delivered = m_delivery.delivered();
    m_streamOver = true;
    m_prefetch.stop();
}

// From the cache the whole source goes out as one chunk, once it has been fetched.
void PluginElement::topUpPending() {
    const std::size_t have = m_pending.size();
    const std::size_t want = m_options.cache ? have + m_prefetch.buffered() : m_options.chunk;
    if (have >= want) return;
    m_pending.resize(want);
    m_pending.resize(have + m_prefetch.take(m_pending.data() + have, want - have));
}

// A stream the plug-in will refuse after its header (a raw AVI, say) still goes
// out as it is, as a browser would send it; the user is told why nothing plays.
// The plug-in judges the header by the length it was told (0 = not known).
void PluginElement::warnIfRefused() {
    if (m_headerChecked || m_pending.size() < avs::kStreamHeaderSize) return;
    m_headerChecked = true;
    const avs::StreamHeader header = avs::decodeStreamHeader(m_pending.data());
    const avs::HeaderProblem problem = avs::headerProblem(header, m_streamEnd);
    if (problem != avs::HeaderProblem::None)
        std::fprintf(stderr, "avsview: warning: [%d] %s is not a stream the plug-in accepts: %s\n", m_report.index,
                     m_report.source.c_str(),
                     avs::describeProblem(problem, avs::layStream(header, m_streamEnd)).c_str());
}

uint32_t PluginElement::pump(LinkPacer& link, uint32_t nowMs) {
    if (m_busy || m_streamOver) return 0;
    if (m_delivery.state() == StreamDelivery::State::NotStarted) {
        if (m_prefetch.state() == SourcePrefetch::State::Failed) {
            m_report.fetchError = m_prefetch.error();
            m_streamOver = true;
        } else if (m_prefetch.state() == SourcePrefetch::State::Open) {
            beginStream();
        }
        return 0;
    }
    topUpPending();
    if (m_pending.empty()) {
        if (m_prefetch.drained()) {
            const bool complete = m_prefetch.complete();
            m_report.fetchError = m_prefetch.error();
            endStream(complete ? NPRES_DONE : NPRES_NETWORK_ERR,
                      complete ? StreamOutcome::Done : StreamOutcome::NetworkError);
        }
        return 0;
    }
    if (m_options.cache && !m_prefetch.drained()) return 0;
    if (m_delivery.delivered() == 0) warnIfRefused();
    const uint32_t offered = uint32_t(m_pending.size());
    if (!link.tryCarry(nowMs, offered)) return 0;
    m_busy = true;
    const int32_t taken = m_delivery.write(m_pending.data(), offered);
    m_busy = false;
    if (taken < 0) {
        m_report.stream = StreamOutcome::EndedByPlugin;
        m_report.delivered = m_delivery.delivered();
        m_streamOver = true;
        m_prefetch.stop();
        return 0;
    }
    link.refund(offered - uint32_t(taken));
    m_pending.erase(m_pending.begin(), m_pending.begin() + taken);
    m_report.delivered = m_delivery.delivered();
    return uint32_t(taken);
}

void PluginElement::sendPlay() const {
    if (m_created && m_window != NULL) PostMessageA(m_window, WM_COMMAND, MAKEWPARAM(kPlayCommand, 0), 0);
}

void PluginElement::writeSnapshot(const std::string& path) {
    m_report.snapshotPath = path;
    Image image;
    m_report.snapshotWritten =
        captureWindow(m_window, image, m_report.snapshotError) && writeImage(path, image, m_report.snapshotError);
}

void PluginElement::destroy(SaveDialogDriver& driver, const std::string& savePath) {
    if (m_delivery.state() == StreamDelivery::State::Open) endStream(NPRES_USER_BREAK, StreamOutcome::UserBreak);
    if (m_delivery.state() == StreamDelivery::State::NotStarted && m_report.fetchError.empty())
        m_report.fetchError = "the page was closed before the download began";
    m_prefetch.stop();
    if (!m_created) return;
    m_report.savePath = savePath;
    const FileStamp before = stampOf(savePath);
    driver.begin(GetCurrentThreadId(), savePath);
    NPSavedData* saved = nullptr;
    m_busy = true;
    m_funcs.destroy(&m_npp, &saved);
    m_busy = false;
    m_report.save = driver.end();
    m_report.saveWritten = !savePath.empty() && rewritten(before, stampOf(savePath));
    m_created = false;
}

}  // namespace avsview
