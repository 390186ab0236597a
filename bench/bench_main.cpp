// The benchmark program behind script/bench, run under Wine:
//   kelpra_bench inproc PORT [SOAK REBUILDS]   (default 10000 100)
//   kelpra_bench startup PORT KELPRA_EXE BARE_EXE RUNS
//   kelpra_bench build
//   kelpra_bench steps PORT
// All print FIGURE lines (figures.h); velmora-sim listens on PORT.
#include "inproc_bench.h"
#include "startup_bench.h"
#include "startup_steps.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char** argv)
{
    if (argc == 3 && !std::strcmp(argv[1], "inproc"))
        return RunInProcessBench(static_cast<unsigned>(std::atoi(argv[2])));
    if (argc == 5 && !std::strcmp(argv[1], "inproc"))
        return RunInProcessBench(static_cast<unsigned>(std::atoi(argv[2])), std::atoi(argv[3]), std::atoi(argv[4]));
    if (argc == 2 && !std::strcmp(argv[1], "build"))
        return RunBuildBench();
    if (argc == 3 && !std::strcmp(argv[1], "steps"))
        return RunStartupStepsBench(static_cast<unsigned>(std::atoi(argv[2])));
    if (argc == 6 && !std::strcmp(argv[1], "startup"))
        return RunStartupBench(static_cast<unsigned>(std::atoi(argv[2])), argv[3], argv[4], std::atoi(argv[5]));
    std::fprintf(stderr, "usage: kelpra_bench inproc PORT [SOAK REBUILDS] | startup PORT KELPRA_EXE BARE_EXE RUNS | build | "
                         "steps PORT\n");
    return 2;
}
