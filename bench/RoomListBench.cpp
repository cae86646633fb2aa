// The hall's room list: the median time to hand the GUI 1,000 rooms of a zone as a room-list
// reply leaves them (sorted, one record per row), against reading the same keys of the same
// records into one text per row, in the same run.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <server/ZRKGameServer.h>
#include <server/ZRKLobby.h>
#include <server/ZRKServerCore.h>
#include <data/ZRKServerRequest.h>
#include <data/ZRKSession.h>
#include <gui/Room.h>
#include <string>
#include <tuple>
#include <vector>
#include <yake/Logger.h>
#include <yake/Time.h>

#include "events/HallRoomListRefeshEvent.h"

using namespace kavri3D;
using namespace kavri3D::zrk;

namespace {

const int kRooms = 1000;
const int kRuns = 101;
const char* const kKeys[] = {"id",       "meb",   "max", "occ",      "title",      "name", "mode",
                             "password", "fight", "lv",  "g_red_id", "g_green_id", "g_war"};

double now() { return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count(); }

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

bool settle(ZRKSession& session, const std::function<bool()>& done)
{
    for (int i = 0; i < 20 && !done(); ++i)
        session.update(0);
    return done();
}

} // namespace

int main()
{
    yake::logging::logger::instance().setEchoToStderr(false);
    yake::native::setManualClock(true);
    ZRKServerConfig config;
    config.bots = 0;
    ZRKSession session(ZRKGameServer::start(config));
    int code = -1;
    session.login("hero", "hero123", [&](core::ISession*, int c) { code = c; });
    if (!settle(session, [&] { return code >= 0; }) || code != 0 || !session.getGameServer()) {
        std::fprintf(stderr, "zrk_bench_roomlist: no log-in (run from the program folder)\n");
        return 1;
    }
    // A thousand rooms in the plains, of every mode, level and state.
    ZRKLobby& lobby = session.getGameServer()->core().lobby();
    for (int i = 0; i < kRooms; ++i) {
        ZRKLobby::Room room;
        room.name = "plains_bench" + std::to_string(i);
        room.zone = "plains";
        room.members.push_back("hero");
        room.params["title"] = "Room number " + std::to_string(i);
        room.params["mode"] = i % 11;
        room.params["lv"] = (i * 7) % 30;
        room.params["max"] = 2 + i % 7;
        room.params["fight"] = i % 3 == 0;
        lobby.addRoom(room);
    }
    bool joined = false, listed = false;
    ZRKServerRequest::joinZone(1, [&](bool error, const std::string&) { joined = !error; });
    ZRKServerRequest::queryRooms("", -1, [&](bool error, const std::string&) { listed = !error; });
    ZRKServer* server = ZRKServerRequest::getServer();
    if (!settle(session, [&] { return joined && listed; }) || !server || server->getRooms().size() != kRooms) {
        std::fprintf(stderr, "zrk_bench_roomlist: the room list did not come\n");
        return 1;
    }
    const std::list<core::XmlConfigHelper>& rooms = server->getRooms();
    HallRoomListRefeshEvent event(nullptr, nullptr, 20);

    // The list is timed only once it is right: every room one row, the first and the last
    // where the hall's order puts them (waiting before fighting, then level, mode, age).
    std::vector<std::tuple<bool, int, int, int>> expected;
    for (int i = 0; i < kRooms; ++i)
        expected.emplace_back(i % 3 == 0, (i * 7) % 30, HallRoomListRefeshEvent::modeRank(i % 11), i);
    std::sort(expected.begin(), expected.end());
    std::vector<const gui::Room*> rows;
    for (const gui::ParamNode* n : *event.fillParams())
        if (const gui::Room* row = n->name == "room" ? boost::any_cast<gui::Room>(&n->value) : nullptr)
            rows.push_back(row);
    auto nameOf = [](int i) { return "plains_bench" + std::to_string(i); };
    const bool right = rows.size() == static_cast<std::size_t>(kRooms) &&
                       rows.front()->name == nameOf(std::get<3>(expected.front())).c_str() &&
                       rows.back()->name == nameOf(std::get<3>(expected.back())).c_str() &&
                       rows.back()->title == ("Room number " + std::to_string(std::get<3>(expected.back()))).c_str();
    if (!right) {
        std::fprintf(stderr, "zrk_bench_roomlist: the list is wrong: %zu rows of %d, first %s, last %s\n", rows.size(),
                     kRooms, rows.empty() ? "-" : rows.front()->name.c_str(),
                     rows.empty() ? "-" : rows.back()->name.c_str());
        return 1;
    }
    // The rows belong to the event's next fill: what is printed is kept apart.
    const std::size_t rowCount = rows.size();
    const std::string first = rows.front()->name.c_str(), last = rows.back()->name.c_str();
    std::vector<double> fill, base;
    std::size_t sink = 0;
    for (int run = 0; run < kRuns; ++run) {
        // In turn, so a busy machine weighs on both alike.
        double t = now();
        sink += event.fillParams()->size();
        fill.push_back(now() - t);
        t = now();
        std::vector<std::string> rows;
        rows.reserve(rooms.size());
        for (const core::XmlConfigHelper& r : rooms) {
            std::string row;
            for (const char* key : kKeys)
                row += r.getStringVal(key, "");
            rows.push_back(std::move(row));
        }
        sink += rows.size();
        base.push_back(now() - t);
    }
    const double f = median(fill) * 1000, b = median(base) * 1000;
    std::printf("roomlist rooms=%d rows=%zu first=%s last=%s fill_ms=%.3f baseline_ms=%.3f ratio=%.2f\n", kRooms,
                rowCount, first.c_str(), last.c_str(), f, b, f / b);
    return sink > 0 ? 0 : 1;
}
