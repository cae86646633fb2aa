#include "server/ZRKPasswords.h"

#include <cstdlib>
#include <cstring>
#include <sodium.h>

namespace kavri3D {
namespace zrk {

namespace {

bool ready()
{
    static const bool initialised = sodium_init() >= 0;
    return initialised;
}

bool minimumCost()
{
    static const bool minimum = [] {
        const char* cost = std::getenv("ZRK_PASSWORD_COST");
        return cost && std::strcmp(cost, "min") == 0;
    }();
    return minimum;
}

} // namespace

std::string ZRKPasswords::hash(const std::string& password)
{
    if (!ready())
        return std::string();
    char out[crypto_pwhash_STRBYTES];
    const unsigned long long ops = minimumCost() ? crypto_pwhash_OPSLIMIT_MIN : crypto_pwhash_OPSLIMIT_INTERACTIVE;
    const std::size_t mem = minimumCost() ? crypto_pwhash_MEMLIMIT_MIN : crypto_pwhash_MEMLIMIT_INTERACTIVE;
    if (crypto_pwhash_str_alg(out, password.data(), password.size(), ops, mem, crypto_pwhash_ALG_ARGON2ID13) != 0)
        return std::string();
    return std::string(out);
}

bool ZRKPasswords::verify(const std::string& kept, const std::string& password)
{
    if (!ready() || !isHash(kept))
        return false;
    return crypto_pwhash_str_verify(kept.c_str(), password.data(), password.size()) == 0;
}

bool ZRKPasswords::isHash(const std::string& kept)
{
    return kept.size() < crypto_pwhash_STRBYTES && kept.compare(0, 10, "$argon2id$") == 0 &&
           kept.find('\0') == std::string::npos;
}

void ZRKPasswords::verifyNothing(const std::string& password)
{
    static const std::string nothing = hash(std::string());
    verify(nothing, password);
}

std::string ZRKPasswords::roomKey(const std::string& password)
{
    if (password.empty() || !ready())
        return std::string();
    static const std::string secret = [] {
        unsigned char key[crypto_generichash_KEYBYTES];
        crypto_generichash_keygen(key);
        return std::string(reinterpret_cast<const char*>(key), sizeof key);
    }();
    unsigned char out[crypto_generichash_BYTES];
    crypto_generichash(out, sizeof out, reinterpret_cast<const unsigned char*>(password.data()), password.size(),
                       reinterpret_cast<const unsigned char*>(secret.data()), secret.size());
    return std::string(reinterpret_cast<const char*>(out), sizeof out);
}

bool ZRKPasswords::matchesRoomKey(const std::string& key, const std::string& password)
{
    if (key.size() != crypto_generichash_BYTES)
        return false;
    const std::string given = roomKey(password);
    return given.size() == key.size() && sodium_memcmp(given.data(), key.data(), key.size()) == 0;
}

} // namespace zrk
} // namespace kavri3D
