#include "transport/TransportService.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <curl/curl.h>
#include <exception>
#include <mutex>
#include <set>
#include <fcntl.h>
#include <sys/socket.h>
#include <transport/FileServer.h>
#include <unistd.h>
#include <vector>
#include <yake/Logger.h>
#include <yake/PlayerFiles.h>

namespace kavri3D {
namespace core {

namespace {
using yake::logging::Severity;
// Clients when the setting is missing or not a positive number.
const std::size_t kDefaultClients = 2;
const std::size_t kMostClients = 64;
// A server that never answers the connection is given up sooner than a slow download.
const long kConnectSeconds = 15;
// What one pump may spend taking in data: a large file on a fast line comes over several frames
// instead of holding one up.
const std::chrono::microseconds kPumpBudget(700);

const yake::logging::Channel logLine("transport");

/// A whole positive number of the setting's text; -1 when it is empty or anything else.
long long positive(const std::string& text)
{
    if (text.empty())
        return -1;
    char* end = nullptr;
    errno = 0;
    const long long n = std::strtoll(text.c_str(), &end, 10);
    return *end != '\0' || errno != 0 || n <= 0 ? -1 : n;
}

/// One download: the file it goes to and how far it got.
struct Transfer {
    int id = 0;
    std::string url;
    std::string file;
    std::string part;
    TransportService::TransferDone done;
    CURL* easy = nullptr;
    std::FILE* out = nullptr;
    long long bytes = 0;
    bool tooLarge = false;
    bool writeFailed = false;
    /// The routed transfer's socket, while it is open.
    int socket = -1;
    /// The routed socket was answered by a server of another process: nothing was sent to it.
    bool foreignServer = false;
    /// Data is refused past this moment (the pump's budget), the transfer paused until the next.
    const std::chrono::steady_clock::time_point* deadline = nullptr;
    bool paused = false;
    char error[CURL_ERROR_SIZE] = {};

    ~Transfer()
    {
        if (easy)
            curl_easy_cleanup(easy);
        if (out) {
            std::fclose(out);
            std::remove(part.c_str());
        }
    }
};

std::size_t writeBody(char* data, std::size_t size, std::size_t count, void* user)
{
    Transfer& t = *static_cast<Transfer*>(user);
    const std::size_t n = size * count;
    if (t.deadline && std::chrono::steady_clock::now() >= *t.deadline) {
        t.paused = true;
        return CURL_WRITEFUNC_PAUSE; // handed over again once the transfer goes on
    }
    if (t.bytes + static_cast<long long>(n) > TransportService::kMaxFileSize) {
        t.tooLarge = true;
        return 0; // ends the transfer
    }
    if (std::fwrite(data, 1, n, t.out) != n) {
        t.writeFailed = true;
        return 0;
    }
    t.bytes += static_cast<long long>(n);
    return n;
}

/// The routed socket, made here so that it is known: before a byte (the address's secret
/// first) is sent on it, whose server answered is asked (prereq below).
curl_socket_t openOwnServer(void* user, curlsocktype, curl_sockaddr* address)
{
    Transfer& t = *static_cast<Transfer*>(user);
    t.socket = ::socket(address->family, address->socktype | SOCK_CLOEXEC, address->protocol);
    return t.socket < 0 ? CURL_SOCKET_BAD : t.socket;
}

/// Connected, nothing sent yet: only the game's own file server, in this process, is asked
/// anything; one of another process at its path (the folder moved away) is told nothing.
int askOnlyOwnServer(void* user, char*, char*, int, int)
{
    Transfer& t = *static_cast<Transfer*>(user);
    if (t.socket >= 0 && FileServer::servedHere(t.socket))
        return CURL_PREREQFUNC_OK;
    t.foreignServer = true;
    return CURL_PREREQFUNC_ABORT;
}

/// Opens the ".part" file and makes the easy handle with the service's settings; false (with
/// the reason in `t.error`) when either fails.
bool prepare(Transfer& t, const TransportService& service)
{
    t.part = t.file + ".part";
    // The player's alone (0600) and made anew: what stood at its name (a link, a FIFO, another
    // user's file) is removed as itself, never written through or into.
    const int fd = yake::PlayerFiles::openFresh(t.part, O_WRONLY);
    t.out = fd >= 0 ? ::fdopen(fd, "wb") : nullptr;
    if (fd >= 0 && !t.out)
        ::close(fd);
    if (!t.out) {
        std::snprintf(t.error, sizeof t.error, "cannot write %s", t.part.c_str());
        return false;
    }
    t.easy = curl_easy_init();
    if (!t.easy) {
        std::snprintf(t.error, sizeof t.error, "no transfer handle");
        return false;
    }
    CURL* e = t.easy;
    curl_easy_setopt(e, CURLOPT_URL, t.url.c_str());
    curl_easy_setopt(e, CURLOPT_ERRORBUFFER, t.error);
    curl_easy_setopt(e, CURLOPT_WRITEFUNCTION, &writeBody);
    curl_easy_setopt(e, CURLOPT_WRITEDATA, &t);
    curl_easy_setopt(e, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(e, CURLOPT_FAILONERROR, 1L);
    curl_easy_setopt(e, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(e, CURLOPT_MAXREDIRS, TransportService::kMaxRedirects);
#if LIBCURL_VERSION_NUM >= 0x075500
    curl_easy_setopt(e, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(e, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
#else
    curl_easy_setopt(e, CURLOPT_PROTOCOLS, static_cast<long>(CURLPROTO_HTTP | CURLPROTO_HTTPS));
    curl_easy_setopt(e, CURLOPT_REDIR_PROTOCOLS, static_cast<long>(CURLPROTO_HTTP | CURLPROTO_HTTPS));
#endif
    curl_easy_setopt(e, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(TransportService::kMaxFileSize));
    curl_easy_setopt(e, CURLOPT_CONNECTTIMEOUT, kConnectSeconds);
    // The game's own file server on this machine is never reached through a proxy: its host is
    // its socket in the player's own folder.
    const std::string& host = service.getRoutedHost();
    const std::string routed = "http://" + host + "/";
    if (!host.empty() && t.url.compare(0, routed.size(), routed) == 0) {
        curl_easy_setopt(e, CURLOPT_UNIX_SOCKET_PATH, service.getRoutedSocket().c_str());
        curl_easy_setopt(e, CURLOPT_PROXY, "");
        curl_easy_setopt(e, CURLOPT_OPENSOCKETFUNCTION, &openOwnServer);
        curl_easy_setopt(e, CURLOPT_OPENSOCKETDATA, &t);
        curl_easy_setopt(e, CURLOPT_PREREQFUNCTION, &askOnlyOwnServer);
        curl_easy_setopt(e, CURLOPT_PREREQDATA, &t);
    }
    curl_easy_setopt(e, CURLOPT_NOPROXY, "127.0.0.1,localhost");
    // No connection is kept open between files: a file server that stops is never held up
    // by a client's idle connection.
    curl_easy_setopt(e, CURLOPT_FORBID_REUSE, 1L);
    const long long lowLimit = positive(service.getSetting("_LOW_SPEED_LIMIT"));
    const long long lowTime = positive(service.getSetting("_LOW_SPEED_TIME"));
    if (lowLimit > 0 && lowTime > 0) {
        curl_easy_setopt(e, CURLOPT_LOW_SPEED_LIMIT, static_cast<long>(lowLimit));
        curl_easy_setopt(e, CURLOPT_LOW_SPEED_TIME, static_cast<long>(lowTime));
    }
    const long long recv = positive(service.getSetting("_MAX_RECV_SPEED"));
    if (recv > 0)
        curl_easy_setopt(e, CURLOPT_MAX_RECV_SPEED_LARGE, static_cast<curl_off_t>(recv));
    const long long send = positive(service.getSetting("_MAX_SEND_SPEED"));
    if (send > 0)
        curl_easy_setopt(e, CURLOPT_MAX_SEND_SPEED_LARGE, static_cast<curl_off_t>(send));
    return true;
}

/// Closes the ".part" file and gives it its final name when the download is whole; false
/// (the ".part" file gone, the reason in `error`) otherwise.
bool finish(Transfer& t, CURLcode code, std::string& error)
{
    long status = 0;
    if (t.easy)
        curl_easy_getinfo(t.easy, CURLINFO_RESPONSE_CODE, &status);
    bool ok = code == CURLE_OK && !t.tooLarge && !t.writeFailed && status < 400;
    if (t.out) {
        if (std::fclose(t.out) != 0)
            ok = false, t.writeFailed = true; // the disk filled up on the last bytes
        t.out = nullptr;
    }
    if (ok && std::rename(t.part.c_str(), t.file.c_str()) != 0) {
        ok = false;
        t.writeFailed = true;
    }
    if (!ok) {
        std::remove(t.part.c_str());
        if (t.foreignServer)
            error = "the file server's socket is held by another process: nothing was sent to it";
        else if (t.tooLarge)
            error = "larger than " + std::to_string(TransportService::kMaxFileSize) + " bytes";
        else if (t.writeFailed)
            error = "cannot write " + t.file;
        else if (status >= 400)
            error = "HTTP status " + std::to_string(status);
        else
            error = t.error[0] ? std::string(t.error) : std::string(curl_easy_strerror(code));
    }
    return ok;
}

void globalInit()
{
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

} // namespace

struct TransportService::Transfers {
    CURLM* multi = nullptr;
    std::chrono::steady_clock::time_point deadline;   ///< of the pump under way
    std::map<int, std::unique_ptr<Transfer>> waiting; // by id, so oldest first
    std::map<int, std::unique_ptr<Transfer>> running;
    std::set<int> landing; // finished, their completions not yet run

    Transfers()
    {
        globalInit();
        multi = curl_multi_init();
    }
    ~Transfers()
    {
        clear();
        if (multi)
            curl_multi_cleanup(multi);
    }
    void stop(Transfer& t)
    {
        if (multi && t.easy)
            curl_multi_remove_handle(multi, t.easy);
    }
    void clear()
    {
        for (auto& r : running)
            stop(*r.second);
        running.clear();
        waiting.clear();
        landing.clear();
    }
};

TransportService& TransportService::instance()
{
    static TransportService theService;
    return theService;
}

TransportService::TransportService() : mTransfers(new Transfers) {}

TransportService::~TransportService() = default;

std::string TransportService::getSetting(const std::string& name) const
{
    auto it = mSettings.find(name);
    return it == mSettings.end() ? std::string() : it->second;
}

void TransportService::setSocketRoute(const std::string& host, const std::string& socketPath)
{
    mRoutedHost = socketPath.empty() ? std::string() : host;
    mRoutedSocket = socketPath;
}

std::size_t TransportService::clientLimit() const
{
    const long long n = positive(getSetting("MAX_CLIENT"));
    if (n <= 0)
        return kDefaultClients;
    return static_cast<std::size_t>(n) < kMostClients ? static_cast<std::size_t>(n) : kMostClients;
}

int TransportService::startJob(Work work)
{
    const int id = mNextJob++;
    if (mNextJob <= 0)
        mNextJob = 1;
    mJobs[id] = std::move(work);
    return id;
}

int TransportService::startTransfer(const std::string& url, const std::string& file, TransferDone done)
{
    const int id = mNextJob++;
    if (mNextJob <= 0)
        mNextJob = 1;
    std::unique_ptr<Transfer> t(new Transfer);
    t->id = id;
    t->url = url;
    t->file = file;
    t->done = std::move(done);
    mTransfers->waiting[id] = std::move(t);
    return id;
}

bool TransportService::transferNow(const std::string& url, const std::string& file, std::string& error)
{
    globalInit();
    Transfer t;
    t.url = url;
    t.file = file;
    if (!prepare(t, *this)) {
        error = t.error;
        std::string ignored;
        finish(t, CURLE_FAILED_INIT, ignored);
        return false;
    }
    curl_easy_setopt(t.easy, CURLOPT_TIMEOUT_MS, kAtOnceMillis);
    const CURLcode code = curl_easy_perform(t.easy);
    return finish(t, code, error);
}

bool TransportService::cancelJob(int id)
{
    if (mJobs.erase(id) > 0 || mTransfers->waiting.erase(id) > 0 || mTransfers->landing.erase(id) > 0)
        return true;
    auto it = mTransfers->running.find(id);
    if (it == mTransfers->running.end())
        return false;
    mTransfers->stop(*it->second);
    mTransfers->running.erase(it); // its ".part" file goes with it
    return true;
}

void TransportService::getQueuedJobs(std::size_t& active, std::size_t& waiting) const
{
    const std::size_t limit = clientLimit();
    const std::size_t jobs = mJobs.size() < limit ? mJobs.size() : limit;
    active = jobs + mTransfers->running.size();
    waiting = mJobs.size() - jobs + mTransfers->waiting.size();
}

void TransportService::clear()
{
    mJobs.clear();
    mTransfers->clear();
}

void TransportService::update()
{
    // The ids of this pump are fixed first: work that starts or cancels jobs changes the map.
    std::vector<int> due;
    const std::size_t limit = clientLimit();
    for (auto it = mJobs.begin(); it != mJobs.end() && due.size() < limit; ++it)
        due.push_back(it->first);
    for (int id : due) {
        auto it = mJobs.find(id);
        if (it == mJobs.end())
            continue; // cancelled by an earlier job's work
        Work work = std::move(it->second);
        mJobs.erase(it);
        try {
            if (work)
                work();
        } catch (const std::exception& e) {
            logLine(Severity::Error, std::string("transfer failed: ") + e.what());
        }
    }

    Transfers& tr = *mTransfers;
    // Landed transfers are answered after the pump, so a completion that starts or cancels
    // transfers never changes the lists being walked.
    struct Landed {
        int id;
        TransferDone done;
        bool ok;
        std::string error;
    };
    std::vector<Landed> landed;
    while (!tr.waiting.empty() && tr.running.size() < limit && tr.multi) {
        std::unique_ptr<Transfer> t = std::move(tr.waiting.begin()->second);
        tr.waiting.erase(tr.waiting.begin());
        if (!prepare(*t, *this) || curl_multi_add_handle(tr.multi, t->easy) != CURLM_OK) {
            std::string error;
            finish(*t, CURLE_FAILED_INIT, error);
            landed.push_back(Landed{t->id, std::move(t->done), false, error});
            continue;
        }
        t->deadline = &tr.deadline;
        const int id = t->id;
        tr.running[id] = std::move(t);
    }
    if (!tr.running.empty()) {
        tr.deadline = std::chrono::steady_clock::now() + kPumpBudget;
        // Transfers paused by the last pump's budget go on (what they held back comes first).
        for (auto& r : tr.running)
            if (r.second->paused) {
                r.second->paused = false;
                curl_easy_pause(r.second->easy, CURLPAUSE_CONT);
            }
        int stillRunning = 0;
        curl_multi_perform(tr.multi, &stillRunning);
        int left = 0;
        while (CURLMsg* msg = curl_multi_info_read(tr.multi, &left)) {
            if (msg->msg != CURLMSG_DONE)
                continue;
            const CURLcode code = msg->data.result;
            CURL* easy = msg->easy_handle;
            for (auto it = tr.running.begin(); it != tr.running.end(); ++it) {
                if (it->second->easy != easy)
                    continue;
                std::unique_ptr<Transfer> t = std::move(it->second);
                tr.running.erase(it);
                tr.stop(*t);
                std::string error;
                const bool ok = finish(*t, code, error);
                if (!ok)
                    logLine(Severity::Warning, "download of " + t->url + " failed: " + error);
                landed.push_back(Landed{t->id, std::move(t->done), ok, error});
                break;
            }
        }
    }
    for (const Landed& l : landed)
        tr.landing.insert(l.id);
    for (Landed& l : landed) {
        // An earlier completion may have cancelled this one (its owner gone).
        if (tr.landing.erase(l.id) == 0)
            continue;
        try {
            if (l.done)
                l.done(l.ok, l.error);
        } catch (const std::exception& e) {
            logLine(Severity::Error, std::string("transfer completion failed: ") + e.what());
        }
    }
}

} // namespace core
} // namespace kavri3D
