// The data products: addresses from the manifest, the background walk through its stages (one
// fetch a step, only on a quiet transport, a bounded look at the list), fetching one at once,
// products found nowhere, and what a landed file becomes.
#include <gtest/gtest.h>
#include <core/BlackBoard.h>
#include <core/NetClientManager.h>
#include <arpa/inet.h>
#include <chrono>
#include <filesystem>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#include <scene/DefaultProductResolver.h>
#include <scene/ProductManager.h>
#include <transport/TransportService.h>
#include <util/Manifest.h>
#include <yake/Logger.h>

#include "shell/Application.h"
#include "shell/ZRKProductResolver.h"
#include "support/ForeignFile.h"
#include "support/LoopbackFiles.h"
#include "support/TestEnv.h"

using namespace kavri3D;
using zrk::ZRKProductResolver;

namespace {

struct ResolverFixture : ::testing::Test {
    zrktest::TempDir program;
    core::BlackBoard board;
    core::Manifest manifest;
    core::TransportService& transport = core::TransportService::instance();
    yake::logging::logger& log = yake::logging::logger::instance();
    zrktest::LoopbackFiles files;

    ResolverFixture()
    {
        board.setString("kavri3D/appPath", program.path() + "/");
        // The file server publishes the program folder's res/ (data/ is res/data/).
        EXPECT_TRUE(files.start(program.file("res"), "/files/installer/latest"));
        core::NetClientManager::setRunApplicationPath(files.server.getAddress());
        transport.clear();
        transport.setSetting("MAX_CLIENT", "2");
        core::ProductManager::instance().clear();
        log.enableAllSeverities();
        log.startCapture();
    }
    ~ResolverFixture() override
    {
        log.stopCapture();
        core::ProductManager::instance().setDocumentResolver(nullptr, false);
        core::ProductManager::instance().clear();
        transport.clear();
        core::NetClientManager::setRunApplicationPath(std::string());
    }
    std::string installer() const { return zrk::Application::getInstallerUrl(); }
    /// Frames until every download has landed.
    void land() { ASSERT_TRUE(zrktest::pumpUntil(zrktest::transportIdle)); }

    /// The manifest lists these files under "/files/data/".
    void list(const std::vector<std::string>& names)
    {
        std::string xml = "<manifest><folder path=\"/files/data/\">";
        for (const std::string& n : names)
            xml += "<file name=\"" + n + ".ss1\" path=\"/files/data/" + n + ".ss1\"/>";
        ASSERT_TRUE(manifest.read(xml + "</folder></manifest>"));
    }
    /// A resolver over the manifest with its cache folder.
    std::unique_ptr<ZRKProductResolver> make()
    {
        std::unique_ptr<ZRKProductResolver> r(new ZRKProductResolver(&manifest));
        r->setCacheFolder(program.file("cache"));
        return r;
    }
    /// The file server's copy of a product (the program folder's res/).
    void serve(const std::string& key, const std::string& text)
    {
        zrktest::writeFile(program.file("res/data/" + key + ".ss1"), text);
    }
    void cache(const std::string& key) { zrktest::writeFile(program.file("cache/" + key + ".ss1"), "{}"); }
    std::size_t logged(const std::string& text) const { return log.countCaptured("resx", text); }
};

} // namespace

TEST_F(ResolverFixture, ListedKeysTakeTheirListedPathAndOthersTheDataFolder)
{
    ASSERT_TRUE(manifest.read(
        "<manifest>"
        "<folder path=\"/FILES/DATA/maps/\"><file name=\"MapXS_01.SS1\" path=\"/files/data/maps/m1.ss1\"/>"
        "<file name=\"../../escape.ss1\" path=\"/files/data/escape.ss1\"/></folder>"
        "<folder path=\"/files/res/gui/\"><file name=\"panel.ss1\" path=\"/files/res/gui/panel.ss1\"/></folder>"
        "</manifest>"));
    auto r = make();
    EXPECT_EQ(r->getFileMap().size(), 1u);
    EXPECT_EQ(r->keyToUrl("mapxs_01"), installer() + "/files/data/maps/m1.ss1");
    EXPECT_EQ(r->keyToUrl("MAPXS_01"), installer() + "/files/data/maps/m1.ss1");
    EXPECT_EQ(r->keyToUrl("Box7"), installer() + "/files/data/Box7.ss1"); // unlisted: as asked
    EXPECT_EQ(r->keyToUrl("panel"), installer() + "/files/data/panel.ss1");
    EXPECT_EQ(log.countCaptured("resx", "kavri.manifest: \"../../escape.ss1\" is not a file name, left out"), 1u);
}

TEST_F(ResolverFixture, ABusyTransportStopsTheStepBeforeItLooksAtAnything)
{
    list({"mapxs_a"});
    cache("mapxs_a");
    auto r = make();
    transport.startJob([] {});
    r->prefetchStep();
    EXPECT_EQ(r->pendingCount(), 1u);
    EXPECT_EQ(r->getStage(), 0);
    land();
    r->prefetchStep();
    EXPECT_EQ(r->pendingCount(), 0u);
}

TEST_F(ResolverFixture, ThirtyProductsAlreadyHereGoTwentyFourThenSix)
{
    std::vector<std::string> names;
    for (int i = 0; i < 30; ++i)
        names.push_back("item_" + std::to_string(10 + i));
    list(names);
    for (int i = 0; i < 15; ++i)
        cache(names[static_cast<std::size_t>(i)]);
    for (int i = 15; i < 30; ++i) // the program folder's own copy counts in the first stage
        zrktest::writeFile(program.file("data/" + names[static_cast<std::size_t>(i)] + ".ss1"), "{}");
    auto r = make();
    r->prefetchStep();
    EXPECT_EQ(r->pendingCount(), 6u);
    EXPECT_EQ(r->getStage(), 0);
    r->prefetchStep();
    EXPECT_EQ(r->pendingCount(), 0u);
    EXPECT_EQ(r->count(), 0u); // nothing was fetched
    r->prefetchStep();
    EXPECT_EQ(r->getStage(), 1);
}

TEST_F(ResolverFixture, OneFetchAStepTheMapsFirstThenStageByStage)
{
    list({"zzz", "star_c", "buff_a", "wq1_cx", "mapxs_b", "daoju_d", "wq1_0100"});
    for (const char* key : {"zzz", "star_c", "buff_a", "wq1_cx", "mapxs_b", "daoju_d", "wq1_0100"})
        serve(key, "{\"shape\": \"cube\"}");
    auto r = make();
    std::vector<std::string> fetched;
    for (int step = 0; step < 100 && r->getStage() < ZRKProductResolver::kDone; ++step) {
        const std::size_t before = r->pendingCount();
        r->prefetchStep();
        ASSERT_LE(before - r->pendingCount(), 1u);
        for (const auto& entry : r->getFileMap())
            if (r->isFetching(entry.first))
                fetched.push_back(entry.first);
        land();
    }
    EXPECT_EQ(fetched,
              std::vector<std::string>({"mapxs_b", "wq1_0100", "wq1_cx", "daoju_d", "buff_a", "star_c", "zzz"}));
    EXPECT_EQ(r->getStage(), ZRKProductResolver::kDone);
    EXPECT_TRUE(std::filesystem::exists(program.file("cache/zzz.ss1")));
    // What landed is known to the product manager.
    ASSERT_TRUE(core::ProductManager::instance().lookup("buff_a", false));
    r->prefetchStep(); // finished: nothing more
}

TEST_F(ResolverFixture, FetchingNowStartsOnceAndKnowsWhatIsHere)
{
    ASSERT_TRUE(manifest.read("<manifest><folder path=\"/files/data/\">"
                              "<file name=\"box1.ss1\" path=\"/files/data/box1.ss1\"/>"
                              "<file name=\"box2.ss1\" path=\"/files/data/box2.ss1\"/>"
                              "<file name=\"odd.ss1\" path=\"XXXXXXXodd.ss1\"/></folder></manifest>"));
    zrktest::writeFile(program.file("odd.ss1"), "{}"); // where the cut path would point
    serve("box1", "{}");
    cache("box2");
    auto r = make();
    EXPECT_EQ(r->prefetchNow("BOX2"), 0); // in the cache under its lower-case key
    EXPECT_EQ(r->prefetchNow("Box1"), 1); // started
    EXPECT_TRUE(r->isFetching("box1"));
    EXPECT_EQ(r->prefetchNow("box1"), -1); // no longer waiting
    EXPECT_EQ(r->prefetchNow("unlisted"), -1);
    // Only a path under "/files/" has a copy in the program folder.
    EXPECT_EQ(r->prefetchNow("odd"), 1);
    EXPECT_EQ(r->prefetchNow("../box2"), -1);
    EXPECT_EQ(logged("data product \"../box2\" refused: not a file name"), 1u);
    land();
    EXPECT_TRUE(std::filesystem::exists(program.file("cache/box1.ss1")));
}

TEST_F(ResolverFixture, AProductFoundNowhereIsLoggedOnceAndShowsThePlaceholder)
{
    auto r = make();
    core::ProductManager::instance().setDocumentResolver(r.get(), true);
    core::SceneDocumentPtr ghost = core::DefaultProductResolver::resolve("Ghost", "", true);
    ASSERT_TRUE(ghost);
    EXPECT_EQ(ghost->name, "ghost");
    EXPECT_TRUE(ghost->mesh.empty());
    EXPECT_TRUE(ghost->shape.empty());
    EXPECT_EQ(core::DefaultProductResolver::resolve("ghost", "", true), ghost); // never asked again
    EXPECT_EQ(logged("data product ghost missing"), 1u);

    // In the background the same: nothing until the fetch fails, then the placeholder.
    EXPECT_FALSE(core::ProductManager::instance().lookup("phantom", true));
    EXPECT_FALSE(core::ProductManager::instance().lookup("phantom", true));
    EXPECT_EQ(r->count(), 1u);
    land();
    EXPECT_TRUE(core::ProductManager::instance().lookup("phantom", true));
    EXPECT_EQ(logged("data product phantom missing"), 1u);
    // A name with path parts never reaches the file system.
    EXPECT_TRUE(core::DefaultProductResolver::resolve("../../etc/passwd", "", true));
    EXPECT_EQ(logged("data product ../../etc/passwd missing"), 1u);
}

TEST_F(ResolverFixture, ASilentServerHoldsAPictureAskedForAtOnceASecondThenThePlaceholderShows)
{
    // A server that takes the connection and never answers: the request sits in its queue.
    const int silent = ::socket(AF_INET, SOCK_STREAM, 0);
    ASSERT_GE(silent, 0);
    sockaddr_in at{};
    at.sin_family = AF_INET;
    at.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof at;
    ASSERT_EQ(::bind(silent, reinterpret_cast<sockaddr*>(&at), sizeof at), 0);
    ASSERT_EQ(::listen(silent, 4), 0);
    ASSERT_EQ(::getsockname(silent, reinterpret_cast<sockaddr*>(&at), &length), 0);
    core::NetClientManager::setRunApplicationPath("http://127.0.0.1:" + std::to_string(ntohs(at.sin_port)));
    list({"prize_box"});
    auto r = make();
    core::ProductManager::instance().setDocumentResolver(r.get(), true);

    const auto start = std::chrono::steady_clock::now();
    core::SceneDocumentPtr box = core::ProductManager::instance().resolveNow("prize_box");
    const auto held = std::chrono::steady_clock::now() - start;
    ::close(silent);
    ASSERT_TRUE(box);
    EXPECT_TRUE(box->shape.empty()); // the placeholder
    EXPECT_GE(held, std::chrono::milliseconds(900));
    EXPECT_LT(held, std::chrono::milliseconds(2500)); // not the five seconds the frame froze for
    EXPECT_FALSE(std::filesystem::exists(program.file("cache/prize_box.ss1")));
    EXPECT_EQ(logged("data product prize_box missing"), 1u);
}

TEST_F(ResolverFixture, ALandedFileBecomesItsDocumentAndBadFilesGiveDefaults)
{
    serve("box1", R"({"shape": "cube", "size": [1.5, 1.2, 1.5], "colour": [0.8, 0.6, 0.2]})");
    serve("box2", R"({"shape": "pyramid", "size": "big", "colour": [2, -1, 0.5]})");
    serve("box3", "not a product");
    serve("box4", "{\"shape\": \"cube\", \"pad\": \"" + std::string(70000, 'x') + "\"}");
    auto r = make();
    core::ProductManager& products = core::ProductManager::instance();
    products.setDocumentResolver(r.get(), true);
    EXPECT_FALSE(products.lookup("box1", true));
    land();
    core::SceneDocumentPtr box = products.lookup("box1", true);
    ASSERT_TRUE(box);
    EXPECT_EQ(box->shape, "cube");
    EXPECT_FLOAT_EQ(box->size[1], 1.2f);
    EXPECT_FLOAT_EQ(box->colour[0], 0.8f);

    core::SceneDocumentPtr odd = core::DefaultProductResolver::resolve("box2", "", true);
    ASSERT_TRUE(odd);
    EXPECT_EQ(odd->shape, "");        // not a shape of ours
    EXPECT_FLOAT_EQ(odd->size[0], 1); // not three numbers: the default
    EXPECT_FLOAT_EQ(odd->colour[0], 1);
    EXPECT_FLOAT_EQ(odd->colour[1], 0); // kept in range
    EXPECT_EQ(log.countCaptured("product", "product box2: \"size\" is not three numbers"), 1u);
    for (const char* bad : {"box3", "box4"}) {
        core::SceneDocumentPtr doc = core::DefaultProductResolver::resolve(bad, "", true);
        ASSERT_TRUE(doc) << bad;
        EXPECT_TRUE(doc->shape.empty()) << bad;
        EXPECT_EQ(logged(std::string("data product ") + bad + " missing"), 1u);
    }
}

// Only the player's own download counts as a product in the cache: another user's file or a
// link at its name (planted while an older run left the cache open to others) goes, and the
// product comes from the file server again, in the background and when asked for at once.
TEST_F(ResolverFixture, AnotherUsersFileOrALinkAtAProductsNameIsFetchedAgain)
{
    board.setString("kavri3D/cachedPath", program.file("cache") + "/");
    list({"mapxs_hills", "box1", "box2"});
    for (const char* key : {"mapxs_hills", "box1", "box2"})
        serve(key, "{\"shape\": \"cube\"}");
    zrktest::writeFile(program.file("elsewhere.ss1"), "{\"shape\": \"sphere\"}");
    zrktest::writeFile(program.file("cache/mapxs_hills.ss1"), "{\"shape\": \"sphere\"}");
    std::filesystem::create_symlink(program.file("elsewhere.ss1"), program.file("cache/box1.ss1"));
    std::filesystem::create_symlink(program.file("elsewhere.ss1"), program.file("cache/box2.ss1"));
    zrktest::ForeignFile theirs(program.file("cache/mapxs_hills.ss1"));
    auto r = make();
    core::ProductManager& products = core::ProductManager::instance();
    products.setDocumentResolver(r.get(), true);
    // Asked for at once: fetched, not read through the link.
    core::SceneDocumentPtr now = core::DefaultProductResolver::resolve("box2", "", true);
    ASSERT_TRUE(now);
    EXPECT_EQ(now->shape, "cube");
    for (int step = 0; step < 100 && r->getStage() < ZRKProductResolver::kDone; ++step) {
        r->prefetchStep();
        land();
    }
    for (const char* key : {"mapxs_hills", "box1", "box2"}) {
        const std::string file = program.file(std::string("cache/") + key + ".ss1");
        EXPECT_TRUE(yake::PlayerFiles::isPlayersFile(file, false)) << key;
        EXPECT_EQ(zrktest::readFile(file), "{\"shape\": \"cube\"}") << key;
    }
    EXPECT_EQ(zrktest::readFile(program.file("elsewhere.ss1")), "{\"shape\": \"sphere\"}");
    ASSERT_TRUE(products.lookup("mapxs_hills", false));
    EXPECT_EQ(products.lookup("mapxs_hills", false)->shape, "cube");
    // A link is never read as a product, wherever it is met.
    std::filesystem::create_symlink(program.file("elsewhere.ss1"), program.file("linked.ss1"));
    EXPECT_FALSE(core::AsyncProductResolver::readDocument(program.file("linked.ss1"), "linked"));
}
