// Stream functions of the plug-in table. This build does not receive clip
// streams yet: NPP_NewStream declines every stream, so the browser delivers
// no data, and the other functions answer safely for any call they get.
#include "PluginFuncs.h"
#include "PluginInstance.h"

// Declines the stream; the browser then ends it without delivering data.
NPError NPP_NewStream(NPP instance, NPMIMEType, NPStream*, NPBool, uint16_t*)
{
    if (instance == NULL)
        return NPERR_INVALID_INSTANCE_ERROR;
    return NPERR_GENERIC_ERROR;
}

int32_t NPP_WriteReady(NPP, NPStream*)
{
    return 0x0FFFFFFF;
}

// No temporary file is ever open: -1 tells the browser to end the stream.
int32_t NPP_Write(NPP, NPStream*, int32_t, int32_t, void*)
{
    return -1;
}

NPError NPP_DestroyStream(NPP, NPStream* stream, NPReason)
{
    PluginInstance* pRecord = stream ? static_cast<PluginInstance*>(stream->pdata) : NULL;
    if (pRecord != NULL)
        pRecord->m_bStreamOpen = FALSE;
    return NPERR_NO_ERROR;
}

void NPP_StreamAsFile(NPP, NPStream*, const char*)
{
}
