// npapi.h - the Netscape Plug-in API declarations this plug-in uses, for
// 32-bit Windows (the browser's side of the interface: types, codes, tables).
//
// Layouts follow the published NPAPI headers (npapi.h for the types and
// codes, npfunctions.h - formerly npupp.h - for the function table and the
// entry points). Only what the plug-in touches is declared; where a structure
// is shared with the browser it is declared whole, member for member, so
// that its size and offsets match what the browser passes.
#ifndef STREAMPLUG_NPAPI_H
#define STREAMPLUG_NPAPI_H

#include <stdint.h>
#include <windows.h>

#ifdef __cplusplus
extern "C"
{
#endif

    // Basic types (npapi.h). NPError and NPReason are 16-bit, NPBool one byte.
    typedef unsigned char NPBool;
    typedef int16_t NPError;
    typedef int16_t NPReason;
    typedef char* NPMIMEType;

    // Plug-in instance (npapi.h, struct _NPP): pdata belongs to the plug-in,
    // ndata to the browser.
    typedef struct _NPP
    {
        void* pdata;
        void* ndata;
    } NPP_t;
    typedef NPP_t* NPP;

    // Stream (npapi.h, struct _NPStream). 'headers' is the member added in
    // NPAPI 0.17; older browsers allocate the structure without it, which is
    // harmless because the plug-in never reads it.
    typedef struct _NPStream
    {
        void* pdata;
        void* ndata;
        const char* url;
        uint32_t end;
        uint32_t lastmodified;
        void* notifyData;
        const char* headers;
    } NPStream;

    // Data the browser keeps between two instances of a page (npapi.h).
    typedef struct _NPSavedData
    {
        int32_t len;
        void* buf;
    } NPSavedData;

    // Clip rectangle of a window (npapi.h): 16-bit members in this order.
    typedef struct _NPRect
    {
        uint16_t top;
        uint16_t left;
        uint16_t bottom;
        uint16_t right;
    } NPRect;

    typedef enum
    {
        NPWindowTypeWindow = 1,
        NPWindowTypeDrawable
    } NPWindowType;

    // Window handed to NPP_SetWindow (npapi.h, struct _NPWindow, Windows
    // variant: no ws_info member). On Windows 'window' is the HWND.
    typedef struct _NPWindow
    {
        void* window;
        int32_t x;
        int32_t y;
        uint32_t width;
        uint32_t height;
        NPRect clipRect;
        NPWindowType type;
    } NPWindow;

    // Print request (npapi.h): full-page or embedded printing.
    typedef struct _NPFullPrint
    {
        NPBool pluginPrinted;
        NPBool printOne;
        void* platformPrint;
    } NPFullPrint;

    typedef struct _NPEmbedPrint
    {
        NPWindow window;
        void* platformPrint;
    } NPEmbedPrint;

    typedef struct _NPPrint
    {
        uint16_t mode;
        union
        {
            NPFullPrint fullPrint;
            NPEmbedPrint embedPrint;
        } print;
    } NPPrint;

// Instance modes passed to NPP_New (npapi.h).
#define NP_EMBED 1
#define NP_FULL  2

// Stream types returned through NPP_NewStream's stype (npapi.h).
#define NP_NORMAL     1
#define NP_SEEK       2
#define NP_ASFILE     3
#define NP_ASFILEONLY 4

// Largest answer NPP_WriteReady may give (npapi.h).
#define NP_MAXREADY (((unsigned)(~0) << 1) >> 1)

// Error codes (npapi.h).
#define NPERR_BASE                       0
#define NPERR_NO_ERROR                   (NPERR_BASE + 0)
#define NPERR_GENERIC_ERROR              (NPERR_BASE + 1)
#define NPERR_INVALID_INSTANCE_ERROR     (NPERR_BASE + 2)
#define NPERR_INVALID_FUNCTABLE_ERROR    (NPERR_BASE + 3)
#define NPERR_MODULE_LOAD_FAILED_ERROR   (NPERR_BASE + 4)
#define NPERR_OUT_OF_MEMORY_ERROR        (NPERR_BASE + 5)
#define NPERR_INVALID_PLUGIN_ERROR       (NPERR_BASE + 6)
#define NPERR_INVALID_PLUGIN_DIR_ERROR   (NPERR_BASE + 7)
#define NPERR_INCOMPATIBLE_VERSION_ERROR (NPERR_BASE + 8)
#define NPERR_INVALID_PARAM              (NPERR_BASE + 9)
#define NPERR_INVALID_URL                (NPERR_BASE + 10)
#define NPERR_FILE_NOT_FOUND             (NPERR_BASE + 11)
#define NPERR_NO_DATA                    (NPERR_BASE + 12)
#define NPERR_STREAM_NOT_SEEKABLE        (NPERR_BASE + 13)

// Reasons for the end of a stream (npapi.h).
#define NPRES_BASE        0
#define NPRES_DONE        (NPRES_BASE + 0)
#define NPRES_NETWORK_ERR (NPRES_BASE + 1)
#define NPRES_USER_BREAK  (NPRES_BASE + 2)

    // The browser's function table (npfunctions.h, NPNetscapeFuncs). The
    // plug-in calls no browser function, so the table stays opaque.
    typedef struct _NPNetscapeFuncs NPNetscapeFuncs;

    // Plug-in functions (npfunctions.h): plain C calling convention on Windows
    // (NP_LOADDS is empty for Win32).
    typedef NPError (*NPP_NewProcPtr)(NPMIMEType pluginType, NPP instance, uint16_t mode, int16_t argc, char* argn[],
                                      char* argv[], NPSavedData* saved);
    typedef NPError (*NPP_DestroyProcPtr)(NPP instance, NPSavedData** save);
    typedef NPError (*NPP_SetWindowProcPtr)(NPP instance, NPWindow* window);
    typedef NPError (*NPP_NewStreamProcPtr)(NPP instance, NPMIMEType type, NPStream* stream, NPBool seekable,
                                            uint16_t* stype);
    typedef NPError (*NPP_DestroyStreamProcPtr)(NPP instance, NPStream* stream, NPReason reason);
    typedef void (*NPP_StreamAsFileProcPtr)(NPP instance, NPStream* stream, const char* fname);
    typedef int32_t (*NPP_WriteReadyProcPtr)(NPP instance, NPStream* stream);
    typedef int32_t (*NPP_WriteProcPtr)(NPP instance, NPStream* stream, int32_t offset, int32_t len, void* buffer);
    typedef void (*NPP_PrintProcPtr)(NPP instance, NPPrint* platformPrint);
    typedef int16_t (*NPP_HandleEventProcPtr)(NPP instance, void* event);
    typedef void (*NPP_URLNotifyProcPtr)(NPP instance, const char* url, NPReason reason, void* notifyData);
    // The variable arguments are the NPPVariable / NPNVariable enumerations,
    // which have the size of an int.
    typedef NPError (*NPP_GetValueProcPtr)(NPP instance, int variable, void* value);
    typedef NPError (*NPP_SetValueProcPtr)(NPP instance, int variable, void* value);

    // The plug-in's function table (npfunctions.h, NPPluginFuncs), members in
    // the published order. The browser allocates it and sets size and version;
    // later NPAPI versions append further members after setvalue, which the
    // plug-in neither reads nor writes.
    typedef struct _NPPluginFuncs
    {
        uint16_t size;
        uint16_t version;
        NPP_NewProcPtr newp;
        NPP_DestroyProcPtr destroy;
        NPP_SetWindowProcPtr setwindow;
        NPP_NewStreamProcPtr newstream;
        NPP_DestroyStreamProcPtr destroystream;
        NPP_StreamAsFileProcPtr asfile;
        NPP_WriteReadyProcPtr writeready;
        NPP_WriteProcPtr write;
        NPP_PrintProcPtr print;
        NPP_HandleEventProcPtr event;
        NPP_URLNotifyProcPtr urlNotify;
        void* javaClass;
        NPP_GetValueProcPtr getvalue;
        NPP_SetValueProcPtr setvalue;
    } NPPluginFuncs;

    // Library entry points (npfunctions.h): OSCALL is WINAPI on Windows, so the
    // callee removes the arguments (exported as NP_GetEntryPoints@4 and so on).
    NPError WINAPI NP_GetEntryPoints(NPPluginFuncs* pFuncs);
    NPError WINAPI NP_Initialize(NPNetscapeFuncs* pFuncs);
    NPError WINAPI NP_Shutdown(void);

#ifdef __cplusplus
}
#endif

#endif
