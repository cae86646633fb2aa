// Purchase and renewal texts as a client may send them (the ordinary, props, guild and arena
// shops, and a gift whose message is the same text), read by ZRKParams as the request reads
// them and answered by the server's shop: whatever the text, a refusal or a purchase, and the
// world stays sound (no money below 0, no slot holding two items).
#include <cstdint>
#include <cstdlib>
#include <server/ZRKDatabase.h>
#include <data/ZRKParams.h>
#include <server/ZRKServerCore.h>
#include <string>

#include "FuzzSupport.h"

using namespace kavri3D;
using namespace kavri3D::zrk;

namespace {
long long number(ZRKServerCore& core, const char* sql)
{
    ZRKDatabase::Statement& q = core.world().db().prepare(sql);
    const long long n = q.step() ? q.integer(0) : -1;
    q.reset();
    return n;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static long connection = 0;
    static ZRKServerCore* core = [] {
        zrkfuzz::FuzzSupport::quiet();
        ZRKServerConfig config;
        config.bots = 0;
        config.seed = 1;
        ZRKServerCore* c = new ZRKServerCore(config, 0); // one world for the run: seeding it is the slow part
        connection = c->connect();
        ZRKRequestInfo login;
        login.handle = 1;
        login.op = "login";
        login.args["name"] = "hero";
        login.args["password"] = "hero123";
        c->handle(connection, ZRKMessage::request(login));
        std::vector<ZRKMessage> out;
        c->take(connection, out);
        return c;
    }();
    static long handle = 1;
    const std::string text = zrkfuzz::FuzzSupport::text(data, size);
    for (const char* op :
         {"shopCheckout", "shopRenewval", "shopPropsCheckout", "guildshoppay", "arenashoppay", "giftCheckout"}) {
        ZRKRequestInfo r;
        r.handle = ++handle;
        r.op = op;
        r.args["lines"] = ZRKParams::readText(text);
        r.args["purchase"] = "f" + std::to_string(handle);
        r.args["receiver"] = size % 2 ? 1002 : static_cast<int>(size) - 3;
        r.args["message"] = text;
        r.args["money"] = static_cast<int>(size % 64) - 8;
        core->handle(connection, ZRKMessage::request(r));
        std::vector<ZRKMessage> out;
        core->take(connection, out);
        if (out.empty())
            std::abort(); // every request is answered
    }
    if (number(*core, "SELECT count(*) FROM players WHERE money1 < 0 OR money2 < 0 OR money3 < 0") != 0 ||
        number(*core, "SELECT count(*) FROM (SELECT 1 FROM inventory GROUP BY player, slot HAVING count(*) > 1)") != 0)
        std::abort();
    return 0;
}
