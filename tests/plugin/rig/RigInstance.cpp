// Driving an instance through the plug-in's table with browser-made arguments.
#include "RigInstance.h"

CRigInstance::~CRigInstance()
{
    if (m_bCreated)
        Destroy();
}

NPError CRigInstance::New(uint16_t mode, const Attributes& attributes)
{
    m_names.clear();
    m_values.clear();
    for (const auto& attribute : attributes)
    {
        m_names.push_back(attribute.first);
        m_values.push_back(attribute.second);
    }
    std::vector<char*> argn, argv;
    for (size_t i = 0; i < m_names.size(); i++)
    {
        argn.push_back(&m_names[i][0]);
        argv.push_back(&m_values[i][0]);
    }
    std::string strType = PLUGIN_MIME_TYPE;
    char* pszType = &strType[0];
    NPError err = m_library.Funcs().newp(pszType, &m_npp, mode, static_cast<int16_t>(argn.size()),
                                         argn.empty() ? NULL : argn.data(), argv.empty() ? NULL : argv.data(), NULL);
    m_bCreated = err == NPERR_NO_ERROR;
    return err;
}

NPError CRigInstance::SetWindow(HWND hWnd)
{
    m_window = NPWindow();
    m_window.window = hWnd;
    m_window.type = NPWindowTypeWindow;
    if (hWnd != NULL)
    {
        RECT rc;
        GetClientRect(hWnd, &rc);
        m_window.width = rc.right;
        m_window.height = rc.bottom;
        m_window.clipRect.right = static_cast<uint16_t>(rc.right);
        m_window.clipRect.bottom = static_cast<uint16_t>(rc.bottom);
    }
    return m_library.Funcs().setwindow(&m_npp, &m_window);
}

NPError CRigInstance::Destroy()
{
    NPSavedData* pSaved = NULL;
    NPError err = m_library.Funcs().destroy(&m_npp, &pSaved);
    m_bCreated = false;
    return err;
}
