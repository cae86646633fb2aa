#include "util/StringConv.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <locale>
#include <sstream>
#include <win32/Windows.h>

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
    std::error_code ec;
    std::filesystem::path p(WSTR2UTF(folder));
    std::filesystem::create_directories(p, ec);
    return std::filesystem::is_directory(p, ec);
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

std::string toString(float value)
{
    std::ostringstream os;
    os << value;
    return os.str();
}

} // namespace core
} // namespace kavri3D
