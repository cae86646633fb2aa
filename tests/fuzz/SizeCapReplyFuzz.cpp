// What a page's host sends back to the web view's size-capping proxy, from its first byte, as
// the proxy reads it before any of it reaches the page. Whatever the host sends (interim heads
// first, folded lines, heads ended by a bare LF or by the close, a second response on the same
// connection), a head that is passed on reads one way only: CRLF lines, no folding, a final
// status, no compressed body in any reading, and "Connection: close", so the page takes one
// response and nothing after it; the bytes after the head pass as they came. A head that names
// an encoding other than "identity" of its first header is always held compressed.
#include <SizeCapProxy.h>
#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "FuzzSupport.h"

using webbrowser::SizeCapProxy;

namespace {

/// Whether the head handed to the page (through its blank line) reads one way only and asks
/// for nothing the proxy does not count: checked as the most lenient reader would read it.
bool readsOneWay(const std::string& head)
{
    if (head.find('\0') != std::string::npos)
        return false;
    for (std::size_t i = 0; i < head.size(); ++i)
        if ((head[i] == '\n') != (i > 0 && head[i - 1] == '\r' && head[i] == '\n') ||
            (head[i] == '\r' && (i + 1 >= head.size() || head[i + 1] != '\n')))
            return false; // a bare LF or a stray CR
    if (head.compare(0, 7, "HTTP/1.") != 0 || head.size() < 12 || head[9] == '1')
        return false; // no final status
    int connections = 0;
    std::size_t at = head.find("\r\n") + 2;
    while (at < head.size()) {
        const std::size_t end = head.find("\r\n", at);
        const std::string line = head.substr(at, end - at);
        at = end + 2;
        if (line.empty())
            return at == head.size();
        if (line[0] == ' ' || line[0] == '\t')
            return false; // folded
        const std::size_t colon = line.find(':');
        if (colon == std::string::npos)
            return false;
        const std::string name = zrkfuzz::FuzzSupport::trimmedLower(line.substr(0, colon));
        std::string value = zrkfuzz::FuzzSupport::trimmedLower(line.substr(colon + 1));
        value.erase(std::remove_if(value.begin(), value.end(), [](char c) { return c == ' ' || c == '\t'; }),
                    value.end());
        if (name == "content-encoding" && !value.empty() && value != "identity")
            return false;
        if (name == "transfer-encoding" && !value.empty() && value != "chunked" && value != "identity")
            return false;
        if (name == "keep-alive" || name == "proxy-connection")
            return false;
        if (name == "connection" && (value != "close" || ++connections > 1))
            return false;
    }
    return false; // no blank line
}

void check(const std::string& received, bool ended)
{
    std::string toPage, again;
    const SizeCapProxy::Reply reply = SizeCapProxy::readReply(received, ended, toPage);
    if (SizeCapProxy::readReply(received, ended, again) != reply || again != toPage)
        std::abort();
    if (ended && reply == SizeCapProxy::Reply::More)
        std::abort(); // a host that has closed sends no more
    if (reply != SizeCapProxy::Reply::Ready) {
        if (!toPage.empty())
            std::abort();
        return;
    }
    const std::size_t end = toPage.find("\r\n\r\n");
    if (end == std::string::npos || !readsOneWay(toPage.substr(0, end + 4)))
        std::abort();
    // What followed the final head passes as it came, and the heads before it kept their limit.
    const std::string body = toPage.substr(end + 4);
    if (body.size() > received.size() || received.compare(received.size() - body.size(), body.size(), body) != 0 ||
        received.size() - body.size() > SizeCapProxy::kHeaderAllowance)
        std::abort();
    // More of the body changes nothing of the head.
    if (!ended && (SizeCapProxy::readReply(received + "x", false, again) != reply || again != toPage + "x"))
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string received = zrkfuzz::FuzzSupport::text(data, size);
    check(received, false);
    check(received, true);
    if (SizeCapProxy::compressedReply(received) != SizeCapProxy::compressedReply(received))
        std::abort();
    if (!SizeCapProxy::compressedReply("HTTP/1.1 200 OK\r\nContent-Encoding: gzip\r\n" + received))
        std::abort();
    return 0;
}
