// A page's request as the web view's size-capping proxy reads it. Whatever the page sends, a
// plain request goes on with its head ending where the proxy's does and asks for one
// uncompressed response on a connection that closes after it (read as a lenient server reads
// headers: lines split at "\n", blanks around a name ignored, any case), so the bytes the proxy counts are
// the document's; a tunnel passes on exactly what followed its head.
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

std::string trimmedLower(std::string text)
{
    const std::size_t first = text.find_first_not_of(" \t");
    const std::size_t last = text.find_last_not_of(" \t");
    text = first == std::string::npos ? std::string() : text.substr(first, last - first + 1);
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return text;
}

/// Whether the head sent on, after its request line, holds exactly the proxy's own
/// "Accept-Encoding: identity" and "Connection: close" of the headers that shape the response.
bool asksOneUncompressedResponse(const std::string& head)
{
    int encodings = 0, connections = 0;
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
        const std::string name = trimmedLower(line.substr(0, colon));
        const std::string value = colon == std::string::npos ? std::string() : trimmedLower(line.substr(colon + 1));
        if (name == "accept-encoding" && value == "identity")
            ++encodings;
        else if (name == "connection" && value == "close")
            ++connections;
        else if (name == "accept-encoding" || name == "connection" || name == "proxy-connection" ||
                 name == "keep-alive" || name == "te" || name == "proxy-authorization")
            return false;
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
        if (std::strcmp(refusal, "400 Bad Request") != 0 && std::strcmp(refusal, "502 Bad Gateway") != 0)
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
    if (end == std::string::npos || request.outgoing.compare(end + 4, std::string::npos, rest) != 0)
        std::abort(); // the head sent on ends elsewhere than the proxy thinks
    if (!asksOneUncompressedResponse(request.outgoing.substr(0, end + 2)))
        std::abort();
    return 0;
}
