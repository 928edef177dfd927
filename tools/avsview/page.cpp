// The page's life: elements created and given their windows, downloads paced
// by the timer (round robin over the streams on the shared link), the Play
// command and the hold once every stream has ended, then snapshots and the
// destruction of the instances with their Save As offers.
#include "page.h"

#include "page_layout.h"
#include "page_naming.h"
#include "page_window.h"
#include "playback_probe.h"
#include "save_dialog_driver.h"

namespace avsview {

namespace {

// Longest a timer tick spends delivering on an unlimited link, so that the
// window stays responsive.
const uint32_t kDeliverySliceMs = 20;
// After the streams: time for a Play command to reach the device before the
// first look at playback, and the interval between looks.
const uint32_t kPlaybackSettleMs = 1000;
const uint32_t kPlaybackProbeMs = 250;

std::string pageTitle(const ViewOptions& options) {
    if (options.sources.size() == 1) return "avsview - " + options.sources.front();
    return "avsview - " + std::to_string(options.sources.size()) + " elements";
}

}  // namespace

Page::Page(const ViewOptions& options, const PluginLibrary& plugin)
    : m_options(options), m_plugin(plugin), m_link(options.rate, options.chunk) {}

// A message loop ended by someone else's quit message still destroys every
// instance before the plug-in is shut down.
Page::~Page() {
    destroyInstances();
    if (m_window != NULL) DestroyWindow(m_window);
}

bool Page::build(std::string& error) {
    const int count = int(m_options.sources.size());
    const PageLayout layout = layOutPage(count, m_options.width, m_options.height, m_options.full);
    m_window = createPageWindow(this, pageTitle(m_options), layout.client);
    if (m_window == NULL) {
        error = "cannot create the page window (no display?)";
        return false;
    }
    for (int i = 0; i < count; ++i) {
        const std::string& source = m_options.sources[i];
        m_elements.emplace_back(new PluginElement(m_plugin.funcs(), i + 1, source, m_options, makeByteSource(source)));
        PluginElement& element = *m_elements.back();
        element.startFetch();
        element.create();
        element.placeWindow(m_window, layout.areas[i]);
    }
    return true;
}

bool Page::run(std::string& error) {
    if (!build(error)) return false;
    m_startMs = GetTickCount();
    SetTimer(m_window, kPageTimer, kPageTimerMs, NULL);
    MSG message;
    while (GetMessageA(&message, NULL, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return true;
}

std::vector<ElementReport> Page::reports() const {
    std::vector<ElementReport> reports;
    for (const auto& element : m_elements) reports.push_back(element->report());
    return reports;
}

void Page::onTimer() {
    const uint32_t now = GetTickCount();
    if (m_closeRequested && !anyElementBusy()) {
        tearDown();
        return;
    }
    if (m_phase == Phase::Streaming) {
        deliver(now);
        showProgress(now, false);
        if (m_phase == Phase::Streaming && allStreamsOver()) startHold(now);
    } else if (m_phase == Phase::Holding && holdIsOver(now)) {
        PostMessageA(m_window, WM_CLOSE, 0, 0);
    }
}

// Passes over the streams in turn, one chunk each, while the link carries
// more; a new pass starts one element further on, so no stream is favoured.
void Page::deliver(uint32_t nowMs) {
    const std::size_t count = m_elements.size();
    const uint32_t sliceStart = GetTickCount();
    bool carried = true;
    while (carried && GetTickCount() - sliceStart < kDeliverySliceMs) {
        carried = false;
        for (std::size_t k = 0; k < count; ++k) {
            if (m_elements[(m_nextElement + k) % count]->pump(m_link, nowMs) > 0) carried = true;
        }
        m_nextElement = (m_nextElement + 1) % count;
        if (m_phase != Phase::Streaming) return;
    }
}

void Page::showProgress(uint32_t nowMs, bool force) {
    uint64_t delivered = 0, total = 0;
    bool totalKnown = true;
    for (const auto& element : m_elements) {
        delivered += element->delivered();
        const uint64_t length = element->expectedLength();
        totalKnown = totalKnown && length > 0;
        total += length;
    }
    m_progress.update(delivered, totalKnown ? total : 0, nowMs - m_startMs, force);
}

bool Page::allStreamsOver() const {
    for (const auto& element : m_elements) {
        if (!element->streamOver()) return false;
    }
    return true;
}

bool Page::anyElementBusy() const {
    for (const auto& element : m_elements) {
        if (element->busy()) return true;
    }
    return false;
}

void Page::startHold(uint32_t nowMs) {
    showProgress(nowMs, true);
    m_progress.finish();
    m_phase = Phase::Holding;
    m_holdStartMs = nowMs;
    if (m_options.play) {
        for (const auto& element : m_elements) element->sendPlay();
    }
}

// --hold counts from the end of the last stream; without it the page stays
// while any video of the process plays.
bool Page::holdIsOver(uint32_t nowMs) {
    const uint32_t held = nowMs - m_holdStartMs;
    if (m_options.holdMs >= 0) return held >= uint32_t(m_options.holdMs);
    if (held < kPlaybackSettleMs || nowMs - m_lastProbeMs < kPlaybackProbeMs) return false;
    m_lastProbeMs = nowMs;
    return !anyDevicePlaying();
}

void Page::onClose() {
    if (m_phase == Phase::Closing || m_phase == Phase::Closed) return;
    if (anyElementBusy()) {
        m_closeRequested = true;
        return;
    }
    tearDown();
}

void Page::tearDown() {
    m_phase = Phase::Closing;
    m_closeRequested = false;
    KillTimer(m_window, kPageTimer);
    m_progress.finish();
    const int count = int(m_elements.size());
    if (!m_options.snapshotPath.empty()) {
        for (int i = 0; i < count; ++i) m_elements[i]->writeSnapshot(elementPath(m_options.snapshotPath, i + 1, count));
    }
    destroyInstances();
    DestroyWindow(m_window);
}

// One instance after the other, each with its own Save As offer.
void Page::destroyInstances() {
    const int count = int(m_elements.size());
    SaveDialogDriver driver(m_options.save);
    for (int i = 0; i < count; ++i) {
        const std::string savePath =
            m_options.save == SaveAnswer::SaveAs ? elementPath(m_options.savePath, i + 1, count) : std::string();
        m_elements[i]->destroy(driver, savePath);
    }
}

void Page::onSize() {
    if (!m_options.full || m_elements.empty() || m_phase == Phase::Closing || m_phase == Phase::Closed) return;
    RECT client;
    GetClientRect(m_window, &client);
    if (client.right > 0 && client.bottom > 0) m_elements.front()->placeWindow(m_window, client);
}

void Page::onDestroy() {
    m_phase = Phase::Closed;
    m_window = NULL;
    PostQuitMessage(0);
}

}  // namespace avsview
