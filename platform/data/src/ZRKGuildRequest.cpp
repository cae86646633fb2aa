#include "data/ZRKGuildRequest.h"

#include "data/ZRKRequestBroker.h"

namespace kavri3D {
namespace zrk {

long ZRKGuildRequest::queryPlayerGuild(const ZRKParams& params, ZRKReply done) { return ZRKRequestBroker::post("ZRKGuildRequest", "queryPlayerGuild", params, done); }
long ZRKGuildRequest::queryWant(const ZRKParams& params, ZRKReply done) { return ZRKRequestBroker::post("ZRKGuildRequest", "queryWant", params, done); }

} // namespace zrk
} // namespace kavri3D
