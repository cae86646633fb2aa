#pragma once
#include <map>
#include <memory>
#include <string>
#include <vector>
#include "data/ZRKTransport.h"
#include "server/ZRKServerConfig.h"

namespace kavri3D {
namespace zrk {

class ZRKServerCore;
class ZRKServerStart;

/// The game server the client plays against when there is no other, and the link to it: the
/// server runs in this process, each frame answering the requests that arrived a frame (or
/// the latency) before and handing back its replies and notices in order. Tests can delay,
/// reorder or pass every message through text, and make the server fail, hang or answer
/// garbage, for every request or for one operation.
class ZRKGameServer : public ZRKTransport {
public:
    enum Mode { Answer, Fail, Hang, Garbage, ModeCount };
    static const char* modeName(Mode mode);

    explicit ZRKGameServer(const ZRKServerConfig& config);
    /// Over a core built already (not null).
    explicit ZRKGameServer(std::unique_ptr<ZRKServerCore> core);
    ~ZRKGameServer() override;
    /// The server a session plays against when started so; none for an empty folder.
    static std::unique_ptr<ZRKGameServer> start(const ZRKServerConfig& config);
    /// Seeded from the fixtures of `folder`, its world in memory; none for an empty folder.
    static std::unique_ptr<ZRKGameServer> start(const std::string& folder);
    /// Over the core a start built; none once its core was taken. What failed in building the
    /// core is thrown here.
    static std::unique_ptr<ZRKGameServer> take(ZRKServerStart& start);

    // The link.
    void send(ZRKMessage request) override;
    void receive(std::vector<ZRKMessage>& out) override;
    ZRKGameServer* gameServer() override { return this; }
    std::string worldWarning() const override;

    /// The world is open and seeded (else every request is refused).
    bool isReady() const;
    /// The world's file was written by a newer game: nothing is played against it.
    bool worldIsNewer() const;
    const std::string& getFolder() const;
    /// The account logged in through this link, empty when none.
    const std::string& getAccount() const;
    std::size_t answeredCount() const { return mAnswered; }
    ZRKServerCore& core() { return *mCore; }

    // Control surface for tests.
    void setMode(Mode mode) { mMode = mode; }
    /// A mode for one operation, over the general one.
    void setModeFor(const std::string& op, Mode mode) { mModes[op] = mode; }
    void clearModes();
    void setFailText(const std::string& text) { mFailText = text; }
    /// Frames between a request's arrival and its answer (at least 1).
    void setLatency(unsigned frames) { mLatency = frames ? frames : 1; }
    /// Requests due in the same frame are answered last first.
    void setOutOfOrder(bool reversed) { mReversed = reversed; }
    /// Every message crosses as text and is read back, as it would between processes.
    void setThroughText(bool text) { mThroughText = text; }
    /// The server drops this client: its player goes offline and the client is told.
    void dropClient();

    static const char* garbageText() { return "\x01{garbage"; }

private:
    struct Arrival {
        ZRKMessage request;
        unsigned frame;
    };
    Mode modeOf(const std::string& op) const;
    void answer(const ZRKMessage& request, std::vector<ZRKMessage>& out);
    bool cross(ZRKMessage& message) const;

    std::unique_ptr<ZRKServerCore> mCore;
    long mConnection = 0;
    Mode mMode = Answer;
    std::map<std::string, Mode> mModes;
    std::string mFailText = "the server is busy";
    std::vector<Arrival> mArrivals;
    std::vector<Arrival> mDue, mLater; ///< kept for their room between frames
    unsigned mFrame = 0;
    unsigned mLatency = 1;
    bool mReversed = false;
    bool mThroughText = false;
    bool mDropped = false;
    std::size_t mAnswered = 0;
};

} // namespace zrk
} // namespace kavri3D
