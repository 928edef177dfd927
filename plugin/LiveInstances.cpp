// LiveInstances.cpp - the list of live instance records, so that stream calls arriving after
// an instance was destroyed are recognised without touching the freed record.
#include "PluginInstance.h"

namespace {
// First live record; all instances live on the browser's one user-interface thread.
PluginInstance* g_pLiveInstances = NULL;
}  // namespace

void AddLiveInstance(PluginInstance* pRecord)
{
    pRecord->m_pNextLive = g_pLiveInstances;
    g_pLiveInstances = pRecord;
}

void RemoveLiveInstance(PluginInstance* pRecord)
{
    for (PluginInstance** ppLink = &g_pLiveInstances; *ppLink != NULL; ppLink = &(*ppLink)->m_pNextLive)
    {
        if (*ppLink == pRecord)
        {
            *ppLink = pRecord->m_pNextLive;
            return;
        }
    }
}

// A record at the address of a freed one (a later instance) is found only when the
// stream is its own.
PluginInstance* FindStreamRecord(const NPStream* stream)
{
    if (stream == NULL || stream->pdata == NULL)
        return NULL;
    for (PluginInstance* pRecord = g_pLiveInstances; pRecord != NULL; pRecord = pRecord->m_pNextLive)
    {
        if (pRecord == stream->pdata)
            return pRecord->m_pStream == stream ? pRecord : NULL;
    }
    return NULL;
}
