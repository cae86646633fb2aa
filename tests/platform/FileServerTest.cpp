// The built-in file server: this machine only, GET and HEAD only, the published tree under the
// installer path and the web pages under "/web/", and nothing outside them however the path
// is written. And the signatures the manifest compares files by.
#include <arpa/inet.h>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <httplib.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#include <util/Manifest.h>

#include "support/LoopbackFiles.h"
#include "support/TestEnv.h"

using namespace kavri3D::core;

namespace {

struct FileServerFixture : ::testing::Test {
    zrktest::TempDir dir;
    FileServer server;
    std::unique_ptr<httplib::Client> client;

    FileServerFixture()
    {
        zrktest::writeFile(dir.file("pub/res/GUIX1/a.png"), "picture");
        zrktest::writeFile(dir.file("web/index.html"), "<p>hello</p>");
        zrktest::writeFile(dir.file("secret.txt"), "not served");
        std::filesystem::create_symlink(dir.file("secret.txt"), dir.file("pub/res/link.txt"));
        EXPECT_TRUE(server.start("/files/installer/latest", dir.file("pub"), dir.file("web")));
        client.reset(new httplib::Client("127.0.0.1", server.getPort()));
    }
    int status(const std::string& path)
    {
        auto res = client->Get(path.c_str());
        return res ? res->status : -1;
    }
};

} // namespace

TEST_F(FileServerFixture, ServesThePublishedTreeAndTheWebPagesOnly)
{
    EXPECT_EQ(server.getAddress(), "http://127.0.0.1:" + std::to_string(server.getPort()));
    auto res = client->Get("/files/installer/latest/files/res/GUIX1/a.png");
    ASSERT_TRUE(res);
    EXPECT_EQ(res->status, 200);
    EXPECT_EQ(res->body, "picture");
    EXPECT_EQ(res->get_header_value("Content-Type"), "image/png");
    auto head = client->Head("/files/installer/latest/files/res/GUIX1/a.png");
    ASSERT_TRUE(head);
    EXPECT_EQ(head->status, 200);
    EXPECT_TRUE(head->body.empty());
    EXPECT_EQ(status("/web/index.html"), 200);

    EXPECT_EQ(status("/files/res/GUIX1/a.png"), 404); // without the installer path
    EXPECT_EQ(status("/files/installer/latest/files/res/GUIX1/none.png"), 404);
    EXPECT_EQ(status("/files/installer/latest/files/res/GUIX1"), 404); // a folder
    auto post = client->Post("/files/installer/latest/files/res/GUIX1/a.png", "x", "text/plain");
    ASSERT_TRUE(post);
    EXPECT_EQ(post->status, 405);
    auto del = client->Delete("/files/installer/latest/files/res/GUIX1/a.png");
    ASSERT_TRUE(del);
    EXPECT_EQ(del->status, 405);
    EXPECT_TRUE(std::filesystem::exists(dir.file("pub/res/GUIX1/a.png")));
}

TEST_F(FileServerFixture, NothingOutsideItsFoldersHoweverThePathIsWritten)
{
    for (const char* path :
         {"/files/installer/latest/files/../secret.txt", "/files/installer/latest/files/%2e%2e/secret.txt",
          "/files/installer/latest/files/%2E%2E/%2e%2e/secret.txt", "/files/installer/latest/files/res/..%2f..%2fsecret.txt",
          "/web/../secret.txt", "/web/%2e%2e/secret.txt", "/files/installer/latest/files/res/link.txt",
          "/files/installer/latest/files//etc/passwd", "/files/installer/latest/files/res\\..\\..\\secret.txt"}) {
        auto res = client->Get(path);
        if (res) {
            EXPECT_NE(res->body, "not served") << path;
        }
        EXPECT_EQ(server.fileFor(path), "") << path;
    }
    // The same asked without any client's tidying of the path.
    const int sock = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(static_cast<uint16_t>(server.getPort()));
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(::connect(sock, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    const std::string request = "GET /files/installer/latest/files/../../secret.txt HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n";
    ASSERT_EQ(::send(sock, request.data(), request.size(), 0), static_cast<ssize_t>(request.size()));
    std::string reply;
    char buffer[4096];
    for (ssize_t n; (n = ::recv(sock, buffer, sizeof buffer, 0)) > 0;)
        reply.append(buffer, static_cast<std::size_t>(n));
    ::close(sock);
    EXPECT_EQ(reply.find("not served"), std::string::npos);
}

TEST_F(FileServerFixture, ListensOnThisMachineOnlyAndStopsCleanly)
{
    // The socket's own address, as the kernel has it: 127.0.0.1, never a wildcard.
    const std::string ss = "ss -ltnH 2>/dev/null | awk '{print $4}' | grep ':" + std::to_string(server.getPort()) + "$' > " +
                           dir.file("listen.txt");
    if (std::system(ss.c_str()) == 0) {
        EXPECT_EQ(zrktest::readFile(dir.file("listen.txt")), "127.0.0.1:" + std::to_string(server.getPort()) + "\n");
    }
    server.stop();
    EXPECT_FALSE(server.isRunning());
    EXPECT_EQ(server.getAddress(), "");
    EXPECT_EQ(status("/web/index.html"), -1);
}

TEST(FileServer, StartReturnsAtOnceAndAStopRightAfterStillEndsTheLoop)
{
    // The start does not wait for the serving thread: a client at once is queued, not refused,
    // and a stop before the loop has run still ends it (the test would hang otherwise).
    zrktest::TempDir dir;
    zrktest::writeFile(dir.file("pub/a.txt"), "a");
    for (int round = 0; round < 20; ++round) {
        FileServer server;
        ASSERT_TRUE(server.start("/inst", dir.file("pub"), dir.file("web")));
        if (round % 2 == 0) {
            httplib::Client client("127.0.0.1", server.getPort());
            auto res = client.Get("/inst/files/a.txt");
            ASSERT_TRUE(res);
            EXPECT_EQ(res->status, 200);
            EXPECT_EQ(res->body, "a");
        }
        server.stop();
        EXPECT_FALSE(server.isRunning());
    }
}

TEST(Manifest, SignaturesAreTheSha1OfTheContentComparedLetterCaseAside)
{
    zrktest::TempDir dir;
    zrktest::writeFile(dir.file("abc"), "abc");
    zrktest::writeFile(dir.file("empty"), "");
    FileItem item;
    ASSERT_TRUE(item.init(dir.file("abc")));
    EXPECT_EQ(item.signature, "a9993e364706816aba3e25717850c26c9cd0d89d");
    EXPECT_TRUE(FileItem::sameSignature(item.signature, "A9993E364706816ABA3E25717850C26C9CD0D89D"));
    ASSERT_TRUE(item.init(dir.file("empty")));
    EXPECT_EQ(item.signature, "da39a3ee5e6b4b0d3255bfef95601890afd80709");
    EXPECT_FALSE(item.init(dir.file("missing")));
    EXPECT_EQ(item.signature, "da39a3ee5e6b4b0d3255bfef95601890afd80709"); // unchanged

    Manifest manifest;
    ASSERT_TRUE(manifest.read("<manifest><folder path=\"/files/res/GUIX1\"><file name=\"Lobby.PNG\" sig=\"1\"/>"
                              "<file name=\"lobby.png\" sig=\"2\"/><file name=\"b.png\" sig=\"3\"/></folder></manifest>"));
    const FileIndex index = buildIndex(manifest.getFolders().front().items);
    ASSERT_EQ(index.size(), 2u);
    EXPECT_EQ(index.at("lobby.png").signature, "2"); // the later one
    EXPECT_EQ(index.at("b.png").path, "/files/res/GUIX1/b.png");
}
