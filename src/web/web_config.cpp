#include "web_config.h"

#include "config/tagged_fields.h"
#include "platform/files.h"
#include "platform/numbers.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cmath>
#include <fcntl.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>
#include <sys/stat.h>
#include <unistd.h>

namespace korvane {

namespace {

using C = WebConfig;
namespace k = web_keys;

constexpr TaggedField<WebConfig> kFields[] = {
    {k::Enabled, &C::Enabled},
    {k::Listen, &C::Listen},
    {k::Port, &C::Port},
    {k::Password, &C::Password},
};

std::string trimmed(std::string_view s) {
    const auto first = s.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    const auto last = s.find_last_not_of(" \t");
    return std::string(s.substr(first, last - first + 1));
}

bool isIpv4(const std::string& a) {
    in_addr v4{};
    return ::inet_pton(AF_INET, a.c_str(), &v4) == 1;
}

bool isIpv6(const std::string& a) {
    in6_addr v6{};
    return ::inet_pton(AF_INET6, a.c_str(), &v6) == 1;
}

// Owner-only before the password is written: the atomic replacement gives
// its temporary file the mode of the file it replaces.
int makeOwnerOnly(const std::string& path) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
        return errno;
    const int error = ::fchmod(fd, 0600) == 0 ? 0 : errno;
    ::close(fd);
    return error;
}

std::string urlOf(const std::string& address, int port) {
    const bool v6 = address.find(':') != std::string::npos;
    return "http://" + (v6 ? "[" + address + "]" : address) + ":" + std::to_string(port) + "/";
}

// The addresses of the interfaces that are up, IPv4 first, loopback last:
// the first line is the one a phone on the LAN can use.
std::vector<std::string> interfaceAddresses(bool withV6) {
    std::vector<std::string> v4, v6, loop;
    ifaddrs* list = nullptr;
    if (::getifaddrs(&list) != 0)
        return {"127.0.0.1"};
    for (const ifaddrs* i = list; i; i = i->ifa_next) {
        if (!i->ifa_addr || !(i->ifa_flags & IFF_UP))
            continue;
        char text[INET6_ADDRSTRLEN] = {};
        const int family = i->ifa_addr->sa_family;
        if (family == AF_INET) {
            const auto* a = reinterpret_cast<const sockaddr_in*>(i->ifa_addr);
            ::inet_ntop(AF_INET, &a->sin_addr, text, sizeof text);
        } else if (family == AF_INET6 && withV6) {
            const auto* a = reinterpret_cast<const sockaddr_in6*>(i->ifa_addr);
            // Link-local addresses need a zone a browser's address bar does not take.
            if (IN6_IS_ADDR_LINKLOCAL(&a->sin6_addr))
                continue;
            ::inet_ntop(AF_INET6, &a->sin6_addr, text, sizeof text);
        } else {
            continue;
        }
        auto& into = (i->ifa_flags & IFF_LOOPBACK) ? loop : family == AF_INET ? v4 : v6;
        into.emplace_back(text);
    }
    ::freeifaddrs(list);
    v4.insert(v4.end(), v6.begin(), v6.end());
    v4.insert(v4.end(), loop.begin(), loop.end());
    return v4;
}

} // namespace

WebConfig defaultWebConfig() {
    WebConfig c;
    c.Enabled = "0";
    c.Listen = "127.0.0.1";
    c.Port = std::to_string(kDefaultWebPort);
    return c;
}

WebConfig parseWebConfig(std::string_view fileText) {
    return readEscapedTaggedFields(fileText, defaultWebConfig(), kFields);
}

std::string formatWebConfig(const WebConfig& config) {
    std::string text = "Web Config File\r\n\r\n";
    writeEscapedTaggedLines(text, config, kFields);
    text += "\r\n";
    return text;
}

WebConfig loadWebConfig(const std::string& appFolder) {
    return parseWebConfig(readWholeFile(joinPath(appFolder, kWebConfigFile)).value_or(""));
}

int saveWebConfig(const std::string& appFolder, const WebConfig& config) {
    const std::string path = joinPath(appFolder, kWebConfigFile);
    if (const int error = makeOwnerOnly(path))
        return error;
    return replaceFileReportingError(path, formatWebConfig(config));
}

std::string webConfigProblem(const WebConfig& config) {
    std::string problem;
    webSettings(config, &problem);
    return problem;
}

WebSettings webSettings(const WebConfig& config, std::string* problem) {
    std::string first;
    auto note = [&first](std::string message) {
        if (first.empty())
            first = std::move(message);
    };
    const NumberFormat dot;
    WebSettings s;
    s.enabled = isSwitchOn(config.Enabled, dot);
    s.listen = trimmed(config.Listen);
    if (!isIpv4(s.listen) && !isIpv6(s.listen)) {
        note("Listen must be a numeric address: 127.0.0.1 for this computer only, 0.0.0.0 for "
             "every network, or one of this computer's addresses.");
        s.listen = "127.0.0.1";
    }
    if (const auto port = parsePortNumber(config.Port, dot)) {
        s.port = *port;
    } else {
        note("Port must be a whole number from 1 to 65535.");
        s.port = kDefaultWebPort;
    }
    s.password = config.Password;
    if (s.password.find_first_of("\r\n") != std::string::npos) {
        note("Password must be on one line.");
        s.password.clear();
    }
    if (problem)
        *problem = std::move(first);
    return s;
}

bool listensBeyondLoopback(std::string_view address) {
    const std::string a = trimmed(address);
    in_addr v4{};
    if (::inet_pton(AF_INET, a.c_str(), &v4) == 1)
        return (ntohl(v4.s_addr) >> 24) != 127;
    in6_addr v6{};
    if (::inet_pton(AF_INET6, a.c_str(), &v6) == 1)
        return !IN6_IS_ADDR_LOOPBACK(&v6);
    return false;
}

std::vector<std::string> dashboardUrls(const WebSettings& settings, int port) {
    const int p = port >= 0 ? port : settings.port;
    const bool anyV4 = settings.listen == "0.0.0.0";
    const bool anyV6 = isIpv6(settings.listen) && [&] {
        in6_addr a{};
        ::inet_pton(AF_INET6, settings.listen.c_str(), &a);
        return IN6_IS_ADDR_UNSPECIFIED(&a);
    }();
    if (!anyV4 && !anyV6)
        return {urlOf(settings.listen, p)};
    std::vector<std::string> urls;
    for (const std::string& a : interfaceAddresses(anyV6))
        urls.push_back(urlOf(a, p));
    return urls;
}

std::vector<std::string> enableWebOnFirstStart(const std::string& appFolder, int* error) {
    if (error)
        *error = 0;
    if (fileExists(joinPath(appFolder, kWebConfigFile)))
        return {};
    WebConfig config = defaultWebConfig();
    config.Enabled = "1";
    config.Listen = "0.0.0.0";
    if (const int e = saveWebConfig(appFolder, config)) {
        if (error)
            *error = e;
        return {};
    }
    return dashboardUrls(webSettings(config));
}

} // namespace korvane
