// CPluginWindow: the window object behind the browser's plug-in window; it
// subclasses that window and points back to the instance that owns it.
#pragma once

#include "Wnd.h"

struct PluginInstance;

class CPluginWindow : public CWnd
{
public:
    CPluginWindow();

    // Links the window to the instance record that owns it.
    void SetInstance(PluginInstance* pInstance) { m_pInstance = pInstance; }
    PluginInstance* GetInstance() const { return m_pInstance; }

protected:
    PluginInstance* m_pInstance;  // owning instance (not owned); NULL until SetInstance
};
