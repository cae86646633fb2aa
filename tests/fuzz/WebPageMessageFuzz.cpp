// What a page hands the game: its address (first line) and a message over the script channel
// (the rest). The origin rule must be stable (an origin is its own origin) and never let
// another origin pass for ours; the message is acted on only when it is "close".
#include <cstdint>
#include <cstdlib>
#include <string>

#include "FuzzSupport.h"
#include "webview/CMyBrowserExternalObj.h"

using kavri3D::zrk::CMyBrowserExternalObj;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    zrkfuzz::FuzzSupport::quiet();
    const std::string input = zrkfuzz::FuzzSupport::text(data, size);
    const std::string::size_type cut = input.find('\n');
    const std::string url = input.substr(0, cut);
    const std::string message = cut == std::string::npos ? std::string() : input.substr(cut + 1);

    const std::string origin = CMyBrowserExternalObj::originOf(url);
    if (!origin.empty() && CMyBrowserExternalObj::originOf(origin) != origin)
        std::abort();
    const std::string own = "http://127.0.0.1:8080";
    if (CMyBrowserExternalObj::isOwnOrigin(url, own) && origin != own)
        std::abort();
    CMyBrowserExternalObj::allowPattern(origin);

    CMyBrowserExternalObj external;
    const bool acted = external.onScriptMessage(message);
    if (acted != (message == "close"))
        std::abort();
    return 0;
}
