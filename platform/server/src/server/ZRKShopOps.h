#pragma once

namespace kavri3D {
namespace zrk {

class ZRKServerOps;

/// The server's shop: its catalogue, purchases and renewals. A purchase or renewal is read
/// strictly, checked whole, paid and delivered in one transaction with a ledger row under the
/// purchase id the client gave it; the same id again gets the first answer and pays nothing.
class ZRKShopOps {
public:
    static void addTo(ZRKServerOps& ops);
    /// At most this many lines in one purchase.
    static constexpr unsigned kMaxLines = 100;
    static constexpr int kMaxCount = 99;
};

} // namespace zrk
} // namespace kavri3D
