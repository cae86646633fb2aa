// What a client of the built-in file server sends on one connection: request lines, headers,
// bodies, several requests in a row. A "$S" in the input stands for the run's secret prefix.
// The request line without the prefix is refused at once and nothing is served; whatever comes
// with it, nothing outside the published files and the web pages is ever served, and the
// server ends the connection soon after the client has finished.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <transport/FileServer.h>

#include "FuzzFileServer.h"
#include "FuzzSupport.h"

using kavri3D::core::FileServer;
using zrkfuzz::FuzzFileServer;

namespace {

const char kRefusal[] = "HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const bool ready = (zrkfuzz::FuzzSupport::quiet(), true);
    (void)ready;
    const std::string prefix = FuzzFileServer::instance().getPrefix();
    std::string request = zrkfuzz::FuzzSupport::text(data, size);
    bool prefixed = false;
    for (std::size_t at = request.find("$S"); at != std::string::npos; at = request.find("$S", at + prefix.size())) {
        request.replace(at, 2, prefix);
        prefixed = true;
    }

    // The first line alone: the prefix comes out of its address, or nothing changes.
    std::string line = request;
    if (FileServer::takePrefix(line, 0, prefix)) {
        const std::size_t address = request.find(' ') + 1;
        if (line != request.substr(0, address) + request.substr(address + prefix.size()) || line[address] != '/')
            std::abort();
    } else if (line != request) {
        std::abort();
    }

    // The whole exchange with the running server.
    const std::string reply = FuzzFileServer::exchange(request);
    if (reply.find(FuzzFileServer::kOutsideText) != std::string::npos)
        std::abort(); // a file outside its folders was served
    if (!prefixed && !reply.empty() && reply != kRefusal)
        std::abort(); // a stranger got more than the refusal
    return 0;
}
