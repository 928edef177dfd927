/* Public interface of the speech decoder library: reset the decoder, then
   decode one 30 ms frame per call into 240 samples of 8 kHz 16-bit PCM. */
#ifndef SPEECHDEC_H
#define SPEECHDEC_H

#include <stdint.h>

#if defined(_WIN32) && !defined(_WIN64)
#define SPEECHDEC_CALL __stdcall
#else
#define SPEECHDEC_CALL
#endif

#if defined(_WIN32)
#define SPEECHDEC_EXPORT
#else
#define SPEECHDEC_EXPORT __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Bytes of a frame by its kind (bits 0-1 of its first byte): 24 for
   higher-rate speech (kind 0), 20 for lower-rate speech (1), 4 for a silence
   descriptor (2), 2 for an untransmitted marker (3). DecSoundFrame reads that
   many bytes and returns half the count. */
#define SPEECHDEC_MAX_FRAME_BYTES 24
static inline int32_t speechdecFrameBytes(int32_t kind) {
    static const int32_t bytes[4] = {24, 20, 4, 2};
    return bytes[kind & 3];
}

/* Starts a new stream. Only the low 16 bits of mode are examined; every frame
   selects its own rate, so mode does not change the output. Returns 0. */
SPEECHDEC_EXPORT int32_t SPEECHDEC_CALL INITdec(int32_t mode);

/* Decodes one frame (24 or 20 bytes of speech, a 4-byte silence descriptor or
   a 2-byte untransmitted marker; the kind is in bits 0-1 of the first byte)
   into samples[0..239]. A null frame marks a lost frame: the previous output
   is replayed backwards with a falling gain. Returns the number of 16-bit
   words the frame occupies (speechdecFrameBytes / 2; 1 for a null frame).
   The buffer must hold the whole frame of the kind its first byte names
   (speechdecFrameBytes bytes are read whatever the rest of the frame holds),
   so a caller with a shorter buffer must check the kind first. */
SPEECHDEC_EXPORT int32_t SPEECHDEC_CALL DecSoundFrame(const void* frame, int16_t* samples);

#ifdef __cplusplus
}
#endif

#endif
