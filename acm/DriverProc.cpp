// g7231.acm's one export: the driver procedure through which the ACM (and the
// wave mapper behind it) loads, opens and asks the driver.
#include "G7231Driver.h"

extern "C" LRESULT CALLBACK DriverProc(DWORD_PTR dwDriverId, HDRVR hdrvr, UINT uMsg, LPARAM lParam1, LPARAM lParam2);

namespace {

// DRV_OPEN: the ACM opens the driver as an audio codec; lParam2 NULL is an
// open for configuration. The driver keeps nothing per open.
LRESULT OnOpen(LPACMDRVOPENDESCW paod)
{
    if (paod == NULL)
        return 1;
    if (paod->fccType != ACMDRIVERDETAILS_FCCTYPE_AUDIOCODEC)
        return 0;
    paod->dwError = MMSYSERR_NOERROR;
    return 1;
}

LRESULT OnDriverMessage(UINT uMsg, LPARAM lParam1, LPARAM lParam2)
{
    switch (uMsg)
    {
    case ACMDM_DRIVER_NOTIFY:
        return MMSYSERR_NOERROR;
    case ACMDM_DRIVER_DETAILS:
        return CG7231Driver::OnDriverDetails(reinterpret_cast<LPACMDRIVERDETAILSW>(lParam1));
    case ACMDM_DRIVER_ABOUT:
        return CG7231Driver::OnAbout(reinterpret_cast<HWND>(lParam1));
    case ACMDM_FORMATTAG_DETAILS:
        return CG7231Driver::OnFormatTagDetails(reinterpret_cast<LPACMFORMATTAGDETAILSW>(lParam1),
                                                static_cast<DWORD>(lParam2));
    case ACMDM_FORMAT_DETAILS:
        return CG7231Driver::OnFormatDetails(reinterpret_cast<LPACMFORMATDETAILSW>(lParam1),
                                             static_cast<DWORD>(lParam2));
    case ACMDM_FORMAT_SUGGEST:
        return CG7231Driver::OnFormatSuggest(reinterpret_cast<LPACMDRVFORMATSUGGEST>(lParam1));
    case ACMDM_STREAM_OPEN:
        return CG7231Driver::OnStreamOpen(reinterpret_cast<LPACMDRVSTREAMINSTANCE>(lParam1));
    case ACMDM_STREAM_CLOSE:
        return CG7231Driver::OnStreamClose(reinterpret_cast<LPACMDRVSTREAMINSTANCE>(lParam1));
    case ACMDM_STREAM_SIZE:
        return CG7231Driver::OnStreamSize(reinterpret_cast<LPACMDRVSTREAMINSTANCE>(lParam1),
                                          reinterpret_cast<LPACMDRVSTREAMSIZE>(lParam2));
    case ACMDM_STREAM_CONVERT:
        return CG7231Driver::OnStreamConvert(reinterpret_cast<LPACMDRVSTREAMINSTANCE>(lParam1),
                                             reinterpret_cast<LPACMDRVSTREAMHEADER>(lParam2));
    case ACMDM_STREAM_RESET:
        return CG7231Driver::OnStreamReset(reinterpret_cast<LPACMDRVSTREAMINSTANCE>(lParam1));
    default:
        // Filters, hardware, header preparation (done by the ACM) and the rest.
        return MMSYSERR_NOTSUPPORTED;
    }
}

}  // namespace

extern "C" LRESULT CALLBACK DriverProc(DWORD_PTR dwDriverId, HDRVR hdrvr, UINT uMsg, LPARAM lParam1, LPARAM lParam2)
{
    switch (uMsg)
    {
    case DRV_LOAD:
    case DRV_FREE:
    case DRV_ENABLE:
    case DRV_DISABLE:
    case DRV_CLOSE:
        return 1;
    case DRV_OPEN:
        return OnOpen(reinterpret_cast<LPACMDRVOPENDESCW>(lParam2));
    case DRV_QUERYCONFIGURE:
        return 0;
    case DRV_INSTALL:
    case DRV_REMOVE:
        return DRVCNF_OK;
    default:
        if (uMsg >= DRV_USER)
            return OnDriverMessage(uMsg, lParam1, lParam2);
        return DefDriverProc(dwDriverId, hdrvr, uMsg, lParam1, lParam2);
    }
}
