#include "LoopbackPeer.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <linux/inet_diag.h>
#include <linux/netlink.h>
#include <linux/sock_diag.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

namespace webbrowser {

namespace {
// The kernel answers at once; a lost answer makes the peer a stranger rather than a wait.
const int kAnswerMs = 100;
// Late answers of earlier questions read past before this one's.
const int kMostReads = 8;
// TCP's state of a connection closed on both sides (the kernel's TCP_TIME_WAIT).
const unsigned char kTimeWait = 6;
// The largest answer read at once.
const std::size_t kMostAnswer = 8192;
} // namespace

LoopbackPeer::LoopbackPeer()
{
    mNetlink = ::socket(AF_NETLINK, SOCK_DGRAM | SOCK_CLOEXEC, NETLINK_SOCK_DIAG);
    if (mNetlink >= 0) {
        timeval t{0, kAnswerMs * 1000};
        ::setsockopt(mNetlink, SOL_SOCKET, SO_RCVTIMEO, &t, sizeof t);
    }
}

LoopbackPeer::~LoopbackPeer()
{
    if (mNetlink >= 0)
        ::close(mNetlink);
}

long LoopbackPeer::uidOf(int fd)
{
    sockaddr_in local{}, peer{};
    socklen_t localLength = sizeof local, peerLength = sizeof peer;
    if (mNetlink < 0 || ::getsockname(fd, reinterpret_cast<sockaddr*>(&local), &localLength) != 0 ||
        ::getpeername(fd, reinterpret_cast<sockaddr*>(&peer), &peerLength) != 0 || local.sin_family != AF_INET ||
        peer.sin_family != AF_INET)
        return -1;
    // The peer's own socket: its local end is our peer's address, its remote end ours.
    struct {
        nlmsghdr header;
        inet_diag_req_v2 request;
    } question{};
    question.header.nlmsg_len = sizeof question;
    question.header.nlmsg_type = SOCK_DIAG_BY_FAMILY;
    question.header.nlmsg_flags = NLM_F_REQUEST;
    question.header.nlmsg_seq = ++mSequence;
    question.request.sdiag_family = AF_INET;
    question.request.sdiag_protocol = IPPROTO_TCP;
    question.request.idiag_states = ~0u;
    question.request.id.idiag_sport = peer.sin_port;
    question.request.id.idiag_dport = local.sin_port;
    question.request.id.idiag_src[0] = peer.sin_addr.s_addr;
    question.request.id.idiag_dst[0] = local.sin_addr.s_addr;
    question.request.id.idiag_cookie[0] = INET_DIAG_NOCOOKIE;
    question.request.id.idiag_cookie[1] = INET_DIAG_NOCOOKIE;
    sockaddr_nl kernel{};
    kernel.nl_family = AF_NETLINK;
    if (::sendto(mNetlink, &question, sizeof question, 0, reinterpret_cast<sockaddr*>(&kernel), sizeof kernel) < 0)
        return -1;
    alignas(nlmsghdr) char answer[kMostAnswer];
    for (int read = 0; read < kMostReads; ++read) {
        const ssize_t n = ::recv(mNetlink, answer, sizeof answer, 0);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return -1;
        const long uid = uidInAnswer(answer, static_cast<std::size_t>(n), mSequence, peer.sin_port, local.sin_port);
        if (uid != kNoAnswer)
            return uid;
    }
    return -1;
}

long LoopbackPeer::uidInAnswer(const void* answer, std::size_t length, unsigned sequence, unsigned short peerPort,
                               unsigned short localPort)
{
    // One datagram of ours at most: what is past that is not looked at.
    int left = static_cast<int>(std::min<std::size_t>(length, kMostAnswer));
    for (auto* h = static_cast<const nlmsghdr*>(answer); NLMSG_OK(h, left); h = NLMSG_NEXT(h, left)) {
        if (h->nlmsg_seq != sequence)
            continue; // an earlier question's, answered late
        if (h->nlmsg_type != SOCK_DIAG_BY_FAMILY || h->nlmsg_len < NLMSG_LENGTH(sizeof(inet_diag_msg)))
            return -1; // an error: no such socket (any more)
        const auto* found = static_cast<const inet_diag_msg*>(NLMSG_DATA(h));
        if (found->id.idiag_sport != peerPort || found->id.idiag_dport != localPort)
            return -1;
        // A peer that has closed its end already may be kept only as a bare record, owned by
        // nobody (it shows user 0 and no inode): whose it was cannot be told any more.
        if (found->idiag_inode == 0 || found->idiag_state == kTimeWait)
            return -1;
        return static_cast<long>(found->idiag_uid);
    }
    return kNoAnswer;
}

} // namespace webbrowser
