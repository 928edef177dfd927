// One NPAPI stream from the page to a plug-in instance: NPP_NewStream, then
// NPP_WriteReady and NPP_Write for each chunk, and NPP_DestroyStream once.
#pragma once

#include <cstdint>
#include <string>

#include "npapi.h"

namespace avsview {

// MIME type of every stream and element of the page.
extern const char kMimeType[];

class StreamDelivery {
public:
    enum class State {
        NotStarted,  // NPP_NewStream not called yet
        Declined,    // NPP_NewStream answered an error: no writes, no NPP_DestroyStream
        Open,        // chunks may be written
        Ended,       // NPP_DestroyStream was called
    };

    StreamDelivery(const NPPluginFuncs& funcs, NPP instance) : m_funcs(funcs), m_instance(instance) {}
    StreamDelivery(const StreamDelivery&) = delete;
    StreamDelivery& operator=(const StreamDelivery&) = delete;

    // Offers the stream; end 0 announces no length. The plug-in's answer.
    NPError begin(const std::string& url, uint32_t end, uint32_t lastModified);
    // Offers data[0..length) as the next chunk, cut to what NPP_WriteReady allows.
    // Answers the bytes the plug-in took (0 when it is not ready), or -1 when it
    // ended the stream, which is then destroyed with NPRES_NETWORK_ERR.
    int32_t write(const uint8_t* data, uint32_t length);
    // NPP_DestroyStream with reason; only for an open stream.
    void end(NPReason reason);

    State state() const { return m_state; }
    uint64_t delivered() const { return m_delivered; }  // bytes the plug-in took
    NPError newStreamResult() const { return m_newStreamResult; }
    uint16_t streamType() const { return m_streamType; }    // what NPP_NewStream asked for
    NPReason reason() const { return m_reason; }            // once Ended
    bool endedByPlugin() const { return m_endedByPlugin; }  // NPP_Write answered a negative count

private:
    const NPPluginFuncs& m_funcs;  // the plug-in's functions
    NPP m_instance;                // the instance receiving the stream
    std::string m_url;             // storage of m_stream.url
    NPStream m_stream = {};        // the stream record the plug-in sees
    State m_state = State::NotStarted;
    uint64_t m_delivered = 0;
    NPError m_newStreamResult = NPERR_NO_ERROR;
    uint16_t m_streamType = NP_NORMAL;
    NPReason m_reason = NPRES_DONE;
    bool m_endedByPlugin = false;
};

}  // namespace avsview
