// One NPAPI stream to one instance. Offsets are stream offsets of the bytes
// taken so far; a write the plug-in takes only partly leaves the rest to the
// caller's next offer, and a negative answer ends the stream as a browser does.
#include "stream_delivery.h"

#include <algorithm>

namespace avsview {

const char kMimeType[] = "video/avs";

NPError StreamDelivery::begin(const std::string& url, uint32_t end, uint32_t lastModified) {
    m_url = url;
    m_stream.ndata = this;
    m_stream.url = m_url.c_str();
    m_stream.end = end;
    m_stream.lastmodified = lastModified;
    uint16_t type = NP_NORMAL;
    m_newStreamResult = m_funcs.newstream(m_instance, const_cast<char*>(kMimeType), &m_stream, false, &type);
    m_streamType = type;
    m_state = m_newStreamResult == NPERR_NO_ERROR ? State::Open : State::Declined;
    return m_newStreamResult;
}

int32_t StreamDelivery::write(const uint8_t* data, uint32_t length) {
    if (m_state != State::Open) return -1;
    const int32_t ready = m_funcs.writeready ? m_funcs.writeready(m_instance, &m_stream) : int32_t(length);
    if (ready <= 0) return 0;
    const int32_t count = static_cast<int32_t>(std::min<uint32_t>(length, static_cast<uint32_t>(ready)));
    const int32_t offset = static_cast<int32_t>(m_delivered);
    int32_t taken = m_funcs.write(m_instance, &m_stream, offset, count, const_cast<uint8_t*>(data));
    if (taken < 0) {
        m_endedByPlugin = true;
        end(NPRES_NETWORK_ERR);
        return -1;
    }
    taken = std::min(taken, count);
    m_delivered += static_cast<uint32_t>(taken);
    return taken;
}

void StreamDelivery::end(NPReason reason) {
    if (m_state != State::Open) return;
    m_state = State::Ended;
    m_reason = reason;
    m_funcs.destroystream(m_instance, &m_stream, reason);
}

}  // namespace avsview
