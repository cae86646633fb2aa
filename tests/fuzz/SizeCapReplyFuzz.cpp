// A response's head as the web view's size-capping proxy reads it from a page's host, before it
// decides whether the body comes compressed. Whatever the host sends, the answer is the same
// each time, and a head that names an encoding other than "identity" of its first header is
// always held compressed, whatever follows it.
#include <SizeCapProxy.h>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "FuzzSupport.h"

using webbrowser::SizeCapProxy;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string head = zrkfuzz::FuzzSupport::text(data, size);
    if (SizeCapProxy::compressedReply(head) != SizeCapProxy::compressedReply(head))
        std::abort();
    if (!SizeCapProxy::compressedReply("HTTP/1.1 200 OK\r\nContent-Encoding: gzip\r\n" + head))
        std::abort();
    return 0;
}
