// The table of real deliveries through streamplug.dll's stream functions, with a scripted
// device and clock: a clip with its index first, from a browser's cache in one chunk or over
// a network in 8 to 64 KiB chunks; its length announced, absent, learned late or shrinking;
// ended normally, by a network error or by the user. Each row names the chunk that starts
// playback (or its start at the end of the download), whether playback goes on to the end
// and whether the clip is offered for saving; no release ever passes the frames that arrived.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdint>

#include "BrowserWindow.h"
#include "SaveAsSpy.h"
#include "MciImports.h"
#include "StreamRig.h"

namespace {
const DWORD INDEX = 4096;         // the placed block: the clip's index, its last bytes
const DWORD CLIP_BYTES = 300000;  // a RIFF clip of FRAMES frames
const DWORD FRAMES = 3000;
const DWORD WHOLE = 0x7FFFFFFF;  // chunk size of a delivery from the cache: everything at once
const int AT_END = -1;           // playback starts when the download has ended
const int NEVER = -2;
const DWORD CHUNK_PACE_MS = 4000;  // the clock between two chunks

enum Length
{
    ANNOUNCED,       // the true length from NPP_NewStream on
    ABSENT,          // never known (chunked or compressed response)
    LEARNED,         // 0 at first, the true length from the third chunk on
    LEARNED_AT_END,  // 0 during every write, the true length at NPP_DestroyStream
    TOO_LONG,        // announced 100000 bytes too long, corrected from the third chunk on
    SHRINKING        // the true length, then half of it from the third chunk on
};

enum Content
{
    CLIP,         // the RIFF clip, index first
    REFUSED_LATE  // 68 bytes, header {1000, 10}: refused once its length is known
};

struct Delivery
{
    const char* pszWhat;
    Content content;
    DWORD nChunk;
    Length length;
    DWORD nCutShort;  // bytes of the stream never delivered
    NPReason reason;  // how the browser ends the stream
    bool bAutoStart;
    bool bWineDevice;     // the device cannot open a file still being written
    int nStartChunk;      // chunk that opens the clip, AT_END or NEVER
    bool bPlaysToTheEnd;  // after the download, playback goes on to the last frame
    bool bOffered;        // Save As at destruction
};

const Delivery DELIVERIES[] = {
    {"cache, one chunk", CLIP, WHOLE, ANNOUNCED, 0, NPRES_DONE, true, false, 0, true, true},
    {"8 KiB chunks", CLIP, 8192, ANNOUNCED, 0, NPRES_DONE, true, false, 1, true, true},
    {"16 KiB chunks", CLIP, 16384, ANNOUNCED, 0, NPRES_DONE, true, false, 0, true, true},
    {"32 KiB chunks", CLIP, 32768, ANNOUNCED, 0, NPRES_DONE, true, false, 0, true, true},
    {"64 KiB chunks", CLIP, 65536, ANNOUNCED, 0, NPRES_DONE, true, false, 0, true, true},
    {"cache without length", CLIP, WHOLE, ABSENT, 0, NPRES_DONE, true, false, 0, true, true},
    {"chunked response without length", CLIP, 16384, ABSENT, 0, NPRES_DONE, true, false, 0, true, true},
    {"length learned at the third chunk", CLIP, 32768, LEARNED, 0, NPRES_DONE, true, false, 0, true, true},
    {"length learned at the end", CLIP, 65536, LEARNED_AT_END, 0, NPRES_DONE, true, false, 0, true, true},
    {"length announced too long, then corrected", CLIP, 8192, TOO_LONG, 0, NPRES_DONE, true, false, 1, true, true},
    {"length shrinking below the placed block's end", CLIP, 16384, SHRINKING, 0, NPRES_DONE, true, false, 0, false,
     false},
    {"network error after every byte, no length", CLIP, 65536, ABSENT, 0, NPRES_NETWORK_ERR, true, false, 0, false,
     false},
    {"network error halfway", CLIP, 32768, ANNOUNCED, 150000, NPRES_NETWORK_ERR, true, false, 0, false, false},
    {"user break halfway, no length", CLIP, 8192, ABSENT, 150000, NPRES_USER_BREAK, true, false, 1, false, false},
    {"user break after every byte of the announced length", CLIP, 65536, ANNOUNCED, 0, NPRES_USER_BREAK, true, false, 0,
     true, true},
    {"no length, ended normally 1000 bytes short of the clip", CLIP, 65536, ABSENT, 1000, NPRES_DONE, true, false, 0,
     false, false},
    {"device that cannot open a growing file", CLIP, 65536, ANNOUNCED, 0, NPRES_DONE, true, true, AT_END, true, true},
    {"device that cannot open a growing file, cache without length", CLIP, WHOLE, ABSENT, 0, NPRES_DONE, true, true,
     AT_END, true, true},
    {"autostart off", CLIP, 16384, ANNOUNCED, 0, NPRES_DONE, false, false, NEVER, false, true},
    {"header refused by the length learned at the end", REFUSED_LATE, 20, LEARNED_AT_END, 0, NPRES_DONE, true, false,
     NEVER, false, false},
    {"header refused by the length learned at the third chunk", REFUSED_LATE, 20, LEARNED, 0, NPRES_DONE, true, false,
     NEVER, false, false},
};

// "RIFF", the size of what follows, then pseudo-random bytes.
Bytes MakeRiffClip()
{
    Bytes clip = randomBytes(CLIP_BYTES, 19);
    const DWORD dwSize = CLIP_BYTES - 8;
    const BYTE head[8] = {'R', 'I', 'F', 'F', BYTE(dwSize), BYTE(dwSize >> 8), BYTE(dwSize >> 16), BYTE(dwSize >> 24)};
    std::copy(head, head + 8, clip.begin());
    return clip;
}

Bytes StreamOf(Content content)
{
    if (content == CLIP)
        return MakeClipStream(MakeRiffClip(), CLIP_BYTES - INDEX);
    Bytes stream = MakeStreamHeader(1000, 10);
    stream.resize(68, 0x5A);
    return stream;
}

// The length the browser holds before chunk nChunk (nChunk past the last: at the end).
DWORD LengthAt(const Delivery& d, size_t nChunk, bool bAtEnd, DWORD dwTrue)
{
    bool bLate = nChunk >= 2;
    switch (d.length)
    {
    case ANNOUNCED:
        return dwTrue;
    case ABSENT:
        return 0;
    case LEARNED:
        return bLate ? dwTrue : 0;
    case LEARNED_AT_END:
        return bAtEnd ? dwTrue : 0;
    case TOO_LONG:
        return bLate ? dwTrue : dwTrue + 100000;
    case SHRINKING:
        return bLate ? dwTrue / 2 : dwTrue;
    }
    return 0;
}

// Frames of the clip present once nReceived stream bytes have arrived.
DWORD FramesPresent(DWORD nReceived, DWORD dwStreamBytes)
{
    if (nReceived < 8 + INDEX)
        return 0;
    return static_cast<DWORD>(double(nReceived - INDEX) / double(dwStreamBytes - INDEX) * FRAMES);
}

bool IsOpenedClip(const CScriptedCall& call)
{
    return call.uMsg == MCI_OPEN && call.result == 0;
}

class StreamDeliveries : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(Plugin().IsReady()) << Plugin().Error(); }

    CBrowserWindow m_window{NULL, 320, 240};
};

TEST_F(StreamDeliveries, EachDeliveryStartsPlaysAndIsOfferedAsItsRowSays)
{
    for (const Delivery& d : DELIVERIES)
    {
        SCOPED_TRACE(d.pszWhat);
        const Bytes stream = StreamOf(d.content);
        const DWORD dwTrue = static_cast<DWORD>(stream.size());
        const DWORD dwDelivered = dwTrue - d.nCutShort;
        CScriptedMci::Reset(FRAMES, 1000000);
        if (d.bWineDevice)
            CScriptedMci::RefuseFilesBeingWritten();
        CSaveAsSpy::Reset();
        CRigInstance instance(Plugin());
        CRigInstance::Attributes attributes = {{"src", "clip.avs"}, {"autostart", d.bAutoStart ? "true" : "false"}};
        ASSERT_EQ(NPERR_NO_ERROR, instance.New(NP_EMBED, attributes));
        ASSERT_EQ(NPERR_NO_ERROR, instance.SetWindow(m_window.Handle()));
        CRigStream rig(Plugin(), instance);
        ASSERT_EQ(NPERR_NO_ERROR, rig.Open("http://www.example.com/clip.avs", LengthAt(d, 0, false, dwTrue)));

        int nStarted = NEVER;
        NPReason reason = d.reason;
        for (size_t i = 0; rig.Offset() < dwDelivered; i++)
        {
            rig.Stream().end = LengthAt(d, i, false, dwTrue);
            DWORD n = std::min(d.nChunk, dwDelivered - rig.Offset());
            if (rig.Write(&stream[rig.Offset()], n) != static_cast<int32_t>(n))
            {
                reason = NPRES_NETWORK_ERR;  // the browser ends a stream the plug-in refused
                break;
            }
            for (const CScriptedCall& call : CScriptedMci::TakeCalls())
            {
                if (IsOpenedClip(call) && nStarted == NEVER)
                    nStarted = static_cast<int>(i);
                if (call.uMsg == MCI_PLAY && (call.dwFlags & MCI_TO))
                {
                    EXPECT_LE(call.dwTo, FramesPresent(rig.Offset(), dwTrue)) << "release at chunk " << i;
                }
            }
            CScriptedMci::Advance(CHUNK_PACE_MS);
        }
        rig.Stream().end = LengthAt(d, SIZE_MAX, true, dwTrue);
        ASSERT_EQ(NPERR_NO_ERROR, rig.Close(reason));
        bool bPlaysToTheEnd = false;
        for (const CScriptedCall& call : CScriptedMci::TakeCalls())
        {
            if (IsOpenedClip(call) && nStarted == NEVER)
                nStarted = AT_END;
            if (call.uMsg == MCI_PLAY && call.result == 0 && (!(call.dwFlags & MCI_TO) || call.dwTo == FRAMES))
                bPlaysToTheEnd = true;
        }
        EXPECT_EQ(d.nStartChunk, nStarted);
        EXPECT_EQ(d.bPlaysToTheEnd, bPlaysToTheEnd);
        ASSERT_EQ(NPERR_NO_ERROR, instance.Destroy());
        EXPECT_EQ(d.bOffered ? 1u : 0u, CSaveAsSpy::Dialogs().size());
        if (d.bOffered && !CSaveAsSpy::Dialogs().empty())
        {
            EXPECT_TRUE(CSaveAsSpy::Dialogs()[0].ofn.Flags & OFN_NOCHANGEDIR) << "the browser's directory is kept";
        }
    }
}
}  // namespace
