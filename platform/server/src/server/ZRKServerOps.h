#pragma once
#include <string>
#include <unordered_map>

namespace kavri3D {
namespace zrk {

struct ZRKServerCall;

/// The server's one table of request operations: each name has one small handler over the
/// world. An operation without a handler is answered with an error and one log line naming it.
/// A changing operation runs in one transaction: what it answered is in the world, what it
/// refused left nothing behind.
class ZRKServerOps {
public:
    typedef void (*Handler)(ZRKServerCall& call);
    enum Flag {
        NeedsPlayer = 1, ///< refused unless a player is logged in on the connection
        Changes = 2,     ///< changes the lasting world: one transaction
        Secret = 4       ///< carries a password: its arguments are never logged
    };

    ZRKServerOps();
    void add(const std::string& op, Handler handler, unsigned flags);
    bool has(const std::string& op) const { return mEntries.count(op) > 0; }
    bool isSecret(const std::string& op) const;
    /// Answers the call through its handler (or refuses it).
    void handle(ZRKServerCall& call) const;

private:
    struct Entry {
        Handler handler;
        unsigned flags;
    };
    std::unordered_map<std::string, Entry> mEntries;
};

} // namespace zrk
} // namespace kavri3D
