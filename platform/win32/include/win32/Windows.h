#pragma once
// The few Win32, COM and shell names the game calls, mapped onto POSIX. Handles are opaque
// pointers as there; windows are records that the framework's render window registers.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

typedef int BOOL;
typedef unsigned int UINT;
typedef std::uint32_t DWORD;
typedef long LONG;
typedef long HRESULT;
typedef std::intptr_t LRESULT;
typedef std::uintptr_t WPARAM;
typedef std::intptr_t LPARAM;
typedef void* HANDLE;
typedef void* HMODULE;
typedef void* HINSTANCE;
typedef void* FARPROC;
struct HICON__;
typedef HICON__* HICON;
typedef void* HCURSOR;
struct HWND__;
typedef HWND__* HWND;

#ifndef TRUE
#define TRUE 1
#define FALSE 0
#endif

#define S_OK 0L
#define S_FALSE 1L
#define SUCCEEDED(hr) ((hr) >= 0)
#define FAILED(hr) ((hr) < 0)

constexpr DWORD ERROR_SUCCESS = 0;
constexpr DWORD ERROR_FILE_NOT_FOUND = 2;
constexpr DWORD ERROR_ACCESS_DENIED = 5;
constexpr DWORD ERROR_INVALID_HANDLE = 6;
constexpr DWORD ERROR_ALREADY_EXISTS = 183;
constexpr DWORD DLL_PROCESS_ATTACH = 1;

// Window styles (values as on Windows, so the computed numbers mean the same thing).
constexpr DWORD WS_OVERLAPPED = 0x00000000;
constexpr DWORD WS_POPUP = 0x80000000;
constexpr DWORD WS_CHILD = 0x40000000;
constexpr DWORD WS_VISIBLE = 0x10000000;
constexpr DWORD WS_CLIPCHILDREN = 0x02000000;
constexpr DWORD WS_CAPTION = 0x00C00000;
constexpr DWORD WS_BORDER = 0x00800000;
constexpr DWORD WS_SYSMENU = 0x00080000;
constexpr DWORD WS_THICKFRAME = 0x00040000;
constexpr DWORD WS_MINIMIZEBOX = 0x00020000;
constexpr DWORD WS_MAXIMIZEBOX = 0x00010000;
constexpr DWORD WS_OVERLAPPEDWINDOW =
    WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
constexpr DWORD WS_EX_WINDOWEDGE = 0x00000100;

// Messages.
constexpr UINT WM_NULL = 0x0000;
constexpr UINT WM_CLOSE = 0x0010;
constexpr UINT WM_QUIT = 0x0012;
constexpr UINT WM_SETICON = 0x0080;
constexpr UINT WM_KEYDOWN = 0x0100;
constexpr UINT WM_USER = 0x0400;
constexpr UINT WM_APP = 0x8000;
constexpr WPARAM ICON_SMALL = 0;
constexpr WPARAM ICON_BIG = 1;

// System metrics.
constexpr int SM_CXSCREEN = 0;
constexpr int SM_CYSCREEN = 1;
constexpr int SM_CXICON = 11;
constexpr int SM_CYICON = 12;
constexpr int SM_CXSMICON = 49;
constexpr int SM_CYSMICON = 50;

// Show commands and window placement flags.
constexpr int SW_HIDE = 0;
constexpr int SW_SHOW = 5;
constexpr UINT SWP_NOSIZE = 0x0001;
constexpr UINT SWP_NOMOVE = 0x0002;
constexpr UINT SWP_NOZORDER = 0x0004;

constexpr UINT IMAGE_ICON = 1;
constexpr UINT LR_DEFAULTSIZE = 0x0040;
constexpr UINT LR_SHARED = 0x8000;
constexpr UINT SPI_GETWORKAREA = 0x0030;

constexpr UINT MB_OK = 0x0;
constexpr UINT MB_ICONERROR = 0x10;

struct RECT {
    LONG left, top, right, bottom;
};
struct POINT {
    LONG x, y;
};
struct MSG {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    DWORD time;
    POINT pt;
};

constexpr DWORD FLASHW_TRAY = 2;
struct FLASHWINFO {
    UINT cbSize;
    HWND hwnd;
    DWORD dwFlags;
    UINT uCount;
    DWORD dwTimeout;
};

// Errors of the calling thread.
DWORD GetLastError();
void SetLastError(DWORD code);

// Kernel.
DWORD GetTickCount();
BOOL CloseHandle(HANDLE handle);
/// A named mutex is an exclusive flock on "<name>.lock" in the game's folder of the user's own
/// data folder ($XDG_DATA_HOME/kavri3D, else ~/.local/share/kavri3D), where the settings go;
/// never in a folder another user could make first, whatever $XDG_RUNTIME_DIR says.
/// Held by anyone else: a valid handle and GetLastError() == ERROR_ALREADY_EXISTS.
/// Lock file not creatable: null.
HANDLE CreateMutexW(void* security, BOOL initialOwner, const wchar_t* name);
BOOL ReleaseMutex(HANDLE mutex);
BOOL DisableThreadLibraryCalls(HMODULE module);
BOOL SetCurrentDirectoryW(const wchar_t* path);

// Dynamic libraries: "Name.dll" loads "libName.so" from the program folder (the folder of
// the module that asks); "../Name.dll" the one in the current folder's parent. A library is
// loaded only when it and its folder belong to the user or root and no one else can write
// to them; otherwise null and GetLastError() == ERROR_ACCESS_DENIED.
HMODULE LoadLibraryA(const char* name);
HMODULE LoadLibraryW(const wchar_t* name);
FARPROC GetProcAddress(HMODULE module, const char* name);
BOOL FreeLibrary(HMODULE module);
/// The folder in which LoadLibrary looks first; the module sets it at start.
void win32SetLibraryFolder(const std::string& folder);
/// The game window has its own connection to the X server now: the one the screen's size was
/// read over during the start-up is let go.
void win32ReleaseScreenConnection();
/// Starts reading the screen's size and work area while the game starts; the first question
/// about them waits for the reading.
void win32PrefetchScreen();

// COM.
HRESULT CoInitialize(void* reserved);
void CoUninitialize();
void CoTaskMemFree(void* p);

// Icons and cursors.
int GetSystemMetrics(int index);
HICON LoadImageW(HINSTANCE instance, int resourceId, UINT type, int cx, int cy, UINT flags);
BOOL DestroyIcon(HICON icon);
HCURSOR LoadCursorW(HINSTANCE instance, int resourceId);
/// Test surface: icons created and not destroyed.
int win32LiveIconCount();
/// The program's resource an icon or a cursor was loaded from (its picture is
/// res/app/icon<id>.png or res/app/cursor<id>.png); 0 for none.
int win32IconResource(HICON icon);
int win32CursorResource(HCURSOR cursor);

// Windows.
/// The state a window record keeps; the framework's render window and the game's own child
/// windows fill the hooks.
struct HWND__ {
    std::wstring title;
    HWND parent = nullptr;
    RECT client{0, 0, 0, 0};
    /// Position in the parent's client area (child windows).
    POINT position{0, 0};
    bool visible = true;
    HICON bigIcon = nullptr;
    HICON smallIcon = nullptr;
    /// The X window behind the record (0 when there is none).
    unsigned long native = 0;
    std::function<void(const std::wstring&)> onTitle;
    std::function<void(bool)> onShow;
    std::function<void()> onFocus;
    /// SetWindowPos moved or sized it: position in the parent, client size.
    std::function<void(int x, int y, int width, int height)> onMove;
    /// DestroyWindow: the record is forgotten right after.
    std::function<void()> onDestroy;
};
/// A record for another program's X window (the launcher's, to hold the game), its client
/// area the X window's size; null when the X server knows no such window.
HWND win32WindowFromNative(unsigned long window);
/// Makes a window record the Win32 calls below accept; destroyWindowRecord forgets it.
HWND createWindowRecord();
void destroyWindowRecord(HWND hwnd);
BOOL IsWindow(HWND hwnd);
HWND GetParent(HWND hwnd);
/// Moves and sizes a window (x, y in its parent's client area); the insert-after window is
/// not looked at, so SWP_NOZORDER is what every caller means.
BOOL SetWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int cx, int cy, UINT flags);
/// Runs the record's destroy hook, then forgets the record.
BOOL DestroyWindow(HWND hwnd);
BOOL SetWindowTextW(HWND hwnd, const wchar_t* text);
BOOL GetClientRect(HWND hwnd, RECT* rect);
BOOL ShowWindow(HWND hwnd, int show);
HWND SetFocus(HWND hwnd);
HWND GetForegroundWindow();
BOOL SetForegroundWindow(HWND hwnd);
BOOL FlashWindowEx(const FLASHWINFO* info);
LRESULT SendMessageW(HWND hwnd, UINT msg, WPARAM w, LPARAM l);
/// Test surface: how many times FlashWindowEx flashed a window.
int win32FlashCount();

// The message queue of the frame loop's thread; any thread may post to it.
BOOL PostMessageW(HWND hwnd, UINT msg, WPARAM w, LPARAM l);
void PostQuitMessage(int exitCode);
/// Takes the next message when there is one (remove is always true here).
BOOL PeekMessageW(MSG* msg);
/// Test surface: whether a WM_QUIT has been posted and not yet taken.
bool win32QuitPosted();
void win32ClearMessages();

// Screen geometry: the X screen named by DISPLAY (SM_CXSCREEN, SM_CYSCREEN: the root window;
// SPI_GETWORKAREA: _NET_WORKAREA when a window manager publishes it, else the whole root).
BOOL SystemParametersInfoW(UINT action, UINT param, void* out, UINT winIni);
/// Outer rectangle of a window with that client rectangle and style (fixed frame 3, sizing
/// frame 4 more, caption 23).
BOOL AdjustWindowRectEx(RECT* rect, DWORD style, BOOL menu, DWORD exStyle);

// Message boxes become a stderr line and a recorded entry.
struct Win32MessageBoxRecord {
    std::string text;
    std::string caption;
    UINT type;
};
int MessageBoxW(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type);
std::vector<Win32MessageBoxRecord> win32MessageBoxes();
void win32ClearMessageBoxes();

// Shell.
/// Deletes the files and folders matching a "folder/pattern" with one '*' wildcard part (as
/// "*.*"); a name without a wildcard deletes that file only, never a folder (non-zero result).
/// Only FO_DELETE is supported.
constexpr UINT FO_DELETE = 3;
constexpr unsigned short FOF_SILENT = 0x0004;
constexpr unsigned short FOF_NOCONFIRMATION = 0x0010;
constexpr unsigned short FOF_NOERRORUI = 0x0400;
struct SHFILEOPSTRUCTW {
    HWND hwnd;
    UINT wFunc;
    const wchar_t* pFrom;
    const wchar_t* pTo;
    unsigned short fFlags;
};
int SHFileOperationW(SHFILEOPSTRUCTW* op);

// The command line's one quoting rule, the launcher's and the module's alike: every argument in
// quotes, a quote inside written \", and the backslashes just before a quote (or before the
// closing one) doubled; backslashes elsewhere stand as they are.
std::wstring win32QuoteArgument(const std::wstring& argument);
// A command line split by that rule (words without quotes split at blanks); "" is an empty
// argument.
std::vector<std::string> win32SplitCommandLine(const std::string& commandLine);

// Module path (dladdr on an address inside the module).
std::wstring win32ModulePathOf(const void* addressInModule);

// Known folders: shell32's SHGetKnownFolderPath, reached through LoadLibraryW("shell32.dll").
struct GUID {
    std::uint32_t Data1;
    unsigned short Data2, Data3;
    unsigned char Data4[8];
};
extern const GUID FOLDERID_LocalAppDataLow;
extern "C" HRESULT SHGetKnownFolderPath(const GUID* id, DWORD flags, HANDLE token, wchar_t** path);

// GDI: the drawing subset the battle's gauges use, over Cairo into 32-bit DIB sections (blue,
// green, red, spare byte per pixel). Outlines are aliased, the pen centred on the path; the
// spare byte is the caller's (GDI leaves it alone, so do we as far as Cairo lets us).
struct GdiObject;
typedef GdiObject* HGDIOBJ;
typedef GdiObject* HPEN;
typedef GdiObject* HBRUSH;
typedef GdiObject* HBITMAP;
struct GdiContext;
typedef GdiContext* HDC;
typedef DWORD COLORREF; ///< 0x00BBGGRR
constexpr COLORREF RGB(unsigned r, unsigned g, unsigned b) { return (r & 0xFF) | (g & 0xFF) << 8 | (b & 0xFF) << 16; }
constexpr int PS_SOLID = 0;
constexpr int NULL_BRUSH = 5;
constexpr UINT BI_RGB = 0;
constexpr UINT DIB_RGB_COLORS = 0;
struct BITMAPINFOHEADER {
    DWORD biSize;
    LONG biWidth;
    LONG biHeight; ///< negative: rows top-down in memory
    unsigned short biPlanes;
    unsigned short biBitCount;
    DWORD biCompression;
    DWORD biSizeImage;
    LONG biXPelsPerMeter, biYPelsPerMeter;
    DWORD biClrUsed, biClrImportant;
};
struct BITMAPINFO {
    BITMAPINFOHEADER bmiHeader;
};
/// The screen's context for a null window (no other window draws here); null otherwise.
HDC GetDC(HWND hwnd);
int ReleaseDC(HWND hwnd, HDC dc);
HDC CreateCompatibleDC(HDC dc);
BOOL DeleteDC(HDC dc);
/// A 32-bit uncompressed DIB section, cleared; null for any other format or a size over
/// 8192 x 8192.
HBITMAP CreateDIBSection(HDC dc, const BITMAPINFO* info, UINT usage, void** bits, HANDLE section, DWORD offset);
HPEN CreatePen(int style, int width, COLORREF colour);
HGDIOBJ GetStockObject(int which);
/// The object previously selected of the same kind; null for an unknown object.
HGDIOBJ SelectObject(HDC dc, HGDIOBJ object);
/// Stock objects are never deleted; an object still selected into a context is refused.
BOOL DeleteObject(HGDIOBJ object);
BOOL Ellipse(HDC dc, int left, int top, int right, int bottom);
/// Counter-clockwise (as the screen shows it) from the ray towards the start point to the ray
/// towards the end point; the same ray twice draws the whole ellipse.
BOOL Arc(HDC dc, int left, int top, int right, int bottom, int xStart, int yStart, int xEnd, int yEnd);
BOOL Polygon(HDC dc, const POINT* points, int count);
/// Test surface: GDI objects made and not deleted (stock objects aside).
int win32LiveGdiObjects();

// UTF-8 <-> UTF-32 (wchar_t) conversions; malformed bytes become U+FFFD.
std::string win32Utf8FromWide(const std::wstring& text);
std::wstring win32WideFromUtf8(const std::string& text);
