#include "RatioReporter.h"

int main(int argc, char** argv) {
    return corvane::bench::runBenchmarks(argc, argv);
}
