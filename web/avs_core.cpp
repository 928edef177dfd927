// The C interface of the web build over player::Player: a handle holds the
// player with the input buffer and the sound last taken.
#include "avs_core.h"

#include <algorithm>
#include <vector>

#include "player.h"

struct AvsPlayer {
    explicit AvsPlayer(uint64_t announcedLength) : player(announcedLength) {}

    player::Player player;
    std::vector<uint8_t> input;
    std::vector<int16_t> sound;  // the samples last taken
    uint64_t soundFrom = 0;      // the sample frame they start at
    int frameWidth = 0;
    int frameHeight = 0;
};

extern "C" {

AvsPlayer* avs_create(double announcedLength) {
    return new AvsPlayer(announcedLength > 0 ? uint64_t(announcedLength) : 0);
}

void avs_destroy(AvsPlayer* player) { delete player; }

uint8_t* avs_input(AvsPlayer* player, std::size_t length) {
    player->input.resize(length);
    return player->input.data();
}

int avs_feed(AvsPlayer* player, std::size_t length) {
    return player->player.feed(player->input.data(), std::min(length, player->input.size()));
}

void avs_end(AvsPlayer* player) { player->player.endStream(); }

int avs_can_start(const AvsPlayer* player) { return player->player.mayStart(); }
double avs_received(const AvsPlayer* player) { return double(player->player.bytesReceived()); }

int avs_width(const AvsPlayer* player) {
    return player->player.hasHeaders() ? player->player.headers().video.width : 0;
}

int avs_height(const AvsPlayer* player) {
    return player->player.hasHeaders() ? player->player.headers().video.height : 0;
}

double avs_fps(const AvsPlayer* player) { return player->player.hasHeaders() ? player->player.framesPerSecond() : 0; }
uint32_t avs_frame_count(const AvsPlayer* player) { return uint32_t(player->player.frameCount()); }
uint32_t avs_playable(const AvsPlayer* player) { return uint32_t(player->player.playableFrames()); }
int avs_all_arrived(const AvsPlayer* player) { return player->player.allArrived(); }
int avs_complete(const AvsPlayer* player) { return player->player.isComplete(); }
int avs_has_sound(const AvsPlayer* player) { return player->player.hasSound(); }
uint32_t avs_sound_rate(const AvsPlayer* player) { return player->player.soundRate(); }
int avs_channels(const AvsPlayer* player) { return player->player.soundChannels(); }
const char* avs_sound_note(const AvsPlayer* player) { return player->player.soundNote().c_str(); }
const char* avs_warning(const AvsPlayer* player) { return player->player.lastWarning().c_str(); }
const char* avs_error(const AvsPlayer* player) { return player->player.error().c_str(); }

const uint8_t* avs_frame(AvsPlayer* player, uint32_t n) {
    const player::Picture* picture = player->player.frame(n);
    if (picture == nullptr) return nullptr;
    player->frameWidth = picture->width;
    player->frameHeight = picture->height;
    return picture->rgba.data();
}

int avs_frame_width(const AvsPlayer* player) { return player->frameWidth; }
int avs_frame_height(const AvsPlayer* player) { return player->frameHeight; }

uint32_t avs_take_sound(AvsPlayer* player, double until) {
    player->soundFrom += player->sound.size() / std::size_t(std::max(1, player->player.soundChannels()));
    player->sound.clear();
    return uint32_t(player->player.takeSound(until > 0 ? uint64_t(until) : 0, player->sound));
}

const int16_t* avs_sound_data(const AvsPlayer* player) { return player->sound.data(); }
double avs_sound_from(const AvsPlayer* player) { return double(player->soundFrom); }

const uint8_t* avs_clip(const AvsPlayer* player) {
    return player->player.isComplete() ? player->player.clipFile().data() : nullptr;
}

std::size_t avs_clip_length(const AvsPlayer* player) {
    return player->player.isComplete() ? player->player.clipFile().size() : 0;
}
}
