// Everything avsplay does behind main(): options, the stream fed to the player
// core in chunks as read, pictures and sound written as they become playable.
#pragma once

#include <string>
#include <vector>

namespace avsplay {

constexpr int kExitSuccess = 0;
constexpr int kExitUsage = 1;
constexpr int kExitStream = 2;  // the stream is refused, incomplete or not playable
constexpr int kExitOutput = 3;  // an output could not be written

int runAvsplay(const std::vector<std::string>& args);

}  // namespace avsplay
