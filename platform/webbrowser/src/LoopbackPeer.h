#pragma once
// Who holds the other end of a TCP connection made over this machine's loopback: the kernel is
// asked about that one socket (a sock_diag query over netlink), never the table of every socket.
#include <cstddef>

namespace webbrowser {

class LoopbackPeer {
public:
    LoopbackPeer();
    ~LoopbackPeer();
    LoopbackPeer(const LoopbackPeer&) = delete;
    LoopbackPeer& operator=(const LoopbackPeer&) = delete;

    /// The user id of the process whose socket is the peer of the accepted connection `fd`;
    /// -1 when it cannot be told (the peer is gone already, not an IPv4 connection, no answer).
    long uidOf(int fd);

    /// What one of the kernel's answers (`length` bytes, aligned as its messages are) says of
    /// question `sequence` about the socket with those ports (network order): its user's id; -1
    /// when it says that cannot be told; kNoAnswer when it holds no answer to that question.
    static constexpr long kNoAnswer = -2;
    static long uidInAnswer(const void* answer, std::size_t length, unsigned sequence, unsigned short peerPort,
                            unsigned short localPort);

private:
    int mNetlink = -1;
    unsigned mSequence = 0;
};

} // namespace webbrowser
