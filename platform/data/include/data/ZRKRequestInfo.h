#pragma once
#include <boost/function.hpp>
#include <json/json.h>
#include <string>

namespace kavri3D {
namespace zrk {

/// The completion of a request: an error flag and the server's text (its message when the
/// error flag is set).
typedef boost::function<void(bool, const std::string&)> ZRKReply;

/// What a request asked for, as the embedded server and the tests see it.
struct ZRKRequestInfo {
    long handle = 0;
    std::string kind;   ///< the request class ("ZRKUserRequest")
    std::string op;     ///< the operation ("queryUserInfo0")
    std::string params; ///< the parameter text
    Json::Value args;   ///< the same arguments as values (exact strings); what the server reads
    double sentAt = 0;  ///< clock time of sending
};

} // namespace zrk
} // namespace kavri3D
