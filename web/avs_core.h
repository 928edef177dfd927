// The player core's C interface for the web build: plain functions over a
// handle, called from JavaScript (avs-worker.js) through the module's exports.
#pragma once

#include <cstddef>
#include <cstdint>

struct AvsPlayer;

extern "C" {

// A player for a stream of announcedLength bytes (0 = not known).
AvsPlayer* avs_create(double announcedLength);
void avs_destroy(AvsPlayer* player);

// A buffer of length bytes for the next chunk, then avs_feed takes it.
// avs_feed answers 0 once the stream is refused or cannot be played.
uint8_t* avs_input(AvsPlayer* player, std::size_t length);
int avs_feed(AvsPlayer* player, std::size_t length);
// The stream ended normally.
void avs_end(AvsPlayer* player);

// What is known so far; the strings are empty when there is nothing to say.
int avs_can_start(const AvsPlayer* player);
double avs_received(const AvsPlayer* player);
int avs_width(const AvsPlayer* player);
int avs_height(const AvsPlayer* player);
double avs_fps(const AvsPlayer* player);
uint32_t avs_frame_count(const AvsPlayer* player);
uint32_t avs_playable(const AvsPlayer* player);
int avs_all_arrived(const AvsPlayer* player);
int avs_complete(const AvsPlayer* player);
int avs_has_sound(const AvsPlayer* player);
uint32_t avs_sound_rate(const AvsPlayer* player);
int avs_channels(const AvsPlayer* player);
const char* avs_sound_note(const AvsPlayer* player);
const char* avs_warning(const AvsPlayer* player);
const char* avs_error(const AvsPlayer* player);

// Frame n as RGBA (avs_frame_width x avs_frame_height pixels, 4 bytes each),
// valid until the next call; null when n is not playable or the video fails.
const uint8_t* avs_frame(AvsPlayer* player, uint32_t n);
int avs_frame_width(const AvsPlayer* player);
int avs_frame_height(const AvsPlayer* player);

// Takes the sound from where the last call stopped up to sample frame until;
// returns the sample frames taken, found at avs_sound_data (channels
// interleaved) from sample frame avs_sound_from on, valid until the next call.
uint32_t avs_take_sound(AvsPlayer* player, double until);
const int16_t* avs_sound_data(const AvsPlayer* player);
double avs_sound_from(const AvsPlayer* player);

// The rebuilt clip file, avs_clip_length bytes; null while the stream is not complete.
const uint8_t* avs_clip(const AvsPlayer* player);
std::size_t avs_clip_length(const AvsPlayer* player);
}
