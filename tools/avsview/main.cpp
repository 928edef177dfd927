// avsview: a miniature browser page that runs the video/avs plug-in.
#include "kit/interrupt_cleanup.h"
#include "run_avsview.h"

int main(int argc, char** argv) {
    kit::setProgramName("avsview");
    return avsview::runAvsview(std::vector<std::string>(argv + 1, argv + argc));
}
