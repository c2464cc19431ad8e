// tavolin-disc: checks a content disc with the program's own loaders.
#include "tools/disc/DiscCheck.h"

#include <iostream>

int main(int argc, char** argv) {
    return tav::RunDiscTool(std::vector<std::string>(argv + 1, argv + argc), std::cout, std::cerr);
}
