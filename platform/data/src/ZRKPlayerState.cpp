#include "data/ZRKPlayerState.h"

#include "data/ZRKJson.h"
#include "data/ZRKNotice.h"

namespace kavri3D {
namespace zrk {

ZRKPlayerState::ZRKPlayerState(const std::string& id) : mId(id), mLast(Json::objectValue) {}

int ZRKPlayerState::apply(const Json::Value& card)
{
    if (!card.isObject())
        return 0;
    int bits = 0;
    const struct {
        const char* key;
        core::XmlConfigHelper* view;
        int bit;
    } parts[] = {
        {"info", &mInfo, ZRKNotice::Looks}, {"settings", &mSettings, ZRKNotice::Looks}, {"battle", &mBattle, 0}};
    for (const auto& part : parts) {
        const Json::Value& value = card[part.key];
        const Json::Value& last = static_cast<const Json::Value&>(mLast)[part.key];
        if (!value.isObject() || value == last)
            continue;
        if (part.view == &mBattle && last.isObject()) {
            // The pose and the ready flag are told apart: the room shows each its own way.
            const Json::Value& old = last;
            if (value["x"] != old["x"])
                bits |= ZRKNotice::Pose;
            if (value["ready"] != old["ready"])
                bits |= ZRKNotice::Ready;
            if (value["seat"] != old["seat"])
                bits |= ZRKNotice::Moved;
        }
        bits |= part.bit;
        mLast[part.key] = value;
        ZRKJson::refill(*part.view, value);
    }
    const Json::Value& worn = card["equipment"];
    if (worn.isArray() && worn != static_cast<const Json::Value&>(mLast)["equipment"]) {
        mLast["equipment"] = worn;
        mEquipments.clear();
        for (const Json::Value& item : worn) {
            const std::string model = ZRKJson::getString(item, "item", "");
            if (mEquipments.size() < kMaxEquipments && !model.empty())
                mEquipments.push_back(core::Equipment(model, ZRKJson::getString(item, "kind", "")));
        }
        bits |= ZRKNotice::Equipment;
    }
    return bits;
}

} // namespace zrk
} // namespace kavri3D
