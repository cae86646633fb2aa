#pragma once
// Who holds the other end of a TCP connection made over this machine's loopback: the kernel is
// asked about that one socket (a sock_diag query over netlink), never the table of every socket.

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

private:
    int mNetlink = -1;
    unsigned mSequence = 0;
};

} // namespace webbrowser
