// avspack: packs AVI clips into plug-in streams, inspects and unpacks them.
#include <iostream>

#include "kit/interrupt_cleanup.h"
#include "run_avspack.h"

int main(int argc, char** argv) {
    kit::setProgramName("avspack");
    return avspack::runAvspack(std::vector<std::string>(argv + 1, argv + argc), std::cout, std::cerr);
}
