#pragma once
// The dashboard's HTML, CSS, JavaScript and chart library, built into the
// program so it needs no file and nothing from the internet.

#include <cstddef>
#include <string_view>

namespace korvane {

struct WebAsset {
    std::string_view path;        // the URL path, "/assets/app.js"
    std::string_view contentType; // "text/javascript; charset=utf-8"
    std::string_view body;
};

extern const WebAsset kWebAssets[];
extern const std::size_t kWebAssetCount;

// The asset served at `path`, or null.
const WebAsset* findWebAsset(std::string_view path);

} // namespace korvane
