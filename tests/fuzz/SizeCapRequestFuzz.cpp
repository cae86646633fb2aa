// A page's request as the web view's size-capping proxy reads it. Whatever the page sends, a
// plain request goes on with its head ending where the proxy's does and asks for one
// uncompressed response on a connection that closes after it (read as a lenient server reads
// headers: lines split at "\n", blanks around a name ignored, any case), so the bytes the proxy counts are
// the document's; its body goes on as long as it says and no further, so a second request on
// the same connection never reaches the host; a tunnel passes on exactly what followed its head.
#include <SizeCapProxy.h>
#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "FuzzSupport.h"

using webbrowser::SizeCapProxy;

namespace {

/// Whether the head sent on, after its request line, holds exactly the proxy's own
/// "Accept-Encoding: identity" and "Connection: close" of the headers that shape the response,
/// and no body that ends elsewhere than its one length (kept in `length`, -1 for none).
bool asksOneUncompressedResponse(const std::string& head, long long& length)
{
    int encodings = 0, connections = 0;
    length = -1;
    std::size_t at = head.find('\n') + 1;
    while (at < head.size()) {
        const std::size_t end = head.find('\n', at);
        std::string line = head.substr(at, end - at);
        at = end == std::string::npos ? head.size() : end + 1;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty())
            return false; // the head ended before the proxy's own lines
        if (line[0] == ' ' || line[0] == '\t')
            continue; // the previous header's value, folded onto a line of its own
        const std::size_t colon = line.find(':');
        const std::string name = zrkfuzz::FuzzSupport::trimmedLower(line.substr(0, colon));
        const std::string value =
            colon == std::string::npos ? std::string() : zrkfuzz::FuzzSupport::trimmedLower(line.substr(colon + 1));
        if (name == "accept-encoding" && value == "identity")
            ++encodings;
        else if (name == "connection" && value == "close")
            ++connections;
        else if (name == "accept-encoding" || name == "connection" || name == "proxy-connection" ||
                 name == "keep-alive" || name == "te" || name == "proxy-authorization" || name == "transfer-encoding")
            return false;
        else if (name == "content-length") {
            if (value.empty() || value.size() > 15 || value.find_first_not_of("0123456789") != std::string::npos ||
                (length >= 0 && std::stoll(value) != length))
                return false;
            length = std::stoll(value);
        }
    }
    return encodings == 1 && connections == 1;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string received = zrkfuzz::FuzzSupport::text(data, size);
    SizeCapProxy::Request request;
    const char* refusal = SizeCapProxy::readRequest(received, request);
    if (refusal) {
        if (std::strcmp(refusal, "400 Bad Request") != 0 && std::strcmp(refusal, "502 Bad Gateway") != 0 &&
            std::strcmp(refusal, "411 Length Required") != 0)
            std::abort();
        return 0;
    }
    if (request.host.empty() || request.port.empty() || request.port.size() > 5 ||
        request.port.find_first_not_of("0123456789") != std::string::npos)
        std::abort();
    const std::string rest = received.substr(received.find("\r\n\r\n") + 4);
    if (request.tunnel) {
        if (request.outgoing != rest)
            std::abort();
        return 0;
    }
    const std::size_t end = request.outgoing.find("\r\n\r\n");
    long long length = -1;
    if (end == std::string::npos || !asksOneUncompressedResponse(request.outgoing.substr(0, end + 2), length))
        std::abort(); // the head sent on ends elsewhere than the proxy thinks, or asks for more
    // Its body, as long as it says (what has come of it), and nothing of what follows.
    const std::size_t body = length < 0 ? 0 : static_cast<std::size_t>(std::min<long long>(length, rest.size()));
    if (request.outgoing.compare(end + 4, std::string::npos, rest.substr(0, body)) != 0 ||
        request.bodyLeft != (length < 0 ? 0ull : static_cast<unsigned long long>(length) - body))
        std::abort();
    return 0;
}
