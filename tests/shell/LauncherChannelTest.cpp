// The channel to the hosting platform's launcher: what the main frame opens, refuses, acts on
// (on the frame loop's thread) and tells the launcher when it goes.
#include <atomic>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>
#include <vector>
#include <core/BlackBoard.h>
#include <hostproc/ClientProcMsg.h>
#include <win32/Windows.h>
#include <yake/Logger.h>

#include "shell/Application.h"
#include "shell/MainFrame.h"
#include "support/FramePump.h"
#include "support/TestEnv.h"

using namespace kavri3D;
using zrk::MainFrame;

namespace {

std::vector<unsigned char> message(std::uint32_t command, std::uint32_t length, const std::vector<std::uint32_t>& data)
{
    std::vector<unsigned char> m;
    auto put = [&](std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            m.push_back(static_cast<unsigned char>(v >> (8 * i)));
    };
    put(command);
    put(length);
    for (std::uint32_t v : data)
        put(v);
    return m;
}

/// A socket the test listens on as the launcher does.
struct SocketHost {
    zrktest::TempDir dir;
    std::string path = dir.file("launcher.sock");
    int listener = ::socket(AF_UNIX, SOCK_STREAM, 0);
    SocketHost()
    {
        sockaddr_un a{};
        a.sun_family = AF_UNIX;
        std::strncpy(a.sun_path, path.c_str(), sizeof(a.sun_path) - 1);
        ::bind(listener, reinterpret_cast<sockaddr*>(&a), sizeof(a));
        ::listen(listener, 4);
    }
    ~SocketHost() { ::close(listener); }
};

struct ChannelFixture : ::testing::Test {
    core::BlackBoard board;
    zrk::Application app{nullptr, "game.exe"};
    HWND window = createWindowRecord();
    std::vector<std::string> lines;

    ChannelFixture()
    {
        win32ClearMessages();
        win32ClearMessageBoxes();
        board.setString("kavri3D/win32RenderWindow", std::to_string(reinterpret_cast<std::intptr_t>(window)));
        yake::logging::logger::instance().startCapture();
    }
    ~ChannelFixture() override
    {
        yake::logging::logger::instance().stopCapture();
        destroyWindowRecord(window);
        win32ClearMessages();
        MainFrame::forgetHostProcLibrary();
    }
    void platform(const std::string& procpara)
    {
        board.setBool("kavri3D/autoLogin/platform", true);
        board.setString("kavri3D/autoLogin/PROCPARA", procpara);
    }
    std::vector<std::string> errors() const
    {
        std::vector<std::string> out;
        for (const auto& r : yake::logging::logger::instance().captured())
            if (r.channel == "ZRKMain" && r.severity <= 4)
                out.push_back(r.text);
        return out;
    }
    /// What the frame loop does with its queue: the frame's preview sees every message.
    int pump(MainFrame& frame)
    {
        int acted = 0;
        MSG m;
        while (PeekMessageW(&m))
            acted += frame.onLauncherMessage(m, nullptr) ? 1 : 0;
        return acted;
    }
    HostProcInjectFn inject()
    {
        HMODULE lib = LoadLibraryW(L"../HostProcMsgHelper.dll");
        return lib ? reinterpret_cast<HostProcInjectFn>(GetProcAddress(lib, "HostProcInject")) : nullptr;
    }
    int sentCount(IClientProcMsgObject* o)
    {
        HMODULE lib = LoadLibraryW(L"../HostProcMsgHelper.dll");
        auto fn = reinterpret_cast<HostProcSentCountFn>(GetProcAddress(lib, "HostProcSentCount"));
        return fn ? fn(o) : -1;
    }
};

} // namespace

TEST_F(ChannelFixture, WithoutThePlatformNothingIsLoadedOrLogged)
{
    MainFrame frame(app);
    EXPECT_EQ(frame.getProcMsgObject(), nullptr);
    EXPECT_TRUE(errors().empty());
}

TEST_F(ChannelFixture, EachFailureLogsItsLineAndTheGameRunsOn)
{
    platform("/no/such/launcher.sock");
    MainFrame::forgetHostProcLibrary();
    {
        // The library missing: the program folder here has none one level up.
        zrktest::TempDir dir;
        std::filesystem::create_directories(dir.file("bin"));
        const auto cwd = std::filesystem::current_path();
        std::filesystem::current_path(dir.file("bin"));
        MainFrame frame(app);
        std::filesystem::current_path(cwd);
        EXPECT_EQ(frame.getProcMsgObject(), nullptr);
        EXPECT_EQ(errors(), std::vector<std::string>{"LoadLibrary fail(platform HostProcMsgHelper.dll)"});
    }
    MainFrame::forgetHostProcLibrary();
    // A launcher that is not there: the object stays held, and nothing is sent at the end.
    for (const std::string& bad : {std::string("/no/such/launcher.sock"), std::string("relative.sock"),
                                   std::string(200, 'x'), std::string("/tmp")}) {
        platform(bad);
        yake::logging::logger::instance().startCapture();
        MainFrame frame(app);
        ASSERT_NE(frame.getProcMsgObject(), nullptr) << bad;
        EXPECT_FALSE(frame.getProcMsgObject()->isConnected());
        EXPECT_EQ(errors(), std::vector<std::string>{"Connect fail(IClientProcMsgObject platform)"}) << bad;
        frame.onFrameDestroyed();
        EXPECT_EQ(sentCount(frame.getProcMsgObject()), 0);
    }
}

TEST_F(ChannelFixture, AHelperLibraryAnotherUserCouldHavePlantedIsNeverLoaded)
{
    platform("/no/such/launcher.sock");
    namespace fs = std::filesystem;
    zrktest::TempDir dir;
    const std::string game = dir.file("game");
    fs::create_directories(game + "/bin");
    const std::string copy = game + "/libHostProcMsgHelper.so";
    fs::copy_file(zrktest::binFolder() + "/../libHostProcMsgHelper.so", copy);
    fs::permissions(game, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                              fs::perms::others_read | fs::perms::others_exec);
    const fs::perms plain = fs::perms::owner_read | fs::perms::owner_write | fs::perms::owner_exec |
                            fs::perms::group_read | fs::perms::group_exec | fs::perms::others_read |
                            fs::perms::others_exec;
    const uid_t other = ::getuid() == 4242 ? 4343 : 4242;
    const std::string refused = "HostProcMsgHelper.dll not loaded: it or its folder can be changed by another user";
    const auto cwd = fs::current_path();
    auto open = [&](const char* what) {
        MainFrame::forgetHostProcLibrary();
        yake::logging::logger::instance().startCapture();
        fs::current_path(game + "/bin");
        MainFrame frame(app);
        fs::current_path(cwd);
        SCOPED_TRACE(what);
        return frame.getProcMsgObject() != nullptr;
    };

    fs::permissions(copy, plain | fs::perms::group_write);
    EXPECT_FALSE(open("a file its group can write"));
    EXPECT_EQ(errors(), std::vector<std::string>{refused});
    fs::permissions(copy, plain | fs::perms::others_write);
    EXPECT_FALSE(open("a file anyone can write"));
    fs::permissions(copy, plain);
    fs::permissions(game, fs::perms::all);
    EXPECT_FALSE(open("a folder anyone can write"));
    EXPECT_EQ(errors(), std::vector<std::string>{refused});
    fs::permissions(game, plain);
    if (::getuid() == 0) {
        // Root may give the file away, as another account's own would be.
        ASSERT_EQ(::chown(copy.c_str(), other, other), 0);
        EXPECT_FALSE(open("a file of another user"));
        ASSERT_EQ(::chown(copy.c_str(), 0, 0), 0);
        ASSERT_EQ(::chown(game.c_str(), other, other), 0);
        EXPECT_FALSE(open("a folder of another user"));
        ASSERT_EQ(::chown(game.c_str(), 0, 0), 0);
    }
    // The user's own, as installed: loaded, the channel tried.
    EXPECT_TRUE(open("the user's own"));
    EXPECT_EQ(errors(), std::vector<std::string>{"Connect fail(IClientProcMsgObject platform)"});
    MainFrame::forgetHostProcLibrary();
}

TEST_F(ChannelFixture, AConnectedFrameSendsOneHeaderOnlyCommandOneWhenItGoes)
{
    SocketHost host;
    platform(host.path);
    MainFrame frame(app);
    ASSERT_NE(frame.getProcMsgObject(), nullptr);
    EXPECT_TRUE(frame.getProcMsgObject()->isConnected());
    const int peer = ::accept(host.listener, nullptr, nullptr);
    ASSERT_GE(peer, 0);
    frame.onFrameDestroyed();
    EXPECT_EQ(frame.getProcMsgObject(), nullptr); // released
    unsigned char got[32] = {};
    ssize_t total = 0, n = 0;
    while ((n = ::recv(peer, got + total, sizeof got - static_cast<std::size_t>(total), 0)) > 0)
        total += n;
    ::close(peer);
    ASSERT_EQ(total, 8);
    EXPECT_EQ(std::vector<unsigned char>(got, got + 8), message(1, 0, {}));
    EXPECT_TRUE(errors().empty());
}

TEST_F(ChannelFixture, CommandsActOnTheFrameLoopsThreadOnly)
{
    SocketHost host;
    platform(host.path);
    MainFrame frame(app);
    const int peer = ::accept(host.listener, nullptr, nullptr);
    ASSERT_GE(peer, 0);
    auto send = [&](const std::vector<unsigned char>& m) {
        ASSERT_EQ(::send(peer, m.data(), m.size(), MSG_NOSIGNAL), static_cast<ssize_t>(m.size()));
    };
    auto waitQueued = [&] {
        for (int i = 0; i < 200 && !win32QuitPosted(); ++i) {
            MSG probe;
            if (PeekMessageW(&probe)) {
                PostMessageW(probe.hwnd, probe.message, probe.wParam, probe.lParam); // back, in order
                return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    };
    send(message(3, 4, {0}));
    waitQueued();
    EXPECT_TRUE(window->visible) << "acted on the library's thread";
    EXPECT_EQ(pump(frame), 1);
    EXPECT_FALSE(window->visible);
    send(message(3, 4, {7}));
    waitQueued();
    EXPECT_EQ(pump(frame), 1);
    EXPECT_TRUE(window->visible);
    SetFocus(nullptr);
    send(message(4, 0, {}));
    waitQueued();
    EXPECT_EQ(pump(frame), 1);
    EXPECT_EQ(GetForegroundWindow(), window);
    ::close(peer);
    for (int i = 0; i < 200 && frame.getProcMsgObject()->isConnected(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_FALSE(frame.getProcMsgObject()->isConnected()); // the launcher went
    frame.onFrameDestroyed();
}

TEST_F(ChannelFixture, AMessageTooLongToKeepIsReadPastOnTheSocketAndTheNextOneActs)
{
    SocketHost host;
    platform(host.path);
    MainFrame frame(app);
    const int peer = ::accept(host.listener, nullptr, nullptr);
    ASSERT_GE(peer, 0);
    // One byte over the limit, its data a "hide" were any of it taken; then "to the front".
    std::vector<unsigned char> bytes = message(3, 65537, {});
    bytes.resize(bytes.size() + 65537, 0);
    const std::vector<unsigned char> front = message(4, 0, {});
    bytes.insert(bytes.end(), front.begin(), front.end());
    std::thread writer([&] {
        std::size_t at = 0;
        while (at < bytes.size()) {
            const ssize_t n = ::send(peer, bytes.data() + at, bytes.size() - at, MSG_NOSIGNAL);
            if (n <= 0)
                break;
            at += static_cast<std::size_t>(n);
        }
    });
    SetFocus(nullptr);
    int acted = 0;
    zrktest::FramePump frames([&] {
        acted += pump(frame);
        if (acted == 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        return true;
    });
    frames.until([&] { return acted != 0; }, 400, "the launcher's \"to the front\" acted on");
    writer.join();
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    acted += pump(frame);
    EXPECT_EQ(acted, 1);
    EXPECT_TRUE(window->visible);
    EXPECT_EQ(GetForegroundWindow(), window);
    EXPECT_TRUE(frame.getProcMsgObject()->isConnected());
    ::close(peer);
    frame.onFrameDestroyed();
}

TEST_F(ChannelFixture, BadShortOversizedUnknownAndFloodedMessagesChangeNothingOrKeepTheirOrder)
{
    platform("/no/such/launcher.sock");
    MainFrame frame(app);
    IClientProcMsgObject* object = frame.getProcMsgObject();
    HostProcInjectFn in = inject();
    ASSERT_NE(in, nullptr);
    auto deliver = [&](const std::vector<unsigned char>& m, std::uint32_t received) { in(object, m.data(), received); };
    const auto hide = message(3, 4, {0});
    deliver(hide, 7);                          // under 8 bytes
    deliver(message(3, 65537, {0}), 12);       // longer than any message
    deliver(message(3, 8, {0}), 12);           // past the bytes received
    deliver(message(9, 4, {0}), 12);           // unknown
    deliver(message(3, 0xFFFFFFFFu, {0}), 12); // a length that would wrap
    in(object, nullptr, 0);
    EXPECT_EQ(pump(frame), 0);
    EXPECT_TRUE(window->visible);
    // A short flag counts as 0: the command is whole, its data is not.
    deliver(message(3, 0, {}), 8);
    EXPECT_EQ(pump(frame), 1);
    EXPECT_FALSE(window->visible);
    // A thousand at once: all acted on, in order, the last one wins.
    for (int i = 0; i < 1000; ++i)
        deliver(message(3, 4, {static_cast<std::uint32_t>(i % 2)}), 12);
    EXPECT_EQ(pump(frame), 1000);
    EXPECT_TRUE(window->visible);
}

TEST_F(ChannelFixture, ALibraryWithoutReleaseShowsTheErrorBoxAndTheObjectIsForgotten)
{
    // The platform's library one folder above a program folder of the test's making.
    zrktest::TempDir dir;
    std::filesystem::create_directories(dir.file("bin"));
    std::filesystem::copy_file(zrktest::binFolder() + "/../hostproc-norelease/libHostProcMsgHelper.so",
                               dir.file("libHostProcMsgHelper.so"));
    platform("/no/such/launcher.sock");
    MainFrame::forgetHostProcLibrary();
    const auto cwd = std::filesystem::current_path();
    std::filesystem::current_path(dir.file("bin"));
    {
        MainFrame frame(app);
        std::filesystem::current_path(cwd);
        ASSERT_NE(frame.getProcMsgObject(), nullptr);
    }
    std::filesystem::current_path(cwd);
    const auto boxes = win32MessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, "Error");
    EXPECT_EQ(boxes[0].text, "Get Release Client Object Function failed(platform HostProcMsgHelper.dll)");
    win32ClearMessageBoxes();
}
