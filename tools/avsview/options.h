// The avsview command line: the page to build, how its sources are delivered
// and how the run ends.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace avsview {

// How the page answers the plug-in's Save As dialog at teardown.
enum class SaveAnswer {
    User,    // the user answers it
    SaveAs,  // saved under ViewOptions::savePath
    Cancel,  // cancelled
};

struct ViewOptions {
    bool help = false;      // print the help text and do nothing else
    bool version = false;   // print the version and do nothing else
    uint32_t rate = 0;      // bytes per second of the simulated link, 0 = unlimited
    uint32_t chunk = 8192;  // largest number of bytes in one NPP_Write
    std::string autostart;  // value of the "autostart" attribute, empty = no attribute
    bool full = false;      // one full-page plug-in (NP_FULL) instead of embeds
    int width = 320;        // size of each plug-in element's window, in pixels
    int height = 240;
    std::string url;                     // URL the plug-in is told, empty = derived from the source
    bool noLength = false;               // announce the stream with end = 0
    bool cache = false;                  // each source in one NPP_Write once fetched whole
    bool play = false;                   // send the Play command once every stream has ended
    int holdMs = -1;                     // how long the page stays after the streams, -1 = until playback stops
    SaveAnswer save = SaveAnswer::User;  // answer to the Save As dialog
    std::string savePath;                // for SaveAnswer::SaveAs
    std::string snapshotPath;            // picture of each plug-in window before teardown, empty = none
    std::string pluginPath;              // streamplug.dll to load, empty = the one beside avsview.exe
    std::vector<std::string> sources;    // one plug-in element per source, in page order
};

// Parses the arguments after the program name; error says what is wrong.
bool parseOptions(const std::vector<std::string>& args, ViewOptions& options, std::string& error);

// True for an http:// source (any case of the scheme); anything else is a file.
bool isHttpSource(const std::string& source);

}  // namespace avsview
