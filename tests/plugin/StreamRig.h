// StreamRig.h - the browser's side of a clip stream in plug-in tests: builds streams
// (header, placed block, clip data) and delivers them through the plug-in's stream functions.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "PluginLibrary.h"
#include "RigInstance.h"
#include "StreamFile.h"
#include "TestFiles.h"
#include "stream_cases.h"
#include "stream_header.h"

typedef std::vector<BYTE> Bytes;
using streamcases::randomBytes;

// The 8 header bytes of a stream: the placed block's clip offset and length.
inline Bytes MakeStreamHeader(DWORD dwBlockOffset, DWORD dwBlockLength)
{
    avs::StreamHeader header;
    header.blockOffset = dwBlockOffset;
    header.blockLength = dwBlockLength;
    Bytes bytes(avs::kStreamHeaderSize);
    avs::encodeStreamHeader(header, bytes.data());
    return bytes;
}

// The stream of a clip whose bytes from 'offset' to the end travel first as the placed block.
inline Bytes MakeClipStream(const Bytes& clip, DWORD offset)
{
    Bytes stream = MakeStreamHeader(offset, static_cast<DWORD>(clip.size()) - offset);
    stream.insert(stream.end(), clip.begin() + offset, clip.end());
    stream.insert(stream.end(), clip.begin(), clip.begin() + offset);
    return stream;
}

// Fixture of the tests that drive a CStreamFile directly: a fresh clip file path in the
// temporary directory, deleted after each test.
class CClipFileTest : public ::testing::Test
{
protected:
    void SetUp() override { m_strPath = FreshTempPath(".avi"); }
    void TearDown() override { DeleteFileA(m_strPath.c_str()); }

    // Creates the receiver's file at strPath, which the test owns: the file of an earlier
    // receiver of the test (closed by now) goes first.
    static bool CreateFresh(CStreamFile& receiver, const std::string& strPath)
    {
        DeleteFileA(strPath.c_str());
        BOOL bNameTaken = FALSE;
        return receiver.CreateNew(strPath.c_str(), &bNameTaken) != FALSE;
    }
    bool Create(CStreamFile& receiver) { return CreateFresh(receiver, m_strPath); }

    std::string m_strPath;  // the clip file of the test
};

// One stream as the browser delivers it to an instance: NPP_NewStream, NPP_WriteReady
// and NPP_Write chunk by chunk with the stream offset, NPP_DestroyStream.
class CRigStream
{
public:
    CRigStream(const CPluginLibrary& library, CRigInstance& instance)
        : m_library(library), m_instance(instance), m_stream(), m_nOffset(0), m_bOpen(false)
    {}
    ~CRigStream()
    {
        if (m_bOpen)
            Close();
    }

    // NPP_NewStream with the given URL (NULL for none) and announced length.
    NPError Open(const char* pszUrl, DWORD dwEnd, uint16_t* pType = NULL)
    {
        if (pszUrl != NULL)
            m_strUrl = pszUrl;
        m_stream = NPStream();
        m_stream.url = pszUrl != NULL ? m_strUrl.c_str() : NULL;
        m_stream.end = dwEnd;
        uint16_t type = 0;
        char szType[] = "video/avs";
        NPError err = m_library.Funcs().newstream(m_instance.Npp(), szType, &m_stream, FALSE, pType ? pType : &type);
        m_bOpen = err == NPERR_NO_ERROR;
        return err;
    }
    // NPP_WriteReady, then NPP_Write of the next nBytes at the current stream offset.
    int32_t Write(const BYTE* pData, DWORD nBytes)
    {
        m_library.Funcs().writeready(m_instance.Npp(), &m_stream);
        int32_t n = m_library.Funcs().write(m_instance.Npp(), &m_stream, static_cast<int32_t>(m_nOffset),
                                            static_cast<int32_t>(nBytes), const_cast<BYTE*>(pData));
        if (n > 0)
            m_nOffset += static_cast<DWORD>(n);
        return n;
    }
    // Delivers the rest of 'stream' (from the current offset) in chunks of nChunk bytes;
    // false when the plug-in refused a chunk.
    bool WriteRest(const Bytes& stream, DWORD nChunk)
    {
        while (m_nOffset < stream.size())
        {
            DWORD n = static_cast<DWORD>(std::min<size_t>(nChunk, stream.size() - m_nOffset));
            if (Write(&stream[m_nOffset], n) != static_cast<int32_t>(n))
                return false;
        }
        return true;
    }
    NPError Close(NPReason reason = NPRES_DONE)
    {
        m_bOpen = false;
        return m_library.Funcs().destroystream(m_instance.Npp(), &m_stream, reason);
    }
    // The instance went away with the stream still open: the browser calls nothing more for it.
    void Abandon() { m_bOpen = false; }
    void AsFile(const char* pszPath) { m_library.Funcs().asfile(m_instance.Npp(), &m_stream, pszPath); }

    DWORD Offset() const { return m_nOffset; }
    NPStream& Stream() { return m_stream; }

private:
    const CPluginLibrary& m_library;
    CRigInstance& m_instance;
    std::string m_strUrl;  // keeps the URL alive while the plug-in may read it
    NPStream m_stream;     // the stream as the browser holds it
    DWORD m_nOffset;       // stream offset of the next chunk
    bool m_bOpen;          // NPP_NewStream succeeded and NPP_DestroyStream has not run
};
