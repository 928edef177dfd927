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

/* Starts a new stream. Only the low 16 bits of mode are examined; every frame
   selects its own rate, so mode does not change the output. Returns 0. */
SPEECHDEC_EXPORT int32_t SPEECHDEC_CALL INITdec(int32_t mode);

/* Decodes one frame (24 or 20 bytes of speech, a 4-byte silence descriptor or
   a 2-byte untransmitted marker; the kind is in bits 0-1 of the first byte)
   into samples[0..239]. A null frame marks a lost frame: the previous output
   is replayed backwards with a falling gain. Returns the number of 16-bit
   words the frame occupies (12, 10, 2 or 1; 1 for a null frame).
   The buffer must hold the whole frame of the kind its first byte names:
   24 readable bytes for kind 0, 20 for kind 1, 4 for kind 2 and 2 for kind 3
   (that many bytes are read whatever the rest of the frame holds), so a
   caller with a shorter buffer must check the kind first. */
SPEECHDEC_EXPORT int32_t SPEECHDEC_CALL DecSoundFrame(const void* frame, int16_t* samples);

#ifdef __cplusplus
}
#endif

#endif
