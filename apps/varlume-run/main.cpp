#include <cstdio>
#include <string>
#include <vector>

#include "options.h"
#include "runner.h"

int main(int argc, char** argv) {
    std::string error;
    const auto options = ParseOptions(std::vector<std::string>(argv + 1, argv + argc), error);
    if (!options) {
        std::fprintf(stderr, "varlume-run: %s\n", error.c_str());
        return 1;
    }
    if (options->Help) {
        std::fputs(UsageText, stdout);
        return 0;
    }
    return Run(*options);
}
