#pragma once
#include <util/XmlConfigHelper.h>

namespace kavri3D {
namespace zrk {

/// What the server last answered about guilds.
class ZRKGuildIQ {
public:
    /// The outcome of the last guild request: "ERR" (0 when it was done) and "MSG" (the
    /// server's text). Every guild request's reply replaces it; one without it (a request that
    /// failed on its way) leaves it empty.
    core::XmlConfigHelper getError() const;
    /// The name of the view the replies bring it under.
    static const char* errorView() { return "guildError"; }
};

} // namespace zrk
} // namespace kavri3D
