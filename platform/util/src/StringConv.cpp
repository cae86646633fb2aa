#include "util/StringConv.h"

#include <boost/uuid/uuid.hpp>
#include <boost/uuid/uuid_generators.hpp>
#include <boost/uuid/uuid_io.hpp>

#include <algorithm>
#include <cmath>
#include <locale>
#include <sstream>
#include <win32/Windows.h>
#include <yake/PlayerFiles.h>

namespace kavri3D {
namespace core {

std::string WSTR2UTF(const std::wstring& text) { return win32Utf8FromWide(text); }
std::wstring UTF2WSTR(const std::string& text) { return win32WideFromUtf8(text); }
std::string WSTR2ANSI(const std::wstring& text) { return win32Utf8FromWide(text); }
std::wstring ANSI2WSTR(const std::string& text) { return win32WideFromUtf8(text); }

std::wstring win32GetModulePath(const void* instance) { return win32ModulePathOf(instance); }

std::wstring win32GetModulePath(const std::wstring& path)
{
    std::wstring p = path;
    for (auto& c : p)
        if (c == L'\\')
            c = L'/';
    return p;
}

std::wstring win32FolderName(const std::wstring& path)
{
    std::wstring p = win32GetModulePath(path);
    if (p.empty() || p.back() == L'/')
        return p;
    std::wstring::size_type slash = p.rfind(L'/');
    return slash == std::wstring::npos ? std::wstring() : p.substr(0, slash + 1);
}

bool win32EnsureFolder(const std::wstring& folder)
{
    // The game's data folder and what it makes inside it are the player's alone.
    return yake::PlayerFiles::makeFolder(WSTR2UTF(folder));
}

std::string toString(int value) { return std::to_string(value); }

bool parseVector3(const std::string& text, float out[3])
{
    std::istringstream in(text);
    in.imbue(std::locale::classic());
    float v[3];
    for (float& f : v)
        if (!(in >> f) || !std::isfinite(f))
            return false;
    std::string rest;
    if (in >> rest)
        return false;
    std::copy(v, v + 3, out);
    return true;
}

std::string formatVector3(const float v[3])
{
    std::ostringstream os;
    os.imbue(std::locale::classic());
    os << v[0] << ' ' << v[1] << ' ' << v[2];
    return os.str();
}

std::string TidyXmlCRLF(const std::string& text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r') {
            out += '\n';
            if (i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
        } else
            out += text[i];
    }
    return out;
}

std::string UuidString()
{
    const boost::uuids::uuid id = boost::uuids::random_generator()();
    return boost::uuids::to_string(id);
}

std::string UuidString2()
{
    std::string text = UuidString();
    text.erase(std::remove(text.begin(), text.end(), '-'), text.end());
    return text;
}

std::string toString(float value)
{
    std::ostringstream os;
    os << value;
    return os.str();
}

} // namespace core
} // namespace kavri3D
