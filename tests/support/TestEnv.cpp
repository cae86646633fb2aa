#include "support/TestEnv.h"

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <iostream>
#include <filesystem>
#include <fstream>
#include <limits.h>
#include <sstream>
#include <unistd.h>
#include <util/JsonText.h>

namespace zrktest {

TempDir::TempDir()
{
    std::string tmpl = (std::filesystem::temp_directory_path() / "zrktest-XXXXXX").string();
    char* made = ::mkdtemp(&tmpl[0]);
    mPath = made ? made : tmpl;
}

TempDir::~TempDir()
{
    std::error_code ec;
    std::filesystem::remove_all(mPath, ec);
}

void writeFile(const std::string& path, const std::string& content)
{
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << content;
}

std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream os;
    os << in.rdbuf();
    return os.str();
}

std::string nestedXml(std::size_t levels)
{
    std::string text;
    text.reserve(levels * 7);
    for (std::size_t i = 0; i < levels; ++i)
        text += "<a>";
    for (std::size_t i = 0; i < levels; ++i)
        text += "</a>";
    return text;
}

std::string nestedJson(std::size_t levels) { return std::string(levels, '[') + std::string(levels, ']'); }

bool parseJson(const std::string& text, Json::Value& out)
{
    std::string error;
    return kavri3D::core::JsonText::parse(text, out, error);
}

std::string binFolder()
{
    char path[PATH_MAX];
    ssize_t n = ::readlink("/proc/self/exe", path, sizeof path - 1);
    std::string p(path, n > 0 ? static_cast<std::size_t>(n) : 0);
    return p.substr(0, p.rfind('/'));
}

ScopedEnv::ScopedEnv(const char* name, const std::string& value) : mName(name)
{
    const char* old = std::getenv(name);
    mHad = old != nullptr;
    if (old)
        mOld = old;
    ::setenv(name, value.c_str(), 1);
}

ScopedEnv::~ScopedEnv()
{
    if (mHad)
        ::setenv(mName.c_str(), mOld.c_str(), 1);
    else
        ::unsetenv(mName.c_str());
}

StderrCapture::StderrCapture(const std::string& file)
{
    std::fflush(stderr);
    std::cerr.flush();
    int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0)
        return;
    mSaved = ::dup(2);
    ::dup2(fd, 2);
    ::close(fd);
}

StderrCapture::~StderrCapture()
{
    if (mSaved < 0)
        return;
    std::fflush(stderr);
    std::cerr.flush();
    ::dup2(mSaved, 2);
    ::close(mSaved);
}

} // namespace zrktest
