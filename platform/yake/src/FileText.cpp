#include "yake/FileText.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace yake {

namespace {

std::string tooLarge(std::size_t limit) { return "larger than " + std::to_string(limit) + " bytes"; }

} // namespace

bool FileText::missing(const std::string& path)
{
    struct stat st;
    return ::stat(path.c_str(), &st) != 0 && errno == ENOENT;
}

bool FileText::read(const std::string& path, std::string& text, std::string& error, std::size_t limit)
{
    text.clear();
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        error = errno == ENOENT ? "missing" : "unreadable";
        return false;
    }
    struct stat st;
    if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
        ::close(fd);
        error = "unreadable";
        return false;
    }
    // The size is known up front for a plain file; a pipe or a device is read up to one byte
    // past the limit instead, so that an endless one is refused too.
    if (S_ISREG(st.st_mode) && static_cast<unsigned long long>(st.st_size) > limit) {
        ::close(fd);
        error = tooLarge(limit);
        return false;
    }
    if (!S_ISREG(st.st_mode))
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    std::string out;
    char buffer[65536];
    bool ok = true;
    while (true) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            ok = false;
            error = "unreadable";
            break;
        }
        if (n == 0)
            break;
        if (out.size() + static_cast<std::size_t>(n) > limit) {
            ok = false;
            error = tooLarge(limit);
            break;
        }
        out.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    if (ok)
        text.swap(out);
    return ok;
}

} // namespace yake
