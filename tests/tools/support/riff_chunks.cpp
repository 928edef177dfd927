// Chunk and list construction.
#include "riff_chunks.h"

#include "bytes.h"

namespace toolstest {

Bytes concat(const std::vector<Bytes>& parts) {
    Bytes out;
    for (const Bytes& part : parts) out.insert(out.end(), part.begin(), part.end());
    return out;
}

Bytes chunk(const std::string& id, const Bytes& payload, int64_t declaredSize) {
    Bytes out(id.begin(), id.end());
    kit::appendLe32(out, uint32_t(declaredSize >= 0 ? declaredSize : int64_t(payload.size())));
    out.insert(out.end(), payload.begin(), payload.end());
    if (payload.size() % 2 == 1) out.push_back(0);
    return out;
}

Bytes list(const std::string& id, const std::string& type, const Bytes& children) {
    Bytes payload(type.begin(), type.end());
    payload.insert(payload.end(), children.begin(), children.end());
    return chunk(id, payload);
}

}  // namespace toolstest
