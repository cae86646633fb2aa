// Transfers and the download cache: jobs land a pump after they start, at most the clients'
// worth per pump; a fetch copies the served file into the cache folder, refuses keys with path
// parts, and never answers a cache or a requester that is gone.
#include <gtest/gtest.h>
#include <core/HttpFileCache.h>
#include <filesystem>
#include <memory>
#include <transport/TransportService.h>
#include <vector>

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

/// A cache serving "http://files.test" from a served folder, with what it was told.
struct CacheFixture : TransportFixture {
    zrktest::TempDir dir;
    std::string served = dir.file("served/");
    std::unique_ptr<HttpFileCache> cache{new HttpFileCache};
    std::vector<std::string> landed;

    CacheFixture()
    {
        EXPECT_TRUE(cache->create(dir.file("cache")));
        cache->setServedFrom("http://files.test", served);
        zrktest::writeFile(served + "data/box1.ss1", "box one");
    }
    HttpFileCache::Completion record()
    {
        return [this](const std::string& key, const std::string&, bool ok) {
            landed.push_back(key + (ok ? " ok" : " failed"));
        };
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

TEST_F(CacheFixture, AFetchLandsOnePumpLaterAsTheKeysFileAndAnswersOnce)
{
    ASSERT_TRUE(cache->resolve("box1", "http://files.test/files/data/box1.ss1", "", record()));
    EXPECT_TRUE(cache->resolve("box1", "http://files.test/files/data/box1.ss1", "", record())); // not twice
    EXPECT_EQ(cache->count(), 1u);
    EXPECT_FALSE(cache->hitCache("box1"));
    EXPECT_EQ(inFlight(), 1u);

    transport.update();
    EXPECT_EQ(landed, std::vector<std::string>({"box1 ok"}));
    EXPECT_TRUE(cache->hitCache("box1"));
    EXPECT_EQ(zrktest::readFile(cache->keyToFile("box1")), "box one");
    EXPECT_EQ(cache->count(), 0u);
    transport.update();
    EXPECT_EQ(landed.size(), 1u);
    // Nothing is left half-written beside it.
    std::size_t files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(cache->folder()))
        files += entry.is_regular_file() ? 1 : 0;
    EXPECT_EQ(files, 1u);
}

TEST_F(CacheFixture, AnAddressThatIsNotServedFailsAndKeysWithPathPartsAreRefused)
{
    ASSERT_TRUE(cache->resolve("gone", "http://files.test/files/data/gone.ss1", "", record()));
    ASSERT_TRUE(cache->resolve("other", "http://elsewhere.test/files/data/box1.ss1", "", record()));
    ASSERT_TRUE(cache->resolve("climb", "http://files.test/files/../../etc/passwd", "", record()));
    transport.update();
    transport.update();
    EXPECT_EQ(landed, std::vector<std::string>({"gone failed", "other failed", "climb failed"}));
    EXPECT_FALSE(cache->hitCache("gone"));

    for (const char* key : {"../box1", "sub/box1", "sub\\box1", "..", ""}) {
        EXPECT_FALSE(cache->resolve(key, "http://files.test/files/data/box1.ss1", "", record())) << key;
        EXPECT_EQ(cache->keyToFile(key), "") << key;
        EXPECT_FALSE(cache->fetchNow(key, "http://files.test/files/data/box1.ss1")) << key;
    }
    EXPECT_EQ(inFlight(), 0u);
    EXPECT_FALSE(std::filesystem::exists(dir.file("box1")));
}

TEST_F(CacheFixture, AbortedOrDestroyedCachesAnswerNobody)
{
    cache->resolve("box1", "http://files.test/files/data/box1.ss1", "", record());
    cache->abort("box1");
    transport.update();
    EXPECT_TRUE(landed.empty());
    EXPECT_FALSE(cache->hitCache("box1"));

    cache->resolve("box1", "http://files.test/files/data/box1.ss1", "", record());
    cache.reset(); // a reply that arrives late finds no one
    EXPECT_EQ(inFlight(), 0u);
    transport.update();
    EXPECT_TRUE(landed.empty());
}

TEST_F(CacheFixture, FetchNowCopiesAtOnceAndACacheWithoutAFolderRefuses)
{
    EXPECT_TRUE(cache->fetchNow("box1", "http://files.test/files/data/box1.ss1"));
    EXPECT_TRUE(cache->hitCache("box1"));
    EXPECT_FALSE(cache->fetchNow("box2", "http://files.test/files/data/box2.ss1"));

    HttpFileCache none;
    EXPECT_FALSE(none.create(""));
    EXPECT_FALSE(none.resolve("box1", "http://files.test/files/data/box1.ss1", "", record()));
    EXPECT_EQ(none.keyToFile("box1"), "");
}
