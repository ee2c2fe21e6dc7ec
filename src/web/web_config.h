#pragma once
// web.cfg: whether Korvane serves its dashboard, on which address and port,
// and the password that guards it, held as the texts found between the tags.

#include <string>
#include <string_view>
#include <vector>

namespace korvane {

namespace web_keys {
inline constexpr std::string_view Enabled = "Enabled";
inline constexpr std::string_view Listen = "Listen";
inline constexpr std::string_view Port = "Port";
inline constexpr std::string_view Password = "Password";
} // namespace web_keys

inline constexpr std::string_view kWebConfigFile = "/web.cfg";
inline constexpr int kDefaultWebPort = 8470;
inline constexpr const char* kWebUser = "korvane"; // the basic-authentication user

struct WebConfig {
    std::string Enabled;
    std::string Listen;
    std::string Port;
    std::string Password;
    bool operator==(const WebConfig&) const = default;
};

// What the server runs with.
struct WebSettings {
    bool enabled = false;
    std::string listen = "127.0.0.1"; // a numeric IPv4 or IPv6 address
    int port = kDefaultWebPort;       // 0: any free port (tests)
    std::string password;             // empty: no authentication
    bool operator==(const WebSettings&) const = default;
};

// Off, listening on 127.0.0.1 port 8470, no password.
WebConfig defaultWebConfig();

// Every key by the tag rule (escaped values); a missing key takes its default.
WebConfig parseWebConfig(std::string_view fileText);
// "Web Config File", an empty line, the four tag lines and an empty line,
// each ending in CR LF.
std::string formatWebConfig(const WebConfig& config);

// A missing or unreadable file gives the defaults.
WebConfig loadWebConfig(const std::string& appFolder);
// Atomic replacement, readable by the owner only (it holds the password).
// 0, or the errno of the failure (the old file untouched).
int saveWebConfig(const std::string& appFolder, const WebConfig& config);

// The first field that is not acceptable, as a message naming it; empty
// when all are.  Listen must be a numeric IPv4 or IPv6
// address, Port a whole number 1..65535, Password without line breaks.
// Enabled is on when it reads as 1.
std::string webConfigProblem(const WebConfig& config);

// The settings to run with.  A field webConfigProblem refuses takes its
// default, and `problem` (when given) receives the message.
WebSettings webSettings(const WebConfig& config, std::string* problem = nullptr);

// True when the address reaches beyond this computer (not 127.x or ::1).
bool listensBeyondLoopback(std::string_view address);

// The addresses to type into a browser for these settings:
// "http://127.0.0.1:8470/" for loopback, one URL per address of this
// computer's network interfaces for 0.0.0.0 or ::, else the one address.
// `port` overrides the settings' port (the one actually bound).
std::vector<std::string> dashboardUrls(const WebSettings& settings, int port = -1);

// For the service's first start: when web.cfg does not exist, writes it
// with the dashboard on, listening on every address (0.0.0.0) at 8470 and
// without a password, and returns the URLs to log.  An existing file is
// left as it is (nothing returned); a failed write comes back in `error`.
std::vector<std::string> enableWebOnFirstStart(const std::string& appFolder, int* error = nullptr);

} // namespace korvane
