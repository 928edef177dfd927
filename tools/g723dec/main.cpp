// g723dec: decodes G.723.1 frame files, WAV files and AVI audio to PCM.
#include <string>
#include <vector>

#include "kit/interrupt_cleanup.h"
#include "run_g723dec.h"

int main(int argc, char** argv) {
    kit::setProgramName("g723dec");
    return g723dec::runG723dec(std::vector<std::string>(argv + 1, argv + argc));
}
