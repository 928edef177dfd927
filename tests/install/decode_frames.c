/* A program that uses the installed speech decoder: decodes a file of raw
   G.723.1 frames (an untransmitted frame is one byte there) to raw 16-bit
   samples, as `g723dec --raw` does. */
#include <speechdec.h>
#include <stdio.h>
#include <string.h>

int main(int argc, char** argv) {
    FILE* in = argc == 3 ? fopen(argv[1], "rb") : NULL;
    FILE* out = in ? fopen(argv[2], "wb") : NULL;
    if (!out) {
        fprintf(stderr, "usage: decode_frames IN.g723 OUT.raw\n");
        return 1;
    }
    INITdec(0);
    int first;
    while ((first = fgetc(in)) != EOF) {
        unsigned char frame[SPEECHDEC_MAX_FRAME_BYTES];
        memset(frame, 0, sizeof frame);
        frame[0] = (unsigned char)first;
        const size_t rest = (first & 3) == 3 ? 0 : (size_t)speechdecFrameBytes(first & 3) - 1;
        if (fread(frame + 1, 1, rest, in) != rest) break;
        int16_t samples[240];
        DecSoundFrame(frame, samples);
        fwrite(samples, sizeof samples[0], 240, out);
    }
    return fclose(out) == 0 ? 0 : 1;
}
