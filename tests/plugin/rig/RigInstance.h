// CRigInstance: one plug-in instance driven through the plug-in's function
// table the way a browser drives it (NPP_New, NPP_SetWindow, NPP_Destroy).
#pragma once

#include <string>
#include <utility>
#include <vector>

#include <windows.h>

#include "PluginInstance.h"
#include "PluginLibrary.h"

class CRigInstance
{
public:
    typedef std::vector<std::pair<std::string, std::string>> Attributes;

    explicit CRigInstance(const CPluginLibrary& library) : m_library(library), m_window() { m_npp = NPP_t(); }
    // Destroys the instance if the test did not.
    ~CRigInstance();

    // NPP_New for the plug-in's MIME type with the embed tag's attributes, in order.
    NPError New(uint16_t mode = NP_EMBED, const Attributes& attributes = Attributes());
    // NPP_SetWindow with an NPWindow holding hWnd (NULL withdraws the window).
    NPError SetWindow(HWND hWnd);
    // NPP_Destroy; the browser forgets the instance afterwards.
    NPError Destroy();

    NPP Npp() { return &m_npp; }
    // The plug-in's record of this instance (its pdata), NULL when none.
    PluginInstance* Record() const { return static_cast<PluginInstance*>(m_npp.pdata); }
    bool IsCreated() const { return m_bCreated; }

private:
    const CPluginLibrary& m_library;
    NPP_t m_npp;                                 // the instance as the browser holds it
    NPWindow m_window;                           // the window last handed over
    bool m_bCreated = false;                     // NPP_New succeeded and NPP_Destroy has not run
    std::vector<std::string> m_names, m_values;  // attribute strings, kept alive for the plug-in

    CRigInstance(const CRigInstance&) = delete;
    CRigInstance& operator=(const CRigInstance&) = delete;
};
