// The dashboard's query parameters: any query string, split as a browser
// would send it, through the date, range and bin readers and the API's
// routes (over a store that is not there).  A reply must be one JSON object
// of the schema, a 200 or a 400 that names its parameter, and never holds
// NaN or infinity.

#include "web/query_params.h"
#include "web/web_routes.h"

#include <cstdlib>
#include <string>
#include <string_view>

using namespace korvane;

namespace {

QueryArgs splitQuery(std::string_view q) {
    QueryArgs args;
    while (!q.empty()) {
        const std::size_t amp = q.find('&');
        const std::string_view pair = q.substr(0, amp);
        const std::size_t eq = pair.find('=');
        args.emplace_back(std::string(pair.substr(0, eq)), eq == std::string_view::npos
                                                               ? std::string()
                                                               : std::string(pair.substr(eq + 1)));
        q = amp == std::string_view::npos ? std::string_view() : q.substr(amp + 1);
    }
    return args;
}

void check(bool ok) {
    if (!ok)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    if (const auto date = parseQueryDate(text))
        check(*date >= 19700101 && *date <= 99991231 && text.size() == 10);

    const QueryArgs args = splitQuery(text);
    const DateRange defaults{20261110, 20261209};
    const auto range = readDateRange(args, defaults);
    if (const auto* r = std::get_if<DateRange>(&range))
        check(r->from <= r->to && daysBetween(r->from, r->to) < kMaxApiRangeDays);
    else
        check(!std::get<ParamError>(range).parameter.empty());
    const auto bin = readBinWidth(args);
    if (const auto* w = std::get_if<double>(&bin))
        check(*w >= 0.25 && *w <= 5);

    static SnapshotBoard board;
    static const WebRoutes routes("/nonexistent-korvane", "/nonexistent-korvane/korvane.db", board,
                                  [] { return std::int64_t{1796774400000}; });
    for (const char* path : {"/api/days", "/api/power-curve", "/api/alarms", "/api/minutes"}) {
        const WebReply reply = routes.handle({path, args, {}});
        check(reply.status == 200 || reply.status == 400);
        check(reply.body.rfind("{\"schema\":1,", 0) == 0 && reply.body.back() == '}');
        check(reply.body.find("nan") == std::string::npos || reply.status == 400);
        check(reply.body.find("inf") == std::string::npos || reply.status == 400);
        check(reply.status == 200 || reply.body.find("\"parameter\":\"") != std::string::npos);
    }
    return 0;
}
