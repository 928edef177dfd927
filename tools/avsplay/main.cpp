// avsplay: extracts the pictures and the sound of a clip stream.
#include <string>
#include <vector>

#include "run_avsplay.h"

int main(int argc, char** argv) { return avsplay::runAvsplay(std::vector<std::string>(argv + 1, argv + argc)); }
