// Names the page derives from the command line: the URL each stream is
// announced with, the embed tag's attributes, and per-element output files.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace avsview {

// The URL the plug-in is told: given (--url), the source itself for an http://
// source, or for a file an http URL ending in the file's name (percent-encoded),
// so that the plug-in treats it as a download.
std::string streamUrl(const std::string& source, const std::string& givenUrl);

// The attributes of <embed src=URL type=video/avs width=W height=H [autostart=V]>,
// in that order.
std::vector<std::pair<std::string, std::string>> embedAttributes(const std::string& url, int width, int height,
                                                                 const std::string& autostart);

// The output file of element index (1-based) of count: path itself for a single
// element, else path with "-index" before its extension.
std::string elementPath(const std::string& path, int index, int count);

}  // namespace avsview
