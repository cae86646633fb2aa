#include "transport/FileServer.h"

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <httplib.h>
#include <thread>
#include <yake/Logger.h>

namespace kavri3D {
namespace core {

namespace {

const char kFiles[] = "/files/";
const char kWeb[] = "/web/";

void logLine(unsigned severity, const std::string& text) { yake::logging::logger::instance().log(severity, "fileserver", text); }

std::string folderName(const std::string& folder)
{
    if (folder.empty())
        return folder;
    std::error_code ec;
    std::filesystem::path p = std::filesystem::weakly_canonical(std::filesystem::absolute(folder, ec), ec);
    std::string s = ec ? folder : p.string();
    if (s.back() != '/')
        s += '/';
    return s;
}

const char* contentType(const std::string& file)
{
    const std::string ext = std::filesystem::path(file).extension().string();
    if (ext == ".html" || ext == ".htm")
        return "text/html";
    if (ext == ".xml" || ext == ".imageset" || ext == ".layout")
        return "text/xml";
    if (ext == ".png")
        return "image/png";
    if (ext == ".jpg" || ext == ".jpeg")
        return "image/jpeg";
    if (ext == ".js")
        return "application/javascript";
    if (ext == ".css")
        return "text/css";
    return "application/octet-stream";
}

} // namespace

struct FileServer::Impl {
    httplib::Server server;
    std::thread thread;
    std::atomic<bool> loopOver{false}; // the serving loop has returned
};

FileServer::FileServer() : mImpl(new Impl) {}

bool FileServer::isPlainPath(const std::string& path)
{
    if (path.empty() || path.front() == '/' || path.find('\\') != std::string::npos || path.find('\0') != std::string::npos)
        return false;
    std::size_t start = 0;
    for (;;) {
        const std::size_t slash = path.find('/', start);
        const std::size_t len = (slash == std::string::npos ? path.size() : slash) - start;
        if (len == 0 || (len == 1 && path[start] == '.') || (len == 2 && path.compare(start, 2, "..") == 0))
            return false;
        if (slash == std::string::npos)
            return true;
        start = slash + 1;
    }
}

FileServer::~FileServer() { stop(); }

httplib::Server& FileServer::httpServer() { return mImpl->server; }

bool FileServer::isRunning() const { return mImpl->thread.joinable(); }

std::string FileServer::getAddress() const { return isRunning() ? "http://127.0.0.1:" + std::to_string(mPort) : std::string(); }

std::string FileServer::fileFor(const std::string& path) const
{
    std::string folder, rest;
    const std::string files = mInstallerPath + kFiles;
    if (path.compare(0, files.size(), files) == 0) {
        folder = mFilesFolder;
        rest = path.substr(files.size());
    } else if (path.compare(0, sizeof kWeb - 1, kWeb) == 0) {
        folder = mWebFolder;
        rest = path.substr(sizeof kWeb - 1);
    }
    // The path arrives decoded: a "%" left over was encoded twice, and no published name has one.
    if (folder.empty() || !isPlainPath(rest) || rest.find('%') != std::string::npos)
        return std::string();
    // A link may still lead out of the folder: what it resolves to must lie inside.
    std::error_code ec;
    const std::string file = folder + rest;
    const std::string real = std::filesystem::weakly_canonical(file, ec).string();
    if (ec || real.compare(0, folder.size(), folder) != 0)
        return std::string();
    return file;
}

bool FileServer::start(const std::string& installerPath, const std::string& filesFolder, const std::string& webFolder)
{
    stop();
    mInstallerPath = installerPath;
    while (!mInstallerPath.empty() && mInstallerPath.back() == '/')
        mInstallerPath.pop_back();
    mFilesFolder = folderName(filesFolder);
    mWebFolder = folderName(webFolder);
    httplib::Server& server = mImpl->server;
    server.set_pre_routing_handler([](const httplib::Request& req, httplib::Response& res) {
        if (req.method == "GET" || req.method == "HEAD")
            return httplib::Server::HandlerResponse::Unhandled;
        res.status = 405;
        res.set_header("Allow", "GET, HEAD");
        return httplib::Server::HandlerResponse::Handled;
    });
    server.Get(".*", [this](const httplib::Request& req, httplib::Response& res) {
        const std::string file = fileFor(req.path);
        std::error_code ec;
        if (file.empty() || !std::filesystem::is_regular_file(file, ec)) {
            res.status = 404;
            return;
        }
        const auto size = std::filesystem::file_size(file, ec);
        if (ec) {
            res.status = 404;
            return;
        }
        auto in = std::make_shared<std::ifstream>(file, std::ios::binary);
        if (!*in) {
            res.status = 403;
            return;
        }
        res.set_content_provider(static_cast<std::size_t>(size), contentType(file),
                                 [in](std::size_t offset, std::size_t length, httplib::DataSink& sink) {
                                     char buffer[64 * 1024];
                                     in->seekg(static_cast<std::streamoff>(offset));
                                     const std::size_t n = length < sizeof buffer ? length : sizeof buffer;
                                     in->read(buffer, static_cast<std::streamsize>(n));
                                     const std::streamsize got = in->gcount();
                                     if (got <= 0)
                                         return false; // the file shrank under us: the reply ends short
                                     return sink.write(buffer, static_cast<std::size_t>(got));
                                 });
    });
    // A client that keeps a connection open holds up the stop no longer than this.
    server.set_keep_alive_timeout(1);
    // This machine only: the game's files are nobody else's business.
    mPort = server.bind_to_any_port("127.0.0.1");
    if (mPort <= 0) {
        logLine(3, "the file server cannot listen on 127.0.0.1");
        mPort = 0;
        return false;
    }
    // The socket listens already: a client that comes before the loop runs waits in its queue,
    // so the start does not wait for the thread (a few milliseconds of the game's start-up).
    mImpl->loopOver = false;
    mImpl->thread = std::thread([impl = mImpl.get()] {
        impl->server.listen_after_bind();
        impl->loopOver = true;
    });
    logLine(6, "serving " + mFilesFolder + " at " + getAddress() + mInstallerPath + kFiles);
    return true;
}

void FileServer::stop()
{
    if (!mImpl->thread.joinable())
        return;
    // Stopping before the loop runs would miss it and wait for ever: wait until it runs.
    for (int i = 0; i < 5000 && !mImpl->server.is_running() && !mImpl->loopOver; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    mImpl->server.stop();
    mImpl->thread.join();
    mPort = 0;
}

} // namespace core
} // namespace kavri3D
