#pragma once
// A mission of the test's own: a place with one weak crew where hero's first shot lands, and a
// duplicate of stages on it, written into an installation's server files (InstallationCopy with
// ownServerFiles()) or handed to a land as its map record.
#include <fstream>
#include <json/json.h>
#include <string>
#include <util/JsonText.h>

namespace zrktest {

struct MissionWorld {
    /// How far in front of a doll's feet a shot at the starting pitch (45 degrees) lands when fire
    /// is let go at once, on the flat field below, without wind: the crew stands there. A shot
    /// held up to a fifth of a second still lands within the cannon's blast of it.
    static constexpr float kTapReach = 57.0f;
    /// Where the first seat of a room starts (its side faces the field's middle, along x).
    static constexpr float kFirstSpawnX = -60.0f;

    std::string place = "901";
    int dungeon = 901; ///< above 2000 the battle is a fixed play (the stages lend arms)
    int stages = 2;    ///< the duplicate's stages (0: a duplicate without stages)
    int crewHp = 1;    ///< below any shot's harm
    std::string crewName = "Straw Gunner";
    bool visible = true; ///< offered to public mission rooms

    /// The battle's record of the place (res/server/maps.json): a flat, calm field, one crew,
    /// no "scenario".
    Json::Value mapRecord() const
    {
        Json::Value m(Json::objectValue);
        m["name"] = "Test Yard";
        m["music"] = "music_bg0.mp3";
        m["intro"] = "MAP01/PG099.JPG";
        m["guide"] = "One crew stands before you: put it down.";
        m["guide_time"] = 1.0;
        Json::Value& t = m["terrain"];
        t["size"] = 320;
        t["cells"] = 80;
        t["base"] = 15;
        t["hills"] = 0;
        t["amp"] = 0;
        t["spread"] = 60;
        t["water"] = 0;
        t["bottom"] = -10;
        for (int side = 0; side < 2; ++side)
            for (int i = 0; i < 4; ++i) {
                Json::Value at(Json::arrayValue);
                at.append(side == 1 ? kFirstSpawnX : kFirstSpawnX - 20.0f);
                at.append(i == 0 ? 0 : (i % 2 ? 1 : -1) * 20 * ((i + 1) / 2));
                m["spawns"][std::to_string(side)].append(at);
            }
        Json::Value crew(Json::objectValue);
        crew["name"] = "straw";
        crew["npc_name"] = crewName;
        crew["hp"] = crewHp;
        crew["pos"].append(kFirstSpawnX + kTapReach);
        crew["pos"].append(0);
        crew["weapon"] = "1";
        crew["skill"] = 0;
        m["npcs"].append(crew);
        Json::Value& radar = m["radar"];
        radar["box"]["x0"] = -160;
        radar["box"]["y0"] = -50;
        radar["box"]["z0"] = -160;
        radar["box"]["x1"] = 160;
        radar["box"]["y1"] = 200;
        radar["box"]["z1"] = 160;
        radar["image"] = "radar_tut.png";
        m["wind_max"] = 0;
        return m;
    }

    /// The map library's record of the place (libs.json "map"): mission rooms only.
    Json::Value libsMapRecord() const
    {
        Json::Value m(Json::objectValue);
        m["name"] = "Test Yard";
        m["desc"] = "One crew to put down.";
        m["thumbnail"] = "map201";
        for (int zone : {1, 2, 3, 4})
            m["zones"].append(zone);
        m["modes"].append(9);
        m["pc_lv"] = 0;
        m["visible"] = visible;
        m["disable"] = false;
        m["pve"].append(dungeon);
        return m;
    }

    /// The duplicate (libs.json "duplicate"): its stages, each with its picture; a fixed play's
    /// with the arms it lends (the cannon item, and a stage's own weapon from stage 2 on).
    Json::Value duplicateRecord() const
    {
        Json::Value d(Json::objectValue);
        d["name"] = "Test Drill";
        for (int s = 1; s <= stages; ++s) {
            Json::Value stage(Json::objectValue);
            stage["ds_id"] = s;
            stage["intro"] = s % 2 ? "bgscene.jpg" : "PG_Frame.jp2";
            if (dungeon > 2000)
                stage["ds_ai"] = std::string("{\"weapon\": [{\"id\": ") + (s == 1 ? "10001" : "10003") +
                                 ", \"cd\": 0, \"shellnum\": 0, \"range\": 400}], \"prop\": [{\"id\": 4001}]}";
            d["stages"].append(stage);
        }
        return d;
    }

    /// Writes the three records into the server files of the installation at `program` (ending
    /// in "/"); false when a file cannot be read or written.
    bool write(const std::string& program) const
    {
        const std::string server = program + "res/server/";
        Json::Value maps, libs;
        if (!read(server + "maps.json", maps) || !read(server + "libs.json", libs))
            return false;
        maps["maps"][place] = mapRecord();
        libs["map"][place] = libsMapRecord();
        libs["duplicate"][std::to_string(dungeon)] = duplicateRecord();
        return save(server + "maps.json", maps) && save(server + "libs.json", libs);
    }

private:
    static bool read(const std::string& path, Json::Value& out)
    {
        std::string error;
        return kavri3D::core::JsonText::readFile(path, out, error) && out.isObject();
    }
    static bool save(const std::string& path, const Json::Value& doc)
    {
        std::ofstream out(path, std::ios::trunc);
        out << Json::StyledWriter().write(doc);
        return static_cast<bool>(out);
    }
};

} // namespace zrktest
