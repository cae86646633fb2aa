#include "rooms/EquipRes.h"

#include <fstream>
#include <data/ZRKServer.h>
#include <data/ZRKServerRequest.h>
#include <data/ZRKUserRequest.h>
#include <yake/StringUtil.h>

#include "rooms/JsonDataFile.h"
#include "rooms/ZRKRole.h"
#include "services/GameServices.h"
#include "services/LogRoutine.h"

KAVRI_SINGLETON_DEFINE(kavri3D::zrk::EquipRes);

namespace kavri3D {
namespace zrk {

namespace {

typedef std::int32_t gui::BagData::*IntField;
typedef std::string gui::BagData::*TextField;

// The item kind's attributes by name, in the record's order. The same table copies a
// cached record's template part.
const std::pair<const char*, IntField> kIntAttributes[] = {
    {"ic_id", &gui::BagData::ic_id},
    {"isc_id", &gui::BagData::isc_id},
    {"c_id", &gui::BagData::c_id},
    {"i_quality", &gui::BagData::i_quality},
    {"i_add_vit", &gui::BagData::i_add_vit},
    {"i_add_vit_pt", &gui::BagData::i_add_vit_pt},
    {"i_add_dex", &gui::BagData::i_add_dex},
    {"i_add_luk", &gui::BagData::i_add_luk},
    {"i_add_sp", &gui::BagData::i_add_sp},
    {"i_add_fsp", &gui::BagData::i_add_fsp},
    {"i_add_amr", &gui::BagData::i_add_amr},
    {"i_target", &gui::BagData::i_target},
    {"i_sp_use", &gui::BagData::i_sp_use},
    {"i_hit_times", &gui::BagData::i_hit_times},
    {"i_shell_num", &gui::BagData::i_shell_num},
    {"i_angle_max", &gui::BagData::i_angle_max},
    {"i_angle_min", &gui::BagData::i_angle_min},
    {"i_wind_offset", &gui::BagData::i_wind_offset},
    {"i_shot_range", &gui::BagData::i_shot_range},
    {"i_speed", &gui::BagData::i_speed},
    {"i_hit_range", &gui::BagData::i_hit_range},
    {"i_dmg_min", &gui::BagData::i_dmg_min},
    {"i_dmg_max", &gui::BagData::i_dmg_max},
    {"i_damage_continue", &gui::BagData::i_damage_continue},
    {"i_dmg_delay", &gui::BagData::i_dmg_delay},
    {"i_add_hp", &gui::BagData::i_add_hp},
    {"i_add_hp_pt", &gui::BagData::i_add_hp_pt},
    {"i_add_str", &gui::BagData::i_add_str},
    {"i_add_str_pt", &gui::BagData::i_add_str_pt},
    {"i_add_angry", &gui::BagData::i_add_angry},
    {"i_add_angry_pt", &gui::BagData::i_add_angry_pt},
    {"i_add_crit", &gui::BagData::i_add_crit},
    {"i_kf", &gui::BagData::i_kf},
    {"i_kf_angle", &gui::BagData::i_kf_angle},
    {"i_roll", &gui::BagData::i_roll},
    {"i_shot_shells", &gui::BagData::i_shot_shells},
    {"i_invisible", &gui::BagData::i_invisible},
    {"i_visible", &gui::BagData::i_visible},
    {"i_cd_time", &gui::BagData::i_cd_time},
    {"i_continue_time", &gui::BagData::i_continue_time},
    {"i_delay_time", &gui::BagData::i_delay_time},
    {"i_bet", &gui::BagData::i_bet},
    {"i_effect", &gui::BagData::i_effect},
    {"i_no_wind", &gui::BagData::i_no_wind},
    {"i_use_time", &gui::BagData::i_use_time},
    {"i_call_support", &gui::BagData::i_call_support},
    {"i_no_terrain", &gui::BagData::i_no_terrain},
    {"i_weight", &gui::BagData::i_weight},
    {"ca_id", &gui::BagData::ca_id},
    {"i_resist1", &gui::BagData::i_resist1},
    {"i_resist2", &gui::BagData::i_resist2},
    {"i_resist3", &gui::BagData::i_resist3},
    {"i_add_effect", &gui::BagData::i_add_effect},
    {"i_add_effect_t", &gui::BagData::i_add_effect_t},
    {"i_field1", &gui::BagData::i_field1},
    {"i_field2", &gui::BagData::i_field2},
};
const std::pair<const char*, TextField> kTextAttributes[] = {
    {"i_name", &gui::BagData::i_name}, {"i_desc", &gui::BagData::i_desc}, {"i_ext1", &gui::BagData::i_ext1},
    {"i_ext2", &gui::BagData::i_ext2}, {"i_ext3", &gui::BagData::i_ext3},
};
// No attribute names these two; they travel with the template part all the same.
const IntField kUnnamedFields[] = {&gui::BagData::i_reserved1, &gui::BagData::i_reserved2};

void copyTemplate(const gui::BagData& from, gui::BagData& to)
{
    to.i_id = from.i_id;
    for (const auto& a : kIntAttributes)
        to.*a.second = from.*a.second;
    for (IntField f : kUnnamedFields)
        to.*f = from.*f;
    for (const auto& a : kTextAttributes)
        to.*a.second = from.*a.second;
}

std::string textOf(const Json::Value& item, const char* key)
{
    const Json::Value& v = item.isObject() ? item[key] : Json::Value::nullSingleton();
    return v.isString() ? v.asString() : std::string();
}

bool isText(const Json::Value& item, const char* key) { return item.isMember(key) && item[key].isString(); }

std::string lookUp(const std::map<int, std::string>& table, int id)
{
    auto it = table.find(id);
    return it == table.end() ? std::string() : it->second;
}

} // namespace

const char* const EquipRes::kFile = "res/GUI/zrk.icons";

EquipRes::EquipRes() { GameServices::provide(this); }

EquipRes::~EquipRes()
{
    if (ZRKUserRequest::getEquipmentMgr() == this)
        ZRKUserRequest::setEquipmentMgr(nullptr);
    GameServices::withdraw(this);
}

void EquipRes::load(const std::string& path)
{
    // Items the server added since the library came get their records before anyone asks.
    if (ZRKServer* server = ZRKServerRequest::getServer())
        server->getItemLib()->sync();
    const bool read = JsonDataFile::load(path, mIconsDocument, "EquipRes::load", "icon.json");
    if (read) {
        mModels.clear();
        mAltModels.clear();
        mSfNames.clear();
        const Json::Value& data = mIconsDocument.isObject() ? mIconsDocument["data"] : Json::Value::nullSingleton();
        if (!data.isArray())
            writeLog(kLogTrace, "EquipRes::load", "icon.json has no \"data\" list");
        for (Json::ArrayIndex i = 0; data.isArray() && i < data.size(); ++i) {
            const Json::Value& item = data[i];
            if (!item.isObject() || !item["id"].isInt() || !isText(item, "icon") || !isText(item, "3dmodel")) {
                writeLogf(kLogTrace, "EquipRes::load", "icon.json entry ", i,
                          " skipped: wrong or missing id, icon or 3dmodel");
                continue;
            }
            const int id = item["id"].asInt();
            mIcons[id] = item["icon"].asString();
            const std::string model = item["3dmodel"].asString();
            if (model == "none")
                continue; // an item without a model has nothing more to show
            mModels[id] = model;
            if (isText(item, "_sf"))
                mSfNames[id] = textOf(item, "_sf");
            if (isText(item, "altmodel"))
                mAltModels[id] = textOf(item, "altmodel");
        }
    }
    // Without its icons file the client has nothing to tell the library about items; a
    // broken one still gives what it held.
    if (read || std::ifstream(path).is_open())
        ZRKUserRequest::setEquipmentMgr(this);
    registerAttributeTable();
}

void EquipRes::registerAttributeTable()
{
    for (const auto& a : kIntAttributes) {
        const IntField field = a.second;
        mAttributeParsers[a.first] = [field](gui::BagData* r, const std::string& v) {
            r->*field = yake::StringUtil::parseInt(v);
        };
    }
    for (const auto& a : kTextAttributes) {
        const TextField field = a.second;
        mAttributeParsers[a.first] = [field](gui::BagData* r, const std::string& v) { r->*field = v; };
    }
}

std::string EquipRes::getIcon(int itemId) { return lookUp(mIcons, itemId); }

std::string EquipRes::getModel(int itemId) { return mModels[itemId]; }

std::string EquipRes::getAltModel(int itemId) { return lookUp(mAltModels, itemId); }

std::string EquipRes::getSfName(int itemId) { return lookUp(mSfNames, itemId); }

core::EquipmentList EquipRes::getDefaultEquipment()
{
    core::EquipmentList items = ZRKRole::buildItemSet(mModelTable);
    for (const char* key : {"def_sex", "def_hair", "def_face", "def_coat", "def_glove", "def_shoes"})
        items.push_back(core::Equipment(mDefaultState.getStringVal(key, "")));
    return items;
}

core::EquipmentList EquipRes::getSeatEquipment(const std::string& seat) const
{
    auto it = mSeatEquipment.find(seat);
    return it == mSeatEquipment.end() ? core::EquipmentList() : it->second;
}

std::string EquipRes::getSeatLook(const std::string& seat) const
{
    auto it = mSeatLooks.find(seat);
    return it == mSeatLooks.end() ? std::string() : it->second;
}

void EquipRes::fillItemRecord(int itemId, gui::BagData& record)
{
    auto cached = mRecordCache.find(itemId);
    if (cached != mRecordCache.end()) {
        copyTemplate(cached->second, record);
        return;
    }
    gui::BagData entry;
    entry.i_id = itemId;
    ZRKServer* server = ZRKServerRequest::getServer();
    core::XmlConfigHelper cfg;
    const bool found = server && server->getItemLib()->findItem(itemId, cfg) && cfg.getConfiguration();
    const yake::ConfigurationPtr config = cfg.getConfiguration();
    if (found) {
        for (const auto& attribute : config->tree()) {
            auto parser = mAttributeParsers.find(attribute.first);
            if (parser != mAttributeParsers.end())
                parser->second(&entry, attribute.second.data());
        }
        // Only what the library knew is kept: an item it lacks now may come with a later log-in.
        mRecordCache[itemId] = entry;
    }
    copyTemplate(entry, record);
}

} // namespace zrk
} // namespace kavri3D
