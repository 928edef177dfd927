// MCI device identifiers are small numbers handed out per process; every
// identifier with a creator task is an open device, whose mode is asked.
#include "playback_probe.h"

#include <windows.h>
#include <mmsystem.h>

namespace avsview {

namespace {

const MCIDEVICEID kHighestProbedId = 256;

}  // namespace

bool anyDevicePlaying() {
    for (MCIDEVICEID id = 1; id <= kHighestProbedId; ++id) {
        if (mciGetCreatorTask(id) == NULL) continue;
        MCI_STATUS_PARMS status = {};
        status.dwItem = MCI_STATUS_MODE;
        if (mciSendCommandA(id, MCI_STATUS, MCI_STATUS_ITEM, reinterpret_cast<DWORD_PTR>(&status)) != 0) continue;
        if (status.dwReturn == MCI_MODE_PLAY || status.dwReturn == MCI_MODE_SEEK) return true;
    }
    return false;
}

}  // namespace avsview
