// The driver's answers to the ACM: what it is and what it converts (details,
// format tags, formats, suggestions), and its conversion streams.
#pragma once

#include "AcmDriver.h"

class CG7231Driver
{
public:
    static LRESULT OnDriverDetails(LPACMDRIVERDETAILSW padd);
    static LRESULT OnAbout(HWND hwnd);
    static LRESULT OnFormatTagDetails(LPACMFORMATTAGDETAILSW paftd, DWORD fdwDetails);
    static LRESULT OnFormatDetails(LPACMFORMATDETAILSW pafd, DWORD fdwDetails);
    static LRESULT OnFormatSuggest(LPACMDRVFORMATSUGGEST padfs);

    static LRESULT OnStreamOpen(LPACMDRVSTREAMINSTANCE padsi);
    static LRESULT OnStreamClose(LPACMDRVSTREAMINSTANCE padsi);
    static LRESULT OnStreamSize(LPACMDRVSTREAMINSTANCE padsi, LPACMDRVSTREAMSIZE padss);
    static LRESULT OnStreamConvert(LPACMDRVSTREAMINSTANCE padsi, LPACMDRVSTREAMHEADER padsh);
    static LRESULT OnStreamReset(LPACMDRVSTREAMINSTANCE padsi);
};
