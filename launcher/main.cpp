// The launcher: loads the game module from its own folder, hands it the command line and
// exits with what the game returns.
#include <cerrno>
#include <cstdint>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <limits.h>
#include <string>
#include <unistd.h>
#include <win32/Windows.h>

namespace {

typedef int (*GameEntryFn)(std::uint32_t, void*, const wchar_t*);

std::string programFolder()
{
    char path[PATH_MAX];
    ssize_t n = ::readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0)
        return ".";
    std::string p(path, static_cast<std::size_t>(n));
    return p.substr(0, p.rfind('/'));
}

// The command line as one wide string, every argument quoted by the rule the module splits by:
// an argument holding quotes, blanks or backslashes, or none at all, arrives as it was given.
std::wstring commandLine(int argc, char** argv)
{
    std::wstring out;
    for (int i = 0; i < argc; ++i) {
        // Decoded by hand, whatever the locale says: the C locale would turn every non-ASCII
        // letter into garbage.
        if (i > 0)
            out += L' ';
        out += win32QuoteArgument(win32WideFromUtf8(argv[i]));
    }
    return out;
}

/// "--parent-window=<X window id>" (decimal or 0x hex), the launcher's own option: the game
/// lives inside that window. Taken out of the arguments; 0 when absent or not a number.
unsigned long takeParentWindow(int& argc, char** argv)
{
    static const char kOption[] = "--parent-window=";
    unsigned long id = 0;
    int kept = 1;
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], kOption, sizeof kOption - 1) != 0) {
            argv[kept++] = argv[i];
            continue;
        }
        const char* text = argv[i] + sizeof kOption - 1;
        char* end = nullptr;
        errno = 0;
        const unsigned long value = std::strtoul(text, &end, 0);
        if (*text && end && !*end && errno == 0 && *text != '-')
            id = value;
        else
            std::fprintf(stderr, "%s: not a window id; the game opens a window of its own\n", argv[i]);
    }
    argc = kept;
    return id;
}

} // namespace

int main(int argc, char** argv)
{
    std::setlocale(LC_CTYPE, "");
    const std::string module = programFolder() + "/libZRK_Main.so";
    void* handle = ::dlopen(module.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        std::fprintf(stderr, "cannot load %s: %s\n", module.c_str(), ::dlerror());
        return 1;
    }
    auto entry = reinterpret_cast<GameEntryFn>(::dlsym(handle, "GameEntry"));
    if (!entry) {
        std::fprintf(stderr, "%s has no GameEntry\n", module.c_str());
        ::dlclose(handle);
        return 1;
    }
    const unsigned long parent = takeParentWindow(argc, argv);
    int code = entry(0, reinterpret_cast<void*>(static_cast<std::uintptr_t>(parent)), commandLine(argc, argv).c_str());
    ::dlclose(handle);
    return code;
}
