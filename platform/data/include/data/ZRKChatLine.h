#pragma once
#include <string>

namespace kavri3D {
namespace zrk {

/// A chat line as the chat boxes send and show it:
/// {"Channel":"1","Sender":{"uid":U,"uname":N},"team":T,"Content":C}.
class ZRKChatLine {
public:
    /// Every value is quoted as a JSON string, so a '"' in a name cannot add fields.
    static std::string make(const std::string& uid, const std::string& uname, const std::string& team,
                            const std::string& content);
    /// A value as a JSON string literal (quotes included).
    static std::string quote(const std::string& value);
};

} // namespace zrk
} // namespace kavri3D
