// An answer of the kernel's about whose socket is the peer of a connection to the web view's
// proxy, as LoopbackPeer reads it: never read past its end, and what it tells is a user, "cannot
// be told" or "no answer here".
#include <LoopbackPeer.h>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <linux/netlink.h>
#include <vector>

using webbrowser::LoopbackPeer;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // The kernel's messages come aligned; the first bytes choose the question and its ports.
    if (size < 8)
        return 0;
    unsigned sequence;
    unsigned short peerPort, localPort;
    std::memcpy(&sequence, data, 4);
    std::memcpy(&peerPort, data + 4, 2);
    std::memcpy(&localPort, data + 6, 2);
    const std::size_t length = size - 8;
    std::vector<nlmsghdr> answer(length / sizeof(nlmsghdr) + 1);
    std::memcpy(answer.data(), data + 8, length);
    const long uid = LoopbackPeer::uidInAnswer(answer.data(), length, sequence, peerPort, localPort);
    if (uid != -1 && uid != LoopbackPeer::kNoAnswer && (uid < 0 || uid > 0xffffffffL))
        std::abort();
    return 0;
}
