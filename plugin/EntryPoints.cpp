// The library's exported entry points: the function table for the browser,
// and library start-up and shut-down (exported as both NP_Initialize /
// NP_Shutdown and NP_PluginInit / NP_PluginShutdown, see streamplug.def).
#include "PluginFuncs.h"

NPError NPP_Initialize()
{
    return NPERR_NO_ERROR;
}

NPError NPP_Shutdown()
{
    return NPERR_NO_ERROR;
}

// Fills in the ten plug-in functions; size, version, event and the members
// after urlNotify stay as the browser set them.
extern "C" NPError WINAPI NP_GetEntryPoints(NPPluginFuncs* pFuncs)
{
    if (pFuncs == NULL)
        return NPERR_INVALID_FUNCTABLE_ERROR;
    pFuncs->newp = NPP_New;
    pFuncs->destroy = NPP_Destroy;
    pFuncs->setwindow = NPP_SetWindow;
    pFuncs->newstream = NPP_NewStream;
    pFuncs->destroystream = NPP_DestroyStream;
    pFuncs->asfile = NPP_StreamAsFile;
    pFuncs->writeready = NPP_WriteReady;
    pFuncs->write = NPP_Write;
    pFuncs->print = NPP_Print;
    pFuncs->urlNotify = NPP_URLNotify;
    return NPERR_NO_ERROR;
}

// The browser's function table is not kept: the plug-in calls no browser function.
extern "C" NPError WINAPI NP_Initialize(NPNetscapeFuncs*)
{
    return NPP_Initialize();
}

extern "C" NPError WINAPI NP_Shutdown()
{
    return NPP_Shutdown();
}
