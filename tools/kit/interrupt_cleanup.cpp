// The signal handler and its table of temporary files. The handler only uses
// lock-free atomics, the fixed table and the async-signal-safe calls of
// platform_files (remove a file, write standard error).
#include "interrupt_cleanup.h"

#include <atomic>
#include <csignal>
#include <cstring>

#include "platform_files.h"

namespace kit {

namespace {

constexpr int kSlots = 64;
constexpr std::size_t kPathRoom = 1024;

struct Slot {
    std::atomic<bool> inUse{false};  // taken by an owner
    std::atomic<bool> armed{false};  // path is complete and the file exists
    char path[kPathRoom];
};

Slot g_slots[kSlots];
const char* g_programName = "tool";
std::atomic<bool> g_installed{false};

const int kSignals[] = {
    SIGINT,
    SIGTERM,
#ifdef SIGHUP
    SIGHUP,
#endif
};

const char* signalName(int signal) {
    switch (signal) {
    case SIGINT:
        return "SIGINT";
    case SIGTERM:
        return "SIGTERM";
    default:
        return "SIGHUP";
    }
}

// Appends text to line (of room bytes, always terminated).
void append(char* line, std::size_t room, const char* text) {
    std::size_t used = std::strlen(line);
    while (*text && used + 1 < room) line[used++] = *text++;
    line[used] = '\0';
}

void onSignal(int signal) {
    static char line[4096];
    line[0] = '\0';
    append(line, sizeof line, g_programName);
    append(line, sizeof line, ": interrupted by ");
    append(line, sizeof line, signalName(signal));
    const char* separator = "; removed the unfinished output ";
    for (Slot& slot : g_slots) {
        if (!slot.armed.exchange(false) || !removeFileNow(slot.path)) continue;
        append(line, sizeof line, separator);
        append(line, sizeof line, slot.path);
        separator = ", ";
    }
    append(line, sizeof line, "\n");
    writeStandardError(line, std::strlen(line));
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

void installHandlers() {
    if (g_installed.exchange(true)) return;
    for (int signal : kSignals) std::signal(signal, onSignal);
}

}  // namespace

void setProgramName(const char* name) { g_programName = name; }

int watchTemporary(const std::string& path) {
    if (path.size() >= kPathRoom) return -1;
    installHandlers();
    for (int i = 0; i < kSlots; ++i) {
        bool expected = false;
        if (!g_slots[i].inUse.compare_exchange_strong(expected, true)) continue;
        std::memcpy(g_slots[i].path, path.c_str(), path.size() + 1);
        g_slots[i].armed.store(true);
        return i;
    }
    return -1;
}

void unwatchTemporary(int slot) {
    if (slot < 0) return;
    g_slots[slot].armed.store(false);
    g_slots[slot].inUse.store(false);
}

}  // namespace kit
