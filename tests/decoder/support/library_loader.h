// Loads the decoder's shared library at run time and finds its two exports by
// name, as an outside program would (LoadLibrary/GetProcAddress or dlopen/dlsym).
#pragma once

#include <cstdint>
#include <string>

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#endif

#include "speechdec.h"

class SpeechdecLibrary {
public:
    using InitFn = int32_t(SPEECHDEC_CALL*)(int32_t);
    using DecodeFn = int32_t(SPEECHDEC_CALL*)(const void*, int16_t*);

    explicit SpeechdecLibrary(const std::string& path) {
#ifdef _WIN32
        m_handle = LoadLibraryA(path.c_str());
#else
        m_handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
#endif
        if (m_handle != nullptr) {
            init = reinterpret_cast<InitFn>(symbol("INITdec"));
            decode = reinterpret_cast<DecodeFn>(symbol("DecSoundFrame"));
        }
    }
    ~SpeechdecLibrary() {
        if (m_handle == nullptr) return;
#ifdef _WIN32
        FreeLibrary(static_cast<HMODULE>(m_handle));
#else
        dlclose(m_handle);
#endif
    }
    SpeechdecLibrary(const SpeechdecLibrary&) = delete;
    SpeechdecLibrary& operator=(const SpeechdecLibrary&) = delete;

    bool loaded() const { return m_handle != nullptr && init != nullptr && decode != nullptr; }

    void* symbol(const char* name) const {
#ifdef _WIN32
        return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(m_handle), name));
#else
        return dlsym(m_handle, name);
#endif
    }

    InitFn init = nullptr;
    DecodeFn decode = nullptr;

private:
    void* m_handle = nullptr;
};
