#include "win32/Windows.h"

#include "XScreen.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <codecvt>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <dlfcn.h>
#include <fcntl.h>
#include <filesystem>
#include <iostream>
#include <locale>
#include <map>
#include <memory>
#include <tuple>
#include <mutex>
#include <set>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <yake/PlayerFiles.h>

namespace fs = std::filesystem;

namespace {

thread_local DWORD gLastError = 0;

std::string narrowImpl(const std::wstring& w)
{
    std::string out;
    for (wchar_t c : w) {
        char32_t cp = static_cast<char32_t>(c);
        if (cp < 0x80) {
            out += static_cast<char>(cp);
        } else if (cp < 0x800) {
            out += static_cast<char>(0xC0 | (cp >> 6));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else if (cp < 0x10000) {
            out += static_cast<char>(0xE0 | (cp >> 12));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else if (cp < 0x110000) {
            out += static_cast<char>(0xF0 | (cp >> 18));
            out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        }
    }
    return out;
}

std::wstring widenImpl(const std::string& bytes)
{
    std::wstring out;
    for (std::size_t i = 0; i < bytes.size();) {
        const unsigned char c = static_cast<unsigned char>(bytes[i]);
        const int extra = c < 0x80 ? 0 : (c >> 5) == 0x6 ? 1 : (c >> 4) == 0xE ? 2 : (c >> 3) == 0x1E ? 3 : -1;
        char32_t cp = extra == 0 ? c : extra == 1 ? (c & 0x1F) : extra == 2 ? (c & 0x0F) : (c & 0x07);
        bool ok = extra >= 0 && i + extra < bytes.size();
        for (int k = 1; ok && k <= extra; ++k) {
            const unsigned char next = static_cast<unsigned char>(bytes[i + k]);
            ok = (next & 0xC0) == 0x80;
            cp = (cp << 6) | (next & 0x3F);
        }
        // Overlong forms, surrogates and values past Unicode are malformed too.
        const char32_t least = extra == 1 ? 0x80 : extra == 2 ? 0x800 : extra == 3 ? 0x10000 : 0;
        ok = ok && cp >= least && cp <= 0x10FFFF && (cp < 0xD800 || cp > 0xDFFF);
        out += ok ? static_cast<wchar_t>(cp) : static_cast<wchar_t>(0xFFFD);
        i += ok ? static_cast<std::size_t>(extra) + 1 : 1;
    }
    return out;
}

std::string narrow(const std::wstring& w) { return narrowImpl(w); }
std::wstring widen(const std::string& s) { return widenImpl(s); }

struct MutexHandle {
    int fd = -1;
    bool owned = false;
};

std::set<HANDLE>& mutexHandles()
{
    static std::set<HANDLE> handles;
    return handles;
}

std::string& libraryFolder()
{
    static std::string folder;
    return folder;
}

std::set<HWND>& windows()
{
    static std::set<HWND> all;
    return all;
}

HWND gForeground = nullptr;
int gFlashCount = 0;
int gLiveIcons = 0;
std::deque<MSG> gMessages;
// Threads of the hosting launcher's library post to the frame loop.
std::mutex gMessagesMutex;
std::vector<Win32MessageBoxRecord> gBoxes;

/// The screen the game window opens on, asked of the X server at each call (the game asks
/// once, before it makes the window). Without a display: the smallest screen the game was laid
/// out for.
struct Screen {
    int width = 1280;
    int height = 1024;
    RECT work{0, 0, 1280, 1024};
};

Screen currentScreen()
{
    Screen s;
    win32detail::XScreen x;
    if (win32detail::readXScreen(x) && x.width > 0 && x.height > 0) {
        s.width = x.width;
        s.height = x.height;
        s.work = RECT{x.workLeft, x.workTop, x.workRight, x.workBottom};
    }
    return s;
}

// The user's own data folder: $XDG_DATA_HOME, else ~/.local/share. Empty without either.
std::string userDataFolder()
{
    const char* xdg = std::getenv("XDG_DATA_HOME");
    if (xdg && *xdg)
        return xdg;
    const char* home = std::getenv("HOME");
    if (!home || !*home)
        return std::string();
    return std::string(home) + "/.local/share";
}

// Locks live in the game's folder inside the user's own data folder, where the settings go: a
// shared folder such as /tmp or a runtime folder named by the environment could be made first
// by someone else. Empty when there is no such folder we can trust.
std::string lockFolder()
{
    const std::string data = userDataFolder();
    if (data.empty())
        return std::string();
    const std::string folder = data + "/kavri3D";
    // A folder someone else made (or a link) is not ours to trust; ours, left open by an
    // earlier start, is closed to others again.
    if (yake::PlayerFiles::claimFolder(folder) == yake::PlayerFiles::Folder::Foreign)
        return std::string();
    struct stat st {};
    if (::lstat(folder.c_str(), &st) != 0 || st.st_uid != ::getuid() || (st.st_mode & 077) != 0)
        return std::string();
    return folder;
}

// The folder of the library that holds this code: system libraries such as "shell32.dll"
// are answered by this stand-in itself.
std::string selfPath()
{
    Dl_info info;
    if (dladdr(reinterpret_cast<void*>(&SHGetKnownFolderPath), &info) && info.dli_fname)
        return info.dli_fname;
    return std::string();
}

// Whether nobody but the user (or root) can have put or changed the library: the file and its
// folder, links resolved, belong to one of them and no one else may write to either.
bool trustedLibrary(const std::string& path)
{
    std::error_code ec;
    const fs::path real = fs::canonical(path, ec);
    if (ec)
        return false;
    const uid_t me = ::getuid();
    for (const fs::path& p : {real, real.parent_path()}) {
        struct stat st {};
        if (::stat(p.c_str(), &st) != 0 || (st.st_uid != me && st.st_uid != 0) ||
            (st.st_mode & (S_IWGRP | S_IWOTH)) != 0)
            return false;
    }
    return true;
}

/// dlopen of a library we may trust; ERROR_ACCESS_DENIED for one another user may have planted.
void* openTrusted(const std::string& path)
{
    if (!trustedLibrary(path)) {
        gLastError = ERROR_ACCESS_DENIED;
        return nullptr;
    }
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    gLastError = handle ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
    return handle;
}

bool isSystemLibrary(std::string lower)
{
    static const char* known[] = {"shell32.dll", "kernel32.dll", "user32.dll", "ole32.dll"};
    for (const char* k : known)
        if (lower == k)
            return true;
    return false;
}

} // namespace

const GUID FOLDERID_LocalAppDataLow = {0xA520A1A4, 0x1780, 0x4FF6, {0xBD, 0x18, 0x16, 0x73, 0x43, 0xC5, 0xAF, 0x16}};

DWORD GetLastError() { return gLastError; }
void SetLastError(DWORD code) { gLastError = code; }

DWORD GetTickCount()
{
    using namespace std::chrono;
    return static_cast<DWORD>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

HANDLE CreateMutexW(void*, BOOL initialOwner, const wchar_t* name)
{
    const std::string folder = lockFolder();
    if (folder.empty()) {
        gLastError = ERROR_ACCESS_DENIED;
        return nullptr;
    }
    std::string file = folder + "/" + (name ? narrow(name) : std::string("anonymous")) + ".lock";
    // The player's alone; a link or FIFO at its name is nobody's lock and goes (as itself).
    int fd = yake::PlayerFiles::openReplacing(file, O_RDWR);
    if (fd < 0) {
        gLastError = ERROR_ACCESS_DENIED;
        return nullptr;
    }
    auto* m = new MutexHandle;
    m->fd = fd;
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
        m->owned = initialOwner != 0;
        if (!m->owned)
            ::flock(fd, LOCK_UN);
        gLastError = ERROR_SUCCESS;
    } else {
        gLastError = ERROR_ALREADY_EXISTS;
    }
    mutexHandles().insert(m);
    return m;
}

BOOL ReleaseMutex(HANDLE handle)
{
    if (!mutexHandles().count(handle))
        return FALSE;
    auto* m = static_cast<MutexHandle*>(handle);
    if (!m->owned)
        return FALSE;
    ::flock(m->fd, LOCK_UN);
    m->owned = false;
    return TRUE;
}

BOOL CloseHandle(HANDLE handle)
{
    if (!mutexHandles().erase(handle)) {
        gLastError = ERROR_INVALID_HANDLE;
        return FALSE;
    }
    auto* m = static_cast<MutexHandle*>(handle);
    ::close(m->fd); // also drops a lock still held
    delete m;
    return TRUE;
}

BOOL DisableThreadLibraryCalls(HMODULE) { return TRUE; }

BOOL SetCurrentDirectoryW(const wchar_t* path) { return path && ::chdir(narrow(path).c_str()) == 0 ? TRUE : FALSE; }

void win32SetLibraryFolder(const std::string& folder) { libraryFolder() = folder; }

void win32ReleaseScreenConnection() { win32detail::releaseXScreen(); }
void win32PrefetchScreen() { win32detail::prefetchXScreen(); }

HMODULE LoadLibraryA(const char* name)
{
    if (!name || !*name)
        return nullptr;
    std::string n = name;
    std::string lower = n;
    std::transform(lower.begin(), lower.end(), lower.begin(), ::tolower);
    if (isSystemLibrary(lower)) {
        std::string self = selfPath();
        return self.empty() ? nullptr : dlopen(self.c_str(), RTLD_NOW | RTLD_NOLOAD);
    }
    std::string base = n;
    const bool dll = lower.size() > 4 && lower.compare(lower.size() - 4, 4, ".dll") == 0;
    if (dll)
        base = n.substr(0, n.size() - 4);
    std::string so = base.find('/') == std::string::npos ? "lib" + base + ".so" : base;
    if (dll && base.find('/') != std::string::npos) {
        // "../X.dll" is "../libX.so", opened by its absolute path (from the current folder).
        std::error_code ec;
        fs::path p = fs::absolute(fs::path(base), ec);
        if (ec)
            return nullptr;
        so = (p.parent_path().lexically_normal() / ("lib" + p.filename().string() + ".so")).string();
    }
    gLastError = ERROR_FILE_NOT_FOUND;
    if (!libraryFolder().empty() && so.find('/') == std::string::npos) {
        std::string full = libraryFolder() + "/" + so;
        if (fs::exists(full))
            return openTrusted(full);
    }
    if (so.find('/') != std::string::npos && fs::exists(so))
        return openTrusted(so);
    return nullptr;
}

HMODULE LoadLibraryW(const wchar_t* name) { return name ? LoadLibraryA(narrow(name).c_str()) : nullptr; }

FARPROC GetProcAddress(HMODULE module, const char* name)
{
    if (!module || !name)
        return nullptr;
    return dlsym(module, name);
}

BOOL FreeLibrary(HMODULE module) { return module && dlclose(module) == 0 ? TRUE : FALSE; }

HRESULT CoInitialize(void*) { return S_OK; }
void CoUninitialize() {}
void CoTaskMemFree(void* p) { std::free(p); }

int GetSystemMetrics(int index)
{
    switch (index) {
    case SM_CXSCREEN:
        return currentScreen().width;
    case SM_CYSCREEN:
        return currentScreen().height;
    case SM_CXICON:
    case SM_CYICON:
        return 32;
    case SM_CXSMICON:
    case SM_CYSMICON:
        return 16;
    default:
        return 0;
    }
}

struct HICON__ {
    int id;
    int cx, cy;
    bool shared;
};

namespace {
// Shared icons belong to the system: one per resource and size, kept until the process ends.
std::map<std::tuple<int, int, int>, std::unique_ptr<HICON__>>& sharedIcons()
{
    static std::map<std::tuple<int, int, int>, std::unique_ptr<HICON__>> icons;
    return icons;
}
} // namespace

HICON LoadImageW(HINSTANCE, int resourceId, UINT type, int cx, int cy, UINT flags)
{
    if (type != IMAGE_ICON)
        return nullptr;
    if (flags & LR_SHARED) {
        auto& slot = sharedIcons()[std::make_tuple(resourceId, cx, cy)];
        if (!slot)
            slot.reset(new HICON__{resourceId, cx, cy, true});
        return slot.get();
    }
    ++gLiveIcons;
    return new HICON__{resourceId, cx, cy, false};
}

BOOL DestroyIcon(HICON icon)
{
    if (!icon)
        return FALSE;
    if (icon->shared)
        return TRUE;
    --gLiveIcons;
    delete icon;
    return TRUE;
}

namespace {
// Cursors belong to the system as shared icons do: one per resource, kept for the process.
std::map<int, std::unique_ptr<int>>& sharedCursors()
{
    static std::map<int, std::unique_ptr<int>> cursors;
    return cursors;
}
} // namespace

HCURSOR LoadCursorW(HINSTANCE, int resourceId)
{
    if (resourceId <= 0)
        return nullptr;
    auto& slot = sharedCursors()[resourceId];
    if (!slot)
        slot.reset(new int(resourceId));
    return slot.get();
}

int win32IconResource(HICON icon) { return icon ? icon->id : 0; }

int win32CursorResource(HCURSOR cursor)
{
    for (const auto& c : sharedCursors())
        if (c.second.get() == cursor)
            return c.first;
    return 0;
}
int win32LiveIconCount() { return gLiveIcons; }

HWND createWindowRecord()
{
    HWND w = new HWND__;
    windows().insert(w);
    return w;
}

void destroyWindowRecord(HWND hwnd)
{
    if (windows().erase(hwnd)) {
        if (gForeground == hwnd)
            gForeground = nullptr;
        delete hwnd;
    }
}

HWND win32WindowFromNative(unsigned long window)
{
    int width = 0, height = 0;
    if (!win32detail::readXWindowSize(window, width, height))
        return nullptr;
    HWND w = createWindowRecord();
    w->native = window;
    w->client = RECT{0, 0, width, height};
    return w;
}

BOOL IsWindow(HWND hwnd) { return hwnd && windows().count(hwnd) ? TRUE : FALSE; }

HWND GetParent(HWND hwnd) { return IsWindow(hwnd) ? hwnd->parent : nullptr; }

BOOL SetWindowPos(HWND hwnd, HWND, int x, int y, int cx, int cy, UINT flags)
{
    if (!IsWindow(hwnd))
        return FALSE;
    if (!(flags & SWP_NOMOVE))
        hwnd->position = POINT{x, y};
    if (!(flags & SWP_NOSIZE))
        hwnd->client = RECT{0, 0, std::max(cx, 0), std::max(cy, 0)};
    if (hwnd->onMove)
        hwnd->onMove(hwnd->position.x, hwnd->position.y, hwnd->client.right, hwnd->client.bottom);
    return TRUE;
}

BOOL DestroyWindow(HWND hwnd)
{
    if (!IsWindow(hwnd))
        return FALSE;
    // The hook may ask about the window (focus goes back to its parent), so it runs first.
    std::function<void()> hook;
    hook.swap(hwnd->onDestroy);
    if (hook)
        hook();
    destroyWindowRecord(hwnd);
    return TRUE;
}

BOOL SetWindowTextW(HWND hwnd, const wchar_t* text)
{
    if (!IsWindow(hwnd))
        return FALSE;
    hwnd->title = text ? text : L"";
    if (hwnd->onTitle)
        hwnd->onTitle(hwnd->title);
    return TRUE;
}

BOOL GetClientRect(HWND hwnd, RECT* rect)
{
    if (!IsWindow(hwnd) || !rect)
        return FALSE;
    *rect = hwnd->client;
    return TRUE;
}

BOOL ShowWindow(HWND hwnd, int show)
{
    if (!IsWindow(hwnd))
        return FALSE;
    bool was = hwnd->visible;
    hwnd->visible = show != 0;
    if (hwnd->onShow)
        hwnd->onShow(hwnd->visible);
    return was ? TRUE : FALSE;
}

HWND SetFocus(HWND hwnd)
{
    HWND before = gForeground;
    if (IsWindow(hwnd)) {
        gForeground = hwnd;
        if (hwnd->onFocus)
            hwnd->onFocus();
    }
    return before;
}

HWND GetForegroundWindow() { return gForeground; }

BOOL SetForegroundWindow(HWND hwnd)
{
    if (!IsWindow(hwnd))
        return FALSE;
    SetFocus(hwnd);
    return TRUE;
}

BOOL FlashWindowEx(const FLASHWINFO* info)
{
    if (!info || !IsWindow(info->hwnd))
        return FALSE;
    ++gFlashCount;
    return TRUE;
}

int win32FlashCount() { return gFlashCount; }

LRESULT SendMessageW(HWND hwnd, UINT msg, WPARAM w, LPARAM l)
{
    if (!IsWindow(hwnd))
        return 0;
    if (msg == WM_SETICON) {
        HICON icon = reinterpret_cast<HICON>(l);
        HICON& slot = w == ICON_BIG ? hwnd->bigIcon : hwnd->smallIcon;
        HICON old = slot;
        slot = icon;
        return reinterpret_cast<LRESULT>(old);
    }
    return 0;
}

BOOL PostMessageW(HWND hwnd, UINT msg, WPARAM w, LPARAM l)
{
    std::lock_guard<std::mutex> lock(gMessagesMutex);
    gMessages.push_back(MSG{hwnd, msg, w, l, GetTickCount(), {0, 0}});
    return TRUE;
}

void PostQuitMessage(int exitCode) { PostMessageW(nullptr, WM_QUIT, static_cast<WPARAM>(exitCode), 0); }

BOOL PeekMessageW(MSG* msg)
{
    std::lock_guard<std::mutex> lock(gMessagesMutex);
    if (gMessages.empty() || !msg)
        return FALSE;
    *msg = gMessages.front();
    gMessages.pop_front();
    return TRUE;
}

bool win32QuitPosted()
{
    std::lock_guard<std::mutex> lock(gMessagesMutex);
    return std::any_of(gMessages.begin(), gMessages.end(), [](const MSG& m) { return m.message == WM_QUIT; });
}

void win32ClearMessages()
{
    std::lock_guard<std::mutex> lock(gMessagesMutex);
    gMessages.clear();
}

BOOL SystemParametersInfoW(UINT action, UINT, void* out, UINT)
{
    if (action != SPI_GETWORKAREA || !out)
        return FALSE;
    *static_cast<RECT*>(out) = currentScreen().work;
    return TRUE;
}

BOOL AdjustWindowRectEx(RECT* rect, DWORD style, BOOL, DWORD)
{
    if (!rect)
        return FALSE;
    if (style & WS_CHILD)
        return TRUE;
    LONG frame = 0;
    if (style & (WS_BORDER | WS_CAPTION))
        frame = 3;
    if (style & WS_THICKFRAME)
        frame += 4;
    LONG caption = (style & WS_CAPTION) == WS_CAPTION ? 23 : 0;
    rect->left -= frame;
    rect->right += frame;
    rect->top -= frame + caption;
    rect->bottom += frame;
    return TRUE;
}

int MessageBoxW(HWND, const wchar_t* text, const wchar_t* caption, UINT type)
{
    Win32MessageBoxRecord r{text ? narrow(text) : std::string(), caption ? narrow(caption) : std::string(), type};
    std::cerr << "[message box] " << r.caption << ": " << r.text << std::endl;
    gBoxes.push_back(r);
    return 1;
}

std::vector<Win32MessageBoxRecord> win32MessageBoxes() { return gBoxes; }
void win32ClearMessageBoxes() { gBoxes.clear(); }

int SHFileOperationW(SHFILEOPSTRUCTW* op)
{
    if (!op || op->wFunc != FO_DELETE || !op->pFrom)
        return 1;
    int result = 0;
    // pFrom may hold several zero-separated names ending in two zeros.
    for (const wchar_t* p = op->pFrom; *p; p += std::wcslen(p) + 1) {
        std::string pattern = narrow(p);
        std::replace(pattern.begin(), pattern.end(), '\\', '/');
        fs::path pp(pattern);
        std::string mask = pp.filename().string();
        const std::string folder = pp.parent_path().string();
        if (mask.find('*') == std::string::npos) {
            // A name without a wildcard: that file (or link) only, never a whole folder.
            struct stat st {};
            if (::lstat(pattern.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
                result = 1;
            else
                ::unlink(pattern.c_str());
            continue;
        }
        const std::string::size_type star = mask.find('*');
        const std::string head = mask.substr(0, star);
        std::string tail = mask.substr(star + 1);
        if (tail == ".*")
            tail.clear(); // "*.*" is every name
        // Nothing is followed: a linked folder loses its link, never what it points to.
        if (!folder.empty() && !yake::PlayerFiles::removeTree(folder, false, head, tail))
            result = 1;
    }
    return result;
}

extern "C" HRESULT SHGetKnownFolderPath(const GUID* id, DWORD, HANDLE, wchar_t** path)
{
    if (!id || !path || std::memcmp(id, &FOLDERID_LocalAppDataLow, sizeof(GUID)) != 0)
        return -1;
    const std::string folder = userDataFolder();
    if (folder.empty())
        return -1;
    std::wstring w = widen(folder);
    auto* out = static_cast<wchar_t*>(std::calloc(w.size() + 1, sizeof(wchar_t)));
    if (!out)
        return -1;
    std::wmemcpy(out, w.c_str(), w.size());
    *path = out;
    return S_OK;
}

std::wstring win32QuoteArgument(const std::wstring& argument)
{
    std::wstring out = L"\"";
    std::size_t backslashes = 0;
    for (wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        out.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        out += c;
        backslashes = 0;
    }
    out.append(backslashes * 2, L'\\');
    return out + L"\"";
}

std::vector<std::string> win32SplitCommandLine(const std::string& commandLine)
{
    std::vector<std::string> out;
    std::string current;
    bool inQuotes = false;
    bool have = false;
    for (std::size_t i = 0; i < commandLine.size();) {
        const char c = commandLine[i];
        if (c == '\\') {
            std::size_t n = 0;
            for (; i < commandLine.size() && commandLine[i] == '\\'; ++i)
                ++n;
            const bool beforeQuote = i < commandLine.size() && commandLine[i] == '"';
            current.append(beforeQuote ? n / 2 : n, '\\');
            if (beforeQuote && n % 2 == 1) {
                current += '"'; // an odd one out escapes the quote
                ++i;
            }
            have = true;
        } else if (c == '"') {
            inQuotes = !inQuotes;
            have = true;
            ++i;
        } else if ((c == ' ' || c == '\t') && !inQuotes) {
            if (have)
                out.push_back(current);
            current.clear();
            have = false;
            ++i;
        } else {
            current += c;
            have = true;
            ++i;
        }
    }
    if (have)
        out.push_back(current);
    return out;
}

std::wstring win32ModulePathOf(const void* addressInModule)
{
    Dl_info info;
    if (!dladdr(addressInModule, &info) || !info.dli_fname)
        return std::wstring();
    std::error_code ec;
    fs::path p = fs::absolute(info.dli_fname, ec);
    return widen(ec ? std::string(info.dli_fname) : p.string());
}

std::string win32Utf8FromWide(const std::wstring& text) { return narrowImpl(text); }
std::wstring win32WideFromUtf8(const std::string& text) { return widenImpl(text); }
