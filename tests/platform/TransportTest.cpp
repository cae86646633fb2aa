// Transfers and the download cache: jobs land a pump after they start, at most the clients'
// worth per pump; a fetch downloads over HTTP from a server on this machine into the cache
// folder, fails cleanly on every bad reply, refuses keys that leave the folder, and never
// answers a cache or a requester that is gone.
#include <gtest/gtest.h>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <httplib.h>
#include <core/HttpFileCache.h>
#include <filesystem>
#include <csignal>
#include <memory>
#include <sys/resource.h>
#include <sys/stat.h>
#include <transport/TransportService.h>
#include <vector>

#include "support/LoopbackFiles.h"
#include "support/TestEnv.h"

using namespace kavri3D::core;

namespace {

struct TransportFixture : ::testing::Test {
    TransportService& transport = TransportService::instance();
    TransportFixture()
    {
        transport.clear();
        transport.setSetting("MAX_CLIENT", "2");
    }
    ~TransportFixture() override { transport.clear(); }
    std::size_t inFlight() const
    {
        std::size_t active = 0, waiting = 0;
        transport.getQueuedJobs(active, waiting);
        return active + waiting;
    }
};

/// A cache fetching from a file server on this machine, with what it was told.
struct CacheFixture : TransportFixture {
    zrktest::TempDir dir;
    std::string served = dir.file("served");
    zrktest::LoopbackFiles files;
    std::unique_ptr<HttpFileCache> cache{new HttpFileCache};
    std::vector<std::string> landed;
    std::atomic<int> running{0}, mostRunning{0};

    CacheFixture()
    {
        EXPECT_TRUE(cache->create(dir.file("cache")));
        zrktest::writeFile(served + "/data/box1.ss1", "box one");
        addFaults(files.server.httpServer());
        EXPECT_TRUE(files.start(served));
    }
    /// Replies that go wrong in each way a server's can.
    void addFaults(httplib::Server& http)
    {
        http.Get("/files/fault/500", [](const httplib::Request&, httplib::Response& res) { res.status = 500; });
        http.Get("/files/fault/loop",
                 [](const httplib::Request&, httplib::Response& res) { res.set_redirect("/files/fault/loop"); });
        http.Get("/files/fault/short", [](const httplib::Request&, httplib::Response& res) {
            res.set_content_provider(1000, "application/octet-stream",
                                     [](std::size_t, std::size_t, httplib::DataSink& sink) {
                                         sink.write("only ten b", 10);
                                         return false; // the connection drops with 990 bytes owed
                                     });
        });
        http.Get("/files/fault/huge", [](const httplib::Request&, httplib::Response& res) {
            res.set_content_provider(static_cast<std::size_t>(TransportService::kMaxFileSize) + 1,
                                     "application/octet-stream", [](std::size_t, std::size_t, httplib::DataSink& sink) {
                                         static const std::string block(64 * 1024, 'x');
                                         return sink.write(block.data(), block.size());
                                     });
        });
        http.Get("/files/fault/stall", [](const httplib::Request&, httplib::Response& res) {
            res.set_content_provider(1000, "application/octet-stream",
                                     [](std::size_t offset, std::size_t, httplib::DataSink& sink) {
                                         if (offset == 0)
                                             return sink.write("a", 1);
                                         // Then nothing more, until the client gives up.
                                         for (int i = 0; i < 300 && sink.is_writable(); ++i)
                                             std::this_thread::sleep_for(std::chrono::milliseconds(10));
                                         return false;
                                     });
        });
        http.Get("/files/slow/(.*)", [this](const httplib::Request&, httplib::Response& res) {
            const int now = ++running;
            int most = mostRunning.load();
            while (now > most && !mostRunning.compare_exchange_weak(most, now)) {
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(40));
            --running;
            res.set_content("slow", "text/plain");
        });
    }
    HttpFileCache::Completion record()
    {
        return [this](const std::string& key, const std::string& file) {
            landed.push_back(key + (file.empty() ? " failed" : " ok"));
        };
    }
    std::size_t filesIn(const std::string& folder) const
    {
        std::size_t n = 0;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(folder))
            n += entry.is_regular_file() ? 1 : 0;
        return n;
    }
};

} // namespace

TEST_F(TransportFixture, JobsLandAtTheNextPumpOldestFirstAndAtMostTheClientsWorth)
{
    std::vector<int> order;
    for (int i = 0; i < 3; ++i)
        transport.startJob([&order, i] { order.push_back(i); });
    std::size_t active = 0, waiting = 0;
    transport.getQueuedJobs(active, waiting);
    EXPECT_EQ(active, 2u);
    EXPECT_EQ(waiting, 1u);
    EXPECT_TRUE(order.empty()); // nothing lands inside the call that started it

    transport.update();
    EXPECT_EQ(order, std::vector<int>({0, 1}));
    transport.update();
    EXPECT_EQ(order, std::vector<int>({0, 1, 2}));
    EXPECT_EQ(inFlight(), 0u);

    transport.setSetting("MAX_CLIENT", "nonsense"); // a bad setting keeps two clients
    for (int i = 3; i < 6; ++i)
        transport.startJob([&order, i] { order.push_back(i); });
    transport.update();
    EXPECT_EQ(order.size(), 5u);
}

TEST_F(TransportFixture, CancelledJobsNeverRunAndJobsStartedByAJobWaitForTheNextPump)
{
    int ran = 0;
    const int cancelled = transport.startJob([&ran] { ran += 100; });
    transport.startJob([&] {
        ++ran;
        transport.startJob([&ran] { ran += 10; });
    });
    EXPECT_TRUE(transport.cancelJob(cancelled));
    EXPECT_FALSE(transport.cancelJob(cancelled));
    transport.update();
    EXPECT_EQ(ran, 1);
    transport.update();
    EXPECT_EQ(ran, 11);
}

TEST_F(CacheFixture, AFetchLandsOnALaterPumpAsTheKeysFileAndAnswersOnce)
{
    ASSERT_TRUE(cache->resolve("box1", files.url("data/box1.ss1"), "", record()));
    EXPECT_TRUE(cache->resolve("box1", files.url("data/box1.ss1"), record())); // not twice
    EXPECT_EQ(cache->count(), 1u);
    EXPECT_FALSE(cache->hitCache("box1"));
    EXPECT_EQ(inFlight(), 1u);
    EXPECT_TRUE(landed.empty()); // nothing lands inside the call that asked

    ASSERT_TRUE(zrktest::pumpUntil([&] { return !landed.empty(); }));
    EXPECT_EQ(landed, std::vector<std::string>({"box1 ok"}));
    EXPECT_EQ(zrktest::readFile(cache->keyToFile("box1")), "box one");
    EXPECT_EQ(cache->count(), 0u);
    EXPECT_EQ(inFlight(), 0u);
    transport.update();
    EXPECT_EQ(landed.size(), 1u);
    EXPECT_EQ(filesIn(cache->folder()), 1u); // nothing half-written beside it

    // Keys may be relative paths; a file already there is nothing to wait for.
    ASSERT_TRUE(cache->resolve("res/GUIX1/box.ss1", files.url("data/box1.ss1"), record()));
    ASSERT_TRUE(zrktest::pumpUntil([&] { return landed.size() == 2; }));
    EXPECT_EQ(zrktest::readFile(dir.file("cache/res/GUIX1/box.ss1")), "box one");
    EXPECT_FALSE(cache->resolve("res/GUIX1/box.ss1", files.url("data/box1.ss1"), record()));
    EXPECT_EQ(inFlight(), 0u);
}

TEST_F(CacheFixture, ALargeFileComesOverManyPumpsWholeAndByteForByte)
{
    // A pump takes in only a share of a large file on a fast line: the transfer pauses and goes
    // on at the next, and nothing is lost or written twice on the way.
    std::string big(32u << 20, '\0');
    for (std::size_t i = 0; i < big.size(); ++i)
        big[i] = static_cast<char>((i * 2654435761u) >> 13);
    zrktest::writeFile(served + "/data/big.bin", big);
    ASSERT_TRUE(cache->resolve("big.bin", files.url("data/big.bin"), record()));
    int pumps = 0;
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (landed.empty() && std::chrono::steady_clock::now() < end) {
        transport.update();
        ++pumps;
    }
    ASSERT_EQ(landed, std::vector<std::string>({"big.bin ok"}));
    EXPECT_GE(pumps, 4);
    EXPECT_TRUE(zrktest::readFile(cache->keyToFile("big.bin")) == big);
    EXPECT_EQ(filesIn(cache->folder()), 1u);
}

TEST_F(CacheFixture, EveryBadReplyFailsWithAnEmptyPathAndLeavesNoPartFile)
{
    transport.setSetting("MAX_CLIENT", "8");
    transport.setSetting("_LOW_SPEED_LIMIT", "100");
    transport.setSetting("_LOW_SPEED_TIME", "1");
    const std::vector<std::pair<std::string, std::string>> bad = {{"missing", files.url("data/gone.ss1")},
                                                                  {"error", files.url("fault/500")},
                                                                  {"short", files.url("fault/short")},
                                                                  {"huge", files.url("fault/huge")},
                                                                  {"stalled", files.url("fault/stall")},
                                                                  {"looping", files.url("fault/loop")},
                                                                  {"climbing", files.url("../../etc/passwd")},
                                                                  {"encoded", files.url("%2e%2e/%2e%2e/etc/passwd")},
                                                                  {"ftp", "ftp://127.0.0.1/files/data/box1.ss1"},
                                                                  {"file", "file:///etc/passwd"},
                                                                  {"nonsense", "not an address at all"},
                                                                  {"closed", "http://127.0.0.1:1/files/data/box1.ss1"}};
    for (const auto& b : bad)
        EXPECT_TRUE(cache->resolve(b.first, b.second, record())) << b.first;
    ASSERT_TRUE(zrktest::pumpUntil([&] { return landed.size() == bad.size(); }, 20000));
    for (const auto& b : bad)
        EXPECT_NE(std::find(landed.begin(), landed.end(), b.first + " failed"), landed.end()) << b.first;
    EXPECT_EQ(filesIn(cache->folder()), 0u);
    EXPECT_TRUE(zrktest::transportIdle());
}

TEST_F(CacheFixture, AFullDiskFailsTheFetchAndLeavesNothingUnderEitherName)
{
    // The disk takes no more than a few bytes of any file (the process's file size limit).
    struct FileLimit {
        rlimit old{};
        void (*oldSignal)(int) = nullptr;
        FileLimit()
        {
            ::getrlimit(RLIMIT_FSIZE, &old);
            oldSignal = std::signal(SIGXFSZ, SIG_IGN);
            rlimit small = old;
            small.rlim_cur = 4;
            ::setrlimit(RLIMIT_FSIZE, &small);
        }
        ~FileLimit()
        {
            ::setrlimit(RLIMIT_FSIZE, &old);
            std::signal(SIGXFSZ, oldSignal);
        }
    };
    {
        FileLimit full;
        ASSERT_TRUE(cache->resolve("box1", files.url("data/box1.ss1"), record()));
        ASSERT_TRUE(zrktest::pumpUntil([&] { return !landed.empty(); }));
    }
    EXPECT_EQ(landed, std::vector<std::string>({"box1 failed"}));
    EXPECT_FALSE(std::filesystem::exists(cache->folder() + "box1"));
    EXPECT_FALSE(std::filesystem::exists(cache->folder() + "box1.part"));
}

TEST_F(CacheFixture, NothingPlantedAtTheDownloadsNameIsWrittenThroughOrIntoOrWaitedOn)
{
    zrktest::writeFile(dir.file("victim"), "keep me");
    std::filesystem::create_symlink(dir.file("victim"), cache->folder() + "box1.part");
    ASSERT_EQ(::mkfifo((cache->folder() + "box2.part").c_str(), 0600), 0);
    // A file anybody may write, another user's where the test may give it away: its bytes are
    // seen through a second name of it, which the download does not touch.
    const std::string theirs = cache->folder() + "box3.part";
    zrktest::writeFile(theirs, "theirs");
    ::chmod(theirs.c_str(), 0666);
    std::filesystem::create_hard_link(theirs, dir.file("theirs"));
    if (::geteuid() == 0) {
        ASSERT_EQ(::chown(theirs.c_str(), 65534, 65534), 0);
    }
    ASSERT_TRUE(cache->resolve("box1", files.url("data/box1.ss1"), record()));
    ASSERT_TRUE(cache->resolve("box2", files.url("data/box1.ss1"), record()));
    ASSERT_TRUE(cache->resolve("box3", files.url("data/box1.ss1"), record()));
    ASSERT_TRUE(zrktest::pumpUntil([&] { return landed.size() == 3; }));
    EXPECT_EQ(zrktest::readFile(dir.file("victim")), "keep me");
    EXPECT_EQ(zrktest::readFile(dir.file("theirs")), "theirs");
    for (const char* key : {"box1", "box2", "box3"}) {
        struct stat st {};
        ASSERT_EQ(::lstat((cache->folder() + key).c_str(), &st), 0) << key;
        EXPECT_TRUE(S_ISREG(st.st_mode)) << key;
        EXPECT_EQ(st.st_mode & 0777, 0600u) << key; // the player's alone
    }
}

TEST_F(CacheFixture, KeysThatLeaveTheFolderAreRefusedYetAnsweredAsFailures)
{
    const std::vector<std::string> keys = {"../box1", "/etc/box1", "sub//box1",  "sub\\box1",
                                           "..",      ".",         "sub/./box1", ""};
    for (const std::string& key : keys) {
        EXPECT_EQ(cache->keyToFile(key), "") << key;
        EXPECT_TRUE(cache->resolve(key, files.url("data/box1.ss1"), record())) << key;
        EXPECT_FALSE(cache->fetchNow(key, files.url("data/box1.ss1"))) << key;
    }
    EXPECT_TRUE(landed.empty()); // a later frame
    ASSERT_TRUE(zrktest::pumpUntil([&] { return landed.size() == keys.size(); }));
    for (const std::string& key : keys)
        EXPECT_NE(std::find(landed.begin(), landed.end(), key + " failed"), landed.end()) << key;
    EXPECT_FALSE(std::filesystem::exists(dir.file("box1")));
    EXPECT_EQ(filesIn(cache->folder()), 0u);
}

TEST_F(CacheFixture, AbortedOrDestroyedCachesAnswerNobody)
{
    cache->resolve("box1", files.url("data/box1.ss1"), record());
    cache->abort("box1");
    EXPECT_TRUE(zrktest::transportIdle());
    cache->resolve("slow", files.url("slow/a"), record());
    transport.update(); // on its way
    cache->destroy();
    EXPECT_EQ(cache->count(), 0u);
    EXPECT_TRUE(zrktest::transportIdle());

    ASSERT_TRUE(cache->create(dir.file("cache")));
    cache->resolve("slow", files.url("slow/b"), record());
    transport.update();
    cache.reset(); // a reply that arrives late finds no one
    EXPECT_TRUE(zrktest::transportIdle());
    zrktest::FramePump([&] {
        transport.update();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        return true;
    }).frames(100);
    EXPECT_TRUE(landed.empty());
    EXPECT_EQ(filesIn(dir.file("cache")), 0u);
}

TEST_F(CacheFixture, NeverMoreThanTheClientsAtOnce)
{
    transport.setSetting("MAX_CLIENT", "2");
    for (int i = 0; i < 6; ++i)
        cache->resolve("slow" + std::to_string(i), files.url("slow/" + std::to_string(i)), record());
    std::size_t mostActive = 0;
    ASSERT_TRUE(zrktest::pumpUntil([&] {
        std::size_t active = 0, waiting = 0;
        transport.getQueuedJobs(active, waiting);
        mostActive = std::max(mostActive, active);
        return landed.size() == 6;
    }));
    EXPECT_EQ(mostActive, 2u);
    EXPECT_LE(mostRunning.load(), 2);
    EXPECT_EQ(std::count(landed.begin(), landed.end(), "slow3 ok"), 1);
}

TEST_F(CacheFixture, FetchNowDownloadsAtOnceAndACacheWithoutAFolderFailsLater)
{
    EXPECT_TRUE(cache->fetchNow("box1", files.url("data/box1.ss1")));
    EXPECT_TRUE(cache->hitCache("box1"));
    EXPECT_FALSE(cache->fetchNow("box2", files.url("data/box2.ss1")));
    EXPECT_FALSE(cache->hitCache("box2"));
    // A server that starts and then stalls holds the frame a second, not the three it stalls for.
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(cache->fetchNow("box3", files.url("fault/stall")));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(2000));
    EXPECT_EQ(filesIn(cache->folder()), 1u); // box1 alone: no part file left

    HttpFileCache none;
    EXPECT_FALSE(none.create(""));
    EXPECT_TRUE(none.resolve("box1", files.url("data/box1.ss1"), "", record()));
    EXPECT_EQ(none.keyToFile("box1"), "");
    ASSERT_TRUE(zrktest::pumpUntil([&] { return !landed.empty(); }));
    EXPECT_EQ(landed, std::vector<std::string>({"box1 failed"}));
}
