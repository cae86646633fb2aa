#pragma once
#include <string>

namespace kavri3D {
namespace zrk {

/// How the world keeps passwords: salted hashes of a memory-hard function (libsodium's
/// Argon2id), checked in constant time. The game hashes at the interactive cost; test
/// programs set ZRK_PASSWORD_COST=min in their environment and hash at the least one, which
/// keeps the same format, so a hash made at either cost verifies at the other.
class ZRKPasswords {
public:
    /// The hash to keep for a password, with its salt and cost; empty when none could be made
    /// (out of memory).
    static std::string hash(const std::string& password);
    /// Whether the password is the one the kept hash was made from; false for no hash.
    static bool verify(const std::string& kept, const std::string& password);
    /// Whether the kept text is a hash of ours (not a password written in the clear).
    static bool isHash(const std::string& kept);
    /// Costs a check against nothing as much as a real one, so that an unknown account answers
    /// as slowly as a wrong password.
    static void verifyNothing(const std::string& password);

    /// What a room of this run keeps of its password: a hash keyed with a secret drawn once a
    /// run, so the password itself is never kept; empty for no password.
    static std::string roomKey(const std::string& password);
    /// Whether the password given is the one the room's key was made from, compared in
    /// constant time; false against an empty key.
    static bool matchesRoomKey(const std::string& key, const std::string& password);
};

} // namespace zrk
} // namespace kavri3D
