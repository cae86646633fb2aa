#pragma once
#include <string>

namespace kavri3D {
namespace core {

/// Wide (UTF-32) to UTF-8 and back. "ANSI" is UTF-8 here as well.
std::string WSTR2UTF(const std::wstring& text);
std::wstring UTF2WSTR(const std::string& text);
std::string WSTR2ANSI(const std::wstring& text);
std::wstring ANSI2WSTR(const std::string& text);

/// Full path of the module file that holds the given address (or the "instance" handle,
/// which is such an address here).
std::wstring win32GetModulePath(const void* instance);
/// The string form: normalises the path text.
std::wstring win32GetModulePath(const std::wstring& path);
/// The folder part of a path, ending in "/" (a path that already ends in "/" is kept).
std::wstring win32FolderName(const std::wstring& path);
/// Creates the folder and its parents, the player's alone (0700; one of his left open to others is
/// closed again); true when it is there so afterwards (never a link).
bool win32EnsureFolder(const std::wstring& folder);

/// Three numbers apart by blanks ("0 60 240") into `out`; false (out unchanged) when the text
/// is anything else.
bool parseVector3(const std::string& text, float out[3]);

/// The three numbers apart by blanks, as parseVector3 reads them back.
std::string formatVector3(const float v[3]);

/// Line ends of an XML text made plain: CR LF and a lone CR become LF.
std::string TidyXmlCRLF(const std::string& text);

/// A fresh random id, "xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx" (lower-case hex).
std::string UuidString();
/// The same id without the dashes (32 hex digits).
std::string UuidString2();

std::string toString(int value);
std::string toString(float value);

} // namespace core
} // namespace kavri3D
