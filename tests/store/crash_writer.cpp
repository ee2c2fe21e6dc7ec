// Writes one minute after another into the store named by argv[1], each in
// its own commit, and prints each minute's ts only once its commit returned.
// It continues after the newest stored minute, so a run killed between a
// commit and its line does not write that minute again.  Runs until killed.

#include "store/history_store.h"

#include <array>
#include <cstdio>
#include <sqlite3.h>
#include <string>
#include <unistd.h>

int main(int argc, char** argv) {
    if (argc != 2)
        return 2;
    using namespace korvane;
    auto opened = HistoryStore::open(argv[1], 20261208);
    if (!opened.store) {
        std::fprintf(stderr, "%s\n", opened.result.text.c_str());
        return 1;
    }
    std::int64_t next = 1796740200;
    if (const auto stored = opened.store->minutes(0, INT64_MAX); stored && !stored->empty())
        next = stored->back().ts + 60;
    for (;; next += 60) {
        MinuteSummary m;
        m.ts = next;
        m.date = 20261208;
        m.packets = 1;
        m.volts = {12.5, 12.5, 12.5};
        m.wh = 0.5;
        const StoreResult r = opened.store->commitMinutes(std::array{m});
        if (!r.ok()) {
            std::fprintf(stderr, "%s\n", r.text.c_str());
            return 1;
        }
        const std::string text = std::to_string(next) + "\n";
        if (::write(1, text.data(), text.size()) != static_cast<ssize_t>(text.size()))
            return 1;
    }
}
