// Whether a video is playing: the page knows nothing of the plug-in's player,
// so it asks MCI about the devices open in this process.
#pragma once

namespace avsview {

// True while any MCI device opened in this process plays or seeks.
bool anyDevicePlaying();

}  // namespace avsview
