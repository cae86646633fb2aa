#include "webview/CMyBrowserExternalObj.h"

#include <algorithm>
#include <cctype>
#include <core/BlackBoard.h>
#include <win32/Windows.h>

#include "webview/HtmlView.h"
#include "services/LogRoutine.h"

namespace kavri3D {
namespace zrk {

namespace {

/// A JavaScript string literal that carries any text as it is (every character outside
/// printable ASCII, quotes and backslashes as escapes).
std::string jsString(const std::string& utf8)
{
    static const char* hex = "0123456789abcdef";
    std::string out = "\"";
    auto unit = [&](unsigned u) {
        out += "\\u";
        for (int shift = 12; shift >= 0; shift -= 4)
            out += hex[(u >> shift) & 0xF];
    };
    for (wchar_t c : win32WideFromUtf8(utf8)) {
        const unsigned cp = static_cast<unsigned>(c);
        if (cp >= 0x20 && cp < 0x7F && cp != '"' && cp != '\\') {
            out += static_cast<char>(cp);
        } else if (cp < 0x10000) {
            unit(cp);
        } else {
            unit(0xD800 + ((cp - 0x10000) >> 10));
            unit(0xDC00 + ((cp - 0x10000) & 0x3FF));
        }
    }
    return out + "\"";
}

std::string lower(std::string s)
{
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

const char* const kCloseEvent = "zrkexternalclose";

std::string externalObject(const std::string& id, const std::string& key)
{
    // Only the host's own world can post: the page asks it through an event on its document.
    return "var post=function(){try{document.dispatchEvent(new Event('" + std::string(kCloseEvent) +
           "'));}catch(e){}};"
           "var ext={};"
           "Object.defineProperty(ext,'close',{value:post,enumerable:true});"
           "Object.defineProperty(ext,'openid',{value:" +
           jsString(id) + ",enumerable:true});Object.defineProperty(ext,'openkey',{value:" + jsString(key) +
           ",enumerable:true});Object.freeze(ext);";
}

} // namespace

void CMyBrowserExternalObj::close() { HtmlView::requestClose(); }

std::string CMyBrowserExternalObj::identity(const char* key) const
{
    core::BlackBoard* bb = core::BlackBoard::getSingletonPtr();
    if (!bb)
        return std::string();
    core::XmlConfigHelper autoLogin = bb->section("kavri3D/autoLogin");
    if (!autoLogin.getBoolVal("platform", false))
        return std::string();
    return autoLogin.getStringVal(key, "");
}

std::string CMyBrowserExternalObj::openid() const { return identity("openid"); }
std::string CMyBrowserExternalObj::openkey() const { return identity("openkey"); }

bool CMyBrowserExternalObj::onScriptMessage(const std::string& text)
{
    if (text.size() > kMaxMessage) {
        writeLogf(kLogWarning, "HtmlView", "page message ignored: ", text.size(), " bytes");
        return false;
    }
    if (text == "close") {
        close();
        return true;
    }
    // Only the size is logged: the page chose the text.
    writeLogf(kLogWarning, "HtmlView", "page message ignored: unknown (", text.size(), " bytes)");
    return false;
}

std::string CMyBrowserExternalObj::everyPageScript() const
{
    // Replaceable (a page of our own gets the full object next).
    return "(function(){" + externalObject("", "") +
           "try{Object.defineProperty(window,'external',{value:ext,configurable:true,writable:false});}catch(e){}})();";
}

std::string CMyBrowserExternalObj::ownPageScript(const std::string& ownOrigin) const
{
    if (ownOrigin.empty())
        return std::string();
    // The allow-list does not look at ports: the origin is compared here, before any page
    // script runs.
    return "(function(){if(location.origin!==" + jsString(ownOrigin) + ")return;" +
           externalObject(openid(), openkey()) +
           "try{Object.defineProperty(window,'external',{value:ext,configurable:false,writable:false});}catch(e){}})()"
           ";";
}

std::string CMyBrowserExternalObj::bridgeScript(const std::string& ownOrigin) const
{
    if (ownOrigin.empty())
        return std::string();
    return "(function(){if(window!==window.top||location.origin!==" + jsString(ownOrigin) +
           ")return;document.addEventListener('" + kCloseEvent +
           "',function(){try{window.webkit.messageHandlers.external.postMessage('close');}catch(e){}},true);})();";
}

std::string CMyBrowserExternalObj::originOf(const std::string& url)
{
    const std::string::size_type colon = url.find("://");
    if (colon == std::string::npos)
        return std::string();
    const std::string scheme = lower(url.substr(0, colon));
    if (scheme != "http" && scheme != "https")
        return std::string();
    const std::string rest = url.substr(colon + 3);
    std::string authority = rest.substr(0, rest.find_first_of("/?#\\"));
    // The user part is not part of the origin: the host is what follows the last "@".
    const std::string::size_type at = authority.rfind('@');
    if (at != std::string::npos)
        authority = authority.substr(at + 1);
    std::string host = authority;
    std::string port;
    if (!authority.empty() && authority[0] == '[') {
        const std::string::size_type close = authority.find(']');
        if (close == std::string::npos)
            return std::string();
        host = authority.substr(0, close + 1);
        const std::string after = authority.substr(close + 1);
        if (!after.empty()) {
            if (after[0] != ':')
                return std::string();
            port = after.substr(1);
        }
    } else {
        const std::string::size_type c = authority.find(':');
        if (c != std::string::npos) {
            host = authority.substr(0, c);
            port = authority.substr(c + 1);
        }
    }
    host = lower(host);
    if (host.empty() || host.find_first_of(" \t\r\n%") != std::string::npos)
        return std::string();
    if (port.size() > 5 || port.find_first_not_of("0123456789") != std::string::npos)
        return std::string();
    if (!port.empty()) {
        const long number = std::stol(port);
        if (number > 65535)
            return std::string();
        port = std::to_string(number);
        if ((scheme == "http" && number == 80) || (scheme == "https" && number == 443))
            port.clear();
    }
    return scheme + "://" + host + (port.empty() ? std::string() : ":" + port);
}

bool CMyBrowserExternalObj::isOwnOrigin(const std::string& url, const std::string& applicationPath)
{
    const std::string own = originOf(applicationPath);
    return !own.empty() && originOf(url) == own;
}

std::string CMyBrowserExternalObj::allowPattern(const std::string& origin)
{
    if (origin.empty())
        return std::string();
    const std::string::size_type colon = origin.find("://");
    std::string host = origin.substr(colon + 3);
    if (!host.empty() && host[0] == '[')
        host = host.substr(0, host.find(']') + 1);
    else
        host = host.substr(0, host.find(':'));
    return origin.substr(0, colon) + "://" + host + "/*";
}

} // namespace zrk
} // namespace kavri3D
