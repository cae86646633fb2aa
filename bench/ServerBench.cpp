// The embedded server's cost per request: 100,000 mixed requests of the game (queries, changes
// of the world, chat) against the world in memory while 200 of the server's own players come,
// go and chat, beside the broker's own cost of the same requests answered at once by a constant
// answer through the same link, in the same run, block by block in turn. The world in a file is
// measured after, for comparison. Memory is read before and after: it must stay flat.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>
#include <data/ZRKDataLib.h>
#include <server/ZRKGameServer.h>
#include <server/ZRKServerCore.h>
#include <data/ZRKRequestBroker.h>
#include <data/ZRKSession.h>
#include <data/ZRKTaskRequest.h>
#include <data/ZRKTransport.h>
#include <data/ZRKUserRequest.h>
#include <yake/Logger.h>
#include <yake/Time.h>

using namespace kavri3D;
using namespace kavri3D::zrk;

namespace {

double now() { return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count(); }

long rssKb()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.compare(0, 6, "VmRSS:") == 0)
            return std::atol(line.c_str() + 6);
    return 0;
}

/// The broker's own cost: every request answered on the next frame with one constant reply.
struct ConstantLink : ZRKTransport {
    std::vector<long> waiting;
    void send(ZRKMessage request) override { waiting.push_back(request.handle); }
    void receive(std::vector<ZRKMessage>& out) override
    {
        for (long h : waiting)
            out.push_back(ZRKMessage::reply(h, false, "0"));
        waiting.clear();
    }
};

/// The session's one link, pointed at one server or the other between blocks.
struct SwitchLink : ZRKTransport {
    ZRKTransport* to = nullptr;
    void send(ZRKMessage request) override { to->send(std::move(request)); }
    void receive(std::vector<ZRKMessage>& out) override { to->receive(out); }
};

const int kPerFrame = 50;
const double kTargetRatio = 3.0; ///< the world's cost per request, at most this many times the broker's
const long kFlatKb = 2048;       ///< what serving may add to the resident memory over the measured rounds

core::XmlConfigHelper move(int from, int to)
{
    core::XmlConfigHelper p;
    p.setIntVal("slot_from", from);
    p.setIntVal("slot_to", to);
    return p;
}

/// The mix, one request per call, in turn: what the game asks most, two changes and a chat line.
/// The bag moves are what a player does: into an empty cell and back, and now and then a swap.
void sendOne(ZRKSession& session, long i, const ZRKReply& done)
{
    static const core::XmlConfigHelper moves[4] = {move(61, 62), move(61, 70), move(70, 61), move(62, 61)};
    switch (i % 10) {
    case 0:
        ZRKUserRequest::queryUserInfo0("", done);
        break;
    case 1:
        ZRKUserRequest::queryUserInventory(0, done);
        break;
    case 2:
        ZRKUserRequest::queryPcStats(done);
        break;
    case 3:
        ZRKTaskRequest::getPcQuestList(false, done);
        break;
    case 4:
        ZRKUserRequest::queryUserInfo("Anvil", true, done);
        break;
    case 5:
        ZRKUserRequest::queryUserDefState("hero", done);
        break;
    case 6:
        ZRKUserRequest::addStatsPoint("{dex:0,luk:0,str:0,vit:0}\n", done);
        break;
    case 7:
        ZRKUserRequest::changeSlot(moves[(i / 10) % 4], done);
        break;
    case 8:
        ZRKRequestBroker::call("ZRKDataLib", "refreshLib", done, std::string("quest"));
        break;
    default:
        session.getMsgClient()->sendRoomMessage(session.decorateRoom("plains"), "", "gg");
        done(false, "");
        break;
    }
}

/// Sends `count` requests, `kPerFrame` a frame, and runs frames until all are answered.
/// Returns the seconds taken and counts the failed answers.
double block(ZRKSession& session, long first, long count, long& failed)
{
    long answered = 0;
    ZRKReply done = [&](bool error, const std::string&) {
        ++answered;
        failed += error ? 1 : 0;
    };
    const double start = now();
    for (long i = first; i < first + count;) {
        for (int k = 0; k < kPerFrame && i < first + count; ++k, ++i)
            sendOne(session, i, done);
        yake::native::advanceTime(1.0 / 60);
        session.update(1.f / 60);
    }
    for (int spare = 0; spare < 10 && answered < count; ++spare) {
        yake::native::advanceTime(1.0 / 60);
        session.update(1.f / 60);
    }
    return now() - start;
}

bool logIn(ZRKSession& session)
{
    int code = -1;
    session.login("hero", "hero123", [&](core::ISession*, int c) { code = c; });
    for (int i = 0; i < 5 && code < 0; ++i)
        session.update(0);
    if (code != 0)
        return false;
    session.enter("plains", "");
    session.update(0);
    session.update(0);
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    const long total = argc > 1 ? std::atol(argv[1]) : 100000;
    const long rounds = 20; // blocks in turn, so a busy machine weighs on both alike
    const long perBlock = total / rounds;
    yake::logging::logger::instance().setEchoToStderr(false);
    yake::native::setManualClock(true);
    yake::native::setTime(1000.0);

    ZRKServerConfig memory;
    memory.bots = 200;
    ZRKGameServer world(memory);
    ConstantLink constant;
    auto* link = new SwitchLink;
    link->to = &world;
    ZRKSession session(nullptr);
    session.setTransport(std::unique_ptr<ZRKTransport>(link));
    if (!world.isReady() || !logIn(session)) {
        std::fprintf(stderr, "zrk_bench_server: the world did not start (run from the program folder)\n");
        return 1;
    }
    // The server's players come online within their first seconds.
    for (int i = 0; i < 600; ++i) {
        yake::native::advanceTime(1.0 / 60);
        session.update(1.f / 60);
    }
    long failed = 0;
    block(session, 0, perBlock, failed); // warm-up: statements prepared, views made
    link->to = &constant;
    block(session, 0, perBlock, failed);
    failed = 0;
    const long rssStart = rssKb();

    double worldTime = 0, brokerTime = 0;
    for (long r = 0; r < rounds; ++r) {
        link->to = &constant;
        brokerTime += block(session, r * perBlock, perBlock, failed);
        link->to = &world;
        worldTime += block(session, r * perBlock, perBlock, failed);
    }
    const long rssEnd = rssKb();
    const long online = static_cast<long>(world.core().bots().onlineCount());

    // The same against a world in a file, for comparison.
    char folder[] = "/tmp/zrk_bench_server_XXXXXX";
    double fileUs = -1;
    long fileFailed = 0;
    if (mkdtemp(folder)) {
        ZRKServerConfig file;
        file.bots = 200;
        file.database = std::string(folder) + "/world.db";
        ZRKGameServer onDisk(file);
        link->to = &onDisk;
        if (onDisk.isReady() && logIn(session)) {
            block(session, 0, perBlock, fileFailed);
            fileUs = block(session, 0, perBlock * 2, fileFailed) * 1e6 / static_cast<double>(perBlock * 2);
        }
        link->to = &constant;
        for (const char* end : {"", "-wal", "-shm"})
            std::remove((file.database + end).c_str());
        rmdir(folder);
    }

    const long n = perBlock * rounds;
    const double worldUs = worldTime * 1e6 / static_cast<double>(n);
    const double brokerUs = brokerTime * 1e6 / static_cast<double>(n);
    const double ratio = worldUs / brokerUs;
    const long grownKb = rssEnd - rssStart;
    std::printf("server players_online=%ld refused=%ld file_refused=%ld file_world_us=%.2f\n", online, failed,
                fileFailed, fileUs);
    std::printf(
        "server requests=%ld world_us=%.2f broker_us=%.2f ratio=%.2f (target <= %.1f) rss_start_kb=%ld rss_end_kb=%ld "
        "(target: grows <= %ld kb)\n",
        n, worldUs, brokerUs, ratio, kTargetRatio, rssStart, rssEnd, kFlatKb);
    // A benchmark that passes a broken build measures nothing: each miss fails the run.
    bool met = true;
    auto miss = [&met](const char* what) {
        std::fprintf(stderr, "zrk_bench_server: %s\n", what);
        met = false;
    };
    if (failed > 0 || fileFailed > 0 || fileUs < 0)
        miss("requests were refused: the mix must be answered whole");
    if (online == 0)
        miss("none of the server's players came online");
    if (ratio > kTargetRatio)
        miss("the world costs more than its target against the broker");
    if (grownKb > kFlatKb)
        miss("memory grew while serving the same mix");
    return met ? 0 : 1;
}
