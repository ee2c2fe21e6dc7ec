#include "slow_resolver.h"

#include <atomic>
#include <chrono>
#include <cstring>
#include <dlfcn.h>
#include <netdb.h>
#include <thread>

namespace korvane::test {
namespace {

std::atomic<int> delayMs{0};
std::atomic<int> lookups{0};
std::atomic<bool> onMainThread{false};
// Static initialisation runs on the thread that starts the program.
const std::thread::id mainThread = std::this_thread::get_id();

bool isTestName(const char* node) {
    if (!node)
        return false;
    const std::size_t n = std::strlen(node);
    return n > 5 && std::strcmp(node + n - 5, ".test") == 0;
}

} // namespace

void setResolverDelayMs(int ms) {
    delayMs = ms;
}
int testNameLookups() {
    return lookups;
}
bool testNameLookedUpOnMainThread() {
    return onMainThread;
}

} // namespace korvane::test

extern "C" int getaddrinfo(const char* node, const char* service, const struct addrinfo* hints,
                           struct addrinfo** res) {
    using Real = int (*)(const char*, const char*, const addrinfo*, addrinfo**);
    static const auto real = reinterpret_cast<Real>(::dlsym(RTLD_NEXT, "getaddrinfo"));
    namespace t = korvane::test;
    if (!t::isTestName(node))
        return real(node, service, hints, res);
    ++t::lookups;
    if (std::this_thread::get_id() == t::mainThread)
        t::onMainThread = true;
    std::this_thread::sleep_for(std::chrono::milliseconds(t::delayMs.load()));
    if (std::strncmp(node, "missing.", 8) == 0)
        return EAI_NONAME;
    return real("127.0.0.1", service, hints, res);
}
