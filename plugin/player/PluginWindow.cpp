// CPluginWindow: construction and the link to its instance.
#include "PluginWindow.h"

CPluginWindow::CPluginWindow() : m_pInstance(NULL)
{
}
