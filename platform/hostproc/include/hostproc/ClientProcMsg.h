#pragma once
// The hosting platform's helper library: the channel between the platform's launcher and the
// game. The launcher listens on a Unix stream socket whose absolute path it passes to the game
// ("PROCPARA"); the game connects, receives the launcher's messages on the library's reader
// thread and sends its own. The library is loaded at run time (LoadLibraryW), so these are the
// shapes both sides agree on, not something to link.
#include <cstdint>

class IClientProcMsgObject;

/// What the game hears. The message operation runs on the library's reader thread with the
/// bytes of one message (header and data as received).
class IClientProcMsgEventHandler {
public:
    virtual void onConnected(IClientProcMsgObject* object) = 0;
    virtual void onError(IClientProcMsgObject* object, int error) = 0;
    virtual void onDisconnected(IClientProcMsgObject* object) = 0;
    virtual void onMessage(IClientProcMsgObject* object, std::uint32_t bytesReceived, const unsigned char* bytes) = 0;

protected:
    ~IClientProcMsgEventHandler() = default; // never deleted through the interface
};

/// One channel to the launcher.
class IClientProcMsgObject {
public:
    virtual int initialize() = 0;
    /// Connects to the launcher's socket (an absolute path); nonzero on success.
    virtual int connect(const char* param) = 0;
    /// Nonzero while connected; zero after the launcher went (end of stream or an error).
    virtual int isConnected() = 0;
    /// Sends the bytes whole; nonzero on success.
    virtual int send(int length, const void* message) = 0;
    virtual void setEventHandler(IClientProcMsgEventHandler* handler) = 0;

protected:
    ~IClientProcMsgObject() = default; // released through ReleaseClientProcMsgObject
};

namespace hostproc {
/// Message layout, both ways: command (u32), data length (u32), data; little-endian.
constexpr std::uint32_t kHeaderSize = 8;
constexpr std::uint32_t kMaxData = 65536;
} // namespace hostproc

// The exports, looked up by name.
extern "C" {
typedef IClientProcMsgObject* (*CreateClientProcMsgObjectFn)();
typedef void (*ReleaseClientProcMsgObjectFn)(IClientProcMsgObject*);
// Test surface: deliver bytes as if the launcher sent them (on the calling thread), and read
// back what the game sent.
typedef void (*HostProcInjectFn)(IClientProcMsgObject*, const void* bytes, std::uint32_t length);
typedef int (*HostProcSentCountFn)(IClientProcMsgObject*);
/// Copies the sent message `index` into `out` (at most `capacity` bytes); its length, -1 when
/// there is no such message.
typedef int (*HostProcSentFn)(IClientProcMsgObject*, int index, void* out, int capacity);
}
