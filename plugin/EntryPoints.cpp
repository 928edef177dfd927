// The library's exported entry points: the function table for the browser,
// and library start-up and shut-down (exported as both NP_Initialize /
// NP_Shutdown and NP_PluginInit / NP_PluginShutdown, see streamplug.def).
#include <new>

#include "PluginFuncs.h"

namespace {
// No C++ exception reaches the browser: the table holds these guards around the plug-in's
// functions. A failed allocation answers NPERR_OUT_OF_MEMORY_ERROR, anything else
// NPERR_GENERIC_ERROR; NPP_Write answers -1 then, which ends the stream.
template <class F>
NPError GuardError(F call) noexcept
{
    try
    {
        return call();
    }
    catch (const std::bad_alloc&)
    {
        return NPERR_OUT_OF_MEMORY_ERROR;
    }
    catch (...)
    {
        return NPERR_GENERIC_ERROR;
    }
}

NPError GuardedNew(NPMIMEType pluginType, NPP instance, uint16_t mode, int16_t argc, char* argn[], char* argv[],
                   NPSavedData* saved)
{
    return GuardError([&] { return NPP_New(pluginType, instance, mode, argc, argn, argv, saved); });
}

NPError GuardedDestroy(NPP instance, NPSavedData** save)
{
    return GuardError([&] { return NPP_Destroy(instance, save); });
}

NPError GuardedSetWindow(NPP instance, NPWindow* window)
{
    return GuardError([&] { return NPP_SetWindow(instance, window); });
}

NPError GuardedNewStream(NPP instance, NPMIMEType type, NPStream* stream, NPBool seekable, uint16_t* stype)
{
    return GuardError([&] { return NPP_NewStream(instance, type, stream, seekable, stype); });
}

NPError GuardedDestroyStream(NPP instance, NPStream* stream, NPReason reason)
{
    return GuardError([&] { return NPP_DestroyStream(instance, stream, reason); });
}

void GuardedStreamAsFile(NPP instance, NPStream* stream, const char* fname)
{
    GuardError([&] {
        NPP_StreamAsFile(instance, stream, fname);
        return NPERR_NO_ERROR;
    });
}

int32_t GuardedWrite(NPP instance, NPStream* stream, int32_t offset, int32_t len, void* buffer)
{
    int32_t nTaken = -1;
    GuardError([&] {
        nTaken = NPP_Write(instance, stream, offset, len, buffer);
        return NPERR_NO_ERROR;
    });
    return nTaken;
}
}  // namespace

NPError NPP_Initialize()
{
    return NPERR_NO_ERROR;
}

NPError NPP_Shutdown()
{
    return NPERR_NO_ERROR;
}

// Fills in the ten plug-in functions (guarded where they can fail); size, version, event and the members
// after urlNotify stay as the browser set them.
extern "C" NPError WINAPI NP_GetEntryPoints(NPPluginFuncs* pFuncs)
{
    if (pFuncs == NULL)
        return NPERR_INVALID_FUNCTABLE_ERROR;
    pFuncs->newp = GuardedNew;
    pFuncs->destroy = GuardedDestroy;
    pFuncs->setwindow = GuardedSetWindow;
    pFuncs->newstream = GuardedNewStream;
    pFuncs->destroystream = GuardedDestroyStream;
    pFuncs->asfile = GuardedStreamAsFile;
    pFuncs->writeready = NPP_WriteReady;
    pFuncs->write = GuardedWrite;
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
