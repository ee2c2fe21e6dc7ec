// korvane-sim-store: writes a history store of simulated days, as Korvane
// would have recorded them from the board model, for screenshots and
// benchmarks.
//   korvane-sim-store [--days N] [--first yyyymmdd] [--seed N] <korvane.db>

#include "simulated_store.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

int main(int argc, char** argv) {
    korvane::sim::SimulatedStore plan;
    std::string path;
    for (int i = 1; i < argc; ++i) {
        const bool hasValue = i + 1 < argc;
        if (std::strcmp(argv[i], "--days") == 0 && hasValue)
            plan.days = std::atoi(argv[++i]);
        else if (std::strcmp(argv[i], "--first") == 0 && hasValue)
            plan.firstDate = std::atoi(argv[++i]);
        else if (std::strcmp(argv[i], "--seed") == 0 && hasValue)
            plan.seed = static_cast<std::uint32_t>(std::strtoul(argv[++i], nullptr, 10));
        else if (argv[i][0] != '-' && path.empty())
            path = argv[i];
        else {
            path.clear();
            break;
        }
    }
    if (path.empty() || plan.days < 1 || plan.firstDate < 1000101) {
        std::fputs("usage: korvane-sim-store [--days N] [--first yyyymmdd] [--seed N] "
                   "<korvane.db>\n",
                   stderr);
        return 2;
    }
    const korvane::StoreResult r = korvane::sim::writeSimulatedStore(path, plan);
    if (!r.ok()) {
        std::fprintf(stderr, "%s: %s\n", path.c_str(), r.text.c_str());
        return 1;
    }
    return 0;
}
