// The avsview run: options checked before anything is loaded, the plug-in
// loaded, the page run and torn down, the plug-in shut down, then one summary
// line per element.
#include "run_avsview.h"

#include <windows.h>

#include <cstdio>

#include "exit_codes.h"
#include "exit_status.h"
#include "help_text.h"
#include "kit/version.h"
#include "options.h"
#include "page.h"
#include "plugin_library.h"

namespace avsview {

namespace {

// Makes path absolute (the Save As dialog needs a full path) and checks that
// its folder exists, so that the dialog cannot get stuck on a bad path.
bool resolveOutput(const char* option, std::string& path, std::string& error) {
    if (path.empty()) return true;
    char full[MAX_PATH];
    char* name = nullptr;
    const DWORD length = GetFullPathNameA(path.c_str(), MAX_PATH, full, &name);
    if (length == 0 || length >= MAX_PATH || name == nullptr) {
        error = std::string(option) + " " + path + " is not a usable file name";
        return false;
    }
    const std::string folder(full, name);
    const DWORD attributes = GetFileAttributesA(folder.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        error = std::string(option) + ": the folder " + folder + " does not exist";
        return false;
    }
    path = full;
    return true;
}

int fail(int code, const std::string& message) {
    std::fprintf(stderr, "avsview: %s\n", message.c_str());
    return code;
}

}  // namespace

int runAvsview(const std::vector<std::string>& args) {
    ViewOptions options;
    std::string error;
    if (!parseOptions(args, options, error)) return fail(kExitUsage, error + "\nTry 'avsview --help'.");
    if (options.help) {
        std::fputs(kHelpText, stdout);
        std::fputs(kit::exitCodeTable(), stdout);
        std::fputs(kExitNotes, stdout);
        return kExitOk;
    }
    if (options.version) {
        std::fputs(kit::versionLine("avsview").c_str(), stdout);
        return kExitOk;
    }
    if (!resolveOutput("--save-as", options.savePath, error) ||
        !resolveOutput("--snapshot", options.snapshotPath, error))
        return fail(kExitUsage, error);

    PluginLibrary plugin;
    if (!plugin.load(options.pluginPath.empty() ? defaultPluginPath() : options.pluginPath, error))
        return fail(kExitPluginFailed, error);
    std::vector<ElementReport> reports;
    bool pageRan = false;
    {
        Page page(options, plugin);
        pageRan = page.run(error);
        reports = page.reports();
    }
    plugin.unload();
    if (!pageRan) return fail(kExitPluginFailed, error);
    for (const ElementReport& report : reports) std::printf("%s\n", formatSummary(report).c_str());
    std::fflush(stdout);
    return exitCodeFor(reports, options);
}

}  // namespace avsview
