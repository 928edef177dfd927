// avspack's messages around the temporary-then-rename output.
#include "clip_output.h"

namespace avspack {

bool ClipOutput::create(std::string& error) {
    if (m_file.create(m_path)) return true;
    error = "cannot create " + m_path + ": " + m_file.lastError();
    return false;
}

bool ClipOutput::commit(std::string& error) {
    if (m_file.commit()) return true;
    error = writeError();
    m_file.discard();
    return false;
}

}  // namespace avspack
