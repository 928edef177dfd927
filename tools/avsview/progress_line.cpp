// The download progress line on stderr.
#include "progress_line.h"

#include <windows.h>

#include <cstdio>

namespace avsview {

namespace {

const uint32_t kUpdateMs = 250;

std::string rateText(double bytesPerSecond) {
    char text[32];
    if (bytesPerSecond >= 1024 * 1024)
        std::snprintf(text, sizeof(text), "%.1f MB/s", bytesPerSecond / (1024 * 1024));
    else
        std::snprintf(text, sizeof(text), "%.1f KB/s", bytesPerSecond / 1024);
    return text;
}

std::string clockText(uint64_t seconds) {
    char text[32];
    std::snprintf(text, sizeof(text), "%llu:%02llu", static_cast<unsigned long long>(seconds / 60),
                  static_cast<unsigned long long>(seconds % 60));
    return text;
}

}  // namespace

std::string formatProgress(uint64_t bytes, uint64_t total, uint32_t elapsedMs) {
    std::string text = std::to_string(bytes);
    if (total > 0)
        text += " of " + std::to_string(total) + " bytes (" + std::to_string(bytes * 100 / total) + "%)";
    else
        text += " bytes";
    if (elapsedMs == 0 || bytes == 0) return text;
    const double rate = double(bytes) * 1000.0 / elapsedMs;
    text += ", " + rateText(rate);
    if (total > bytes) text += ", " + clockText(static_cast<uint64_t>(double(total - bytes) / rate + 0.5)) + " left";
    return text;
}

ProgressLine::ProgressLine() : m_terminal(GetFileType(GetStdHandle(STD_ERROR_HANDLE)) == FILE_TYPE_CHAR) {}

void ProgressLine::update(uint64_t bytes, uint64_t total, uint32_t elapsedMs, bool force) {
    if (!m_terminal || (m_shown && !force && elapsedMs - m_lastMs < kUpdateMs)) return;
    std::string text = formatProgress(bytes, total, elapsedMs);
    const std::size_t width = text.size();
    if (width < m_lastWidth) text.append(m_lastWidth - width, ' ');
    std::fprintf(stderr, "\r%s", text.c_str());
    std::fflush(stderr);
    m_shown = true;
    m_lastMs = elapsedMs;
    m_lastWidth = width;
}

void ProgressLine::finish() {
    if (m_shown) std::fputs("\n", stderr);
    m_shown = false;
}

}  // namespace avsview
