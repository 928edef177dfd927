// stream_bench: feeds a 256 MiB clip stream in 64 KiB chunks through streamplug.dll's
// NPP_Write and, in the same process, writes the same bytes with a plain buffered fwrite
// loop; prints both rates, the ratio and the process memory during and after the stream.
// Usage: stream_bench [path of streamplug.dll]   (default: the one the build made)
#include <windows.h>
#include <psapi.h>

#include <share.h>
#include <stdio.h>
#include <string.h>

#include <algorithm>
#include <string>
#include <vector>

#include "npapi.h"

namespace {
const DWORD CHUNK_BYTES = 64 * 1024;
const DWORD CHUNKS = 4096;            // 256 MiB of clip data
const DWORD BLOCK_BYTES = 64 * 1024;  // placed block at the end of the clip
const int ROUNDS = 3;

double Now() {
    LARGE_INTEGER count, frequency;
    QueryPerformanceCounter(&count);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(count.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double PrivateMiB() {
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof(counters);
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof(counters));
    return counters.PagefileUsage / (1024.0 * 1024.0);
}

std::string TempPath(const char* pszName) {
    char szDir[MAX_PATH];
    GetTempPathA(sizeof(szDir), szDir);
    return std::string(szDir) + pszName;
}

// A Linux path (as the build knows the library) on Wine's drive Z:, any other path as it is.
std::string DllPath(const char* pszPath) {
    std::string strPath = pszPath;
    if (strPath.empty() || strPath[0] != '/') return strPath;
    std::replace(strPath.begin(), strPath.end(), '/', '\\');
    return "Z:" + strPath;
}

// Seconds for the plain loop: the same sharing mode and the same chunks as the plug-in.
double PlainLoop(const std::vector<BYTE>& chunk) {
    std::string strPath = TempPath("stream_bench_plain.avi");
    double dStart = Now();
    FILE* pFile = _fsopen(strPath.c_str(), "w+b", _SH_DENYNO);
    if (pFile == NULL) return -1;
    fseek(pFile, CHUNK_BYTES * CHUNKS, SEEK_SET);
    fwrite(chunk.data(), 1, BLOCK_BYTES, pFile);
    fseek(pFile, 0, SEEK_SET);
    for (DWORD i = 0; i < CHUNKS; i++) fwrite(chunk.data(), 1, CHUNK_BYTES, pFile);
    fclose(pFile);
    double dSeconds = Now() - dStart;
    DeleteFileA(strPath.c_str());
    return dSeconds;
}

// Seconds for the whole stream through the plug-in, from NPP_NewStream to NPP_DestroyStream;
// *pMidMiB receives the private memory half-way through.
double PluginStream(const NPPluginFuncs& funcs, const std::vector<BYTE>& chunk, double* pMidMiB) {
    NPP_t npp = {};
    char szType[] = "video/avs";
    if (funcs.newp(szType, &npp, NP_EMBED, 0, NULL, NULL, NULL) != NPERR_NO_ERROR) return -1;
    std::vector<BYTE> header(8 + BLOCK_BYTES);
    DWORD words[2] = {CHUNK_BYTES * CHUNKS, BLOCK_BYTES};
    memcpy(header.data(), words, sizeof(words));
    memcpy(header.data() + 8, chunk.data(), BLOCK_BYTES);

    NPStream stream = {};
    stream.url = "file:///C:/bench/clip.avs";  // local: no save offer at the end
    stream.end = static_cast<uint32_t>(header.size()) + CHUNK_BYTES * CHUNKS;
    uint16_t type = 0;
    double dStart = Now();
    funcs.newstream(&npp, szType, &stream, FALSE, &type);
    int32_t offset = 0;
    offset += funcs.write(&npp, &stream, offset, static_cast<int32_t>(header.size()), header.data());
    for (DWORD i = 0; i < CHUNKS; i++) {
        funcs.writeready(&npp, &stream);
        offset += funcs.write(&npp, &stream, offset, CHUNK_BYTES, const_cast<BYTE*>(chunk.data()));
        if (i == CHUNKS / 2) *pMidMiB = PrivateMiB();
    }
    funcs.destroystream(&npp, &stream, NPRES_DONE);
    double dSeconds = Now() - dStart;
    NPSavedData* pSaved = NULL;
    funcs.destroy(&npp, &pSaved);
    return offset == static_cast<int32_t>(stream.end) ? dSeconds : -1;
}
}  // namespace

int main(int argc, char** argv) {
    std::string strDll = DllPath(argc > 1 ? argv[1] : STREAMPLUG_DLL);
    const char* pszDll = strDll.c_str();
    HMODULE hPlugin = LoadLibraryA(pszDll);
    auto pfnGetEntryPoints = reinterpret_cast<NPError(WINAPI*)(NPPluginFuncs*)>(
        reinterpret_cast<void*>(GetProcAddress(hPlugin, "NP_GetEntryPoints")));
    if (pfnGetEntryPoints == NULL) {
        fprintf(stderr, "stream_bench: cannot load %s\n", pszDll);
        return 1;
    }
    NPPluginFuncs funcs = {};
    funcs.size = sizeof(funcs);
    pfnGetEntryPoints(&funcs);

    std::vector<BYTE> chunk(CHUNK_BYTES);
    for (DWORD i = 0; i < CHUNK_BYTES; i++) chunk[i] = static_cast<BYTE>(i * 2654435761u >> 24);

    double dBefore = PrivateMiB();
    std::vector<double> plain, plugin;
    double dMid = 0;
    for (int round = 0; round < ROUNDS; round++) {
        plain.push_back(PlainLoop(chunk));
        plugin.push_back(PluginStream(funcs, chunk, &dMid));
        if (plain.back() < 0 || plugin.back() < 0) {
            fprintf(stderr, "stream_bench: a run failed\n");
            return 1;
        }
    }
    std::sort(plain.begin(), plain.end());
    std::sort(plugin.begin(), plugin.end());
    double dMiB = (CHUNK_BYTES * static_cast<double>(CHUNKS) + BLOCK_BYTES) / (1024.0 * 1024.0);
    double dPlainRate = dMiB / plain[ROUNDS / 2], dPluginRate = dMiB / plugin[ROUNDS / 2];
    printf("stream of %.0f MiB in %lu-byte chunks, median of %d rounds\n", dMiB, CHUNK_BYTES, ROUNDS);
    printf("plain fwrite loop : %8.1f MiB/s (%.3f s)\n", dPlainRate, plain[ROUNDS / 2]);
    printf("plug-in NPP_Write : %8.1f MiB/s (%.3f s)\n", dPluginRate, plugin[ROUNDS / 2]);
    printf("ratio plug-in/plain: %.3f\n", dPluginRate / dPlainRate);
    printf("private memory MiB: before %.1f, mid-stream %.1f, after %.1f\n", dBefore, dMid, PrivateMiB());
    return 0;
}
