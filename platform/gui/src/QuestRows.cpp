#include "QuestRows.h"

#include <algorithm>
#include <cctype>
#include <json/json.h>

namespace kavri3D {
namespace zrk {
namespace gui {

namespace {

const long kMostNumber = 1000000000L;
const int kDoneState = 32, kRewardedState = 64;

long number(const Json::Value& record, const char* key)
{
    const Json::Value& v = record.isObject() ? record[key] : Json::Value::nullSingleton();
    if (!v.isIntegral() || (v.isInt64() && (v.asInt64() > kMostNumber || v.asInt64() < -kMostNumber)) ||
        (!v.isInt64() && v.isUInt64()))
        return 0;
    return static_cast<long>(v.asInt64());
}

std::string text(const Json::Value& record, const char* key)
{
    const Json::Value& v = record.isObject() ? record[key] : Json::Value::nullSingleton();
    return v.isString() ? v.asString() : std::string();
}

} // namespace

std::vector<QuestRow> QuestRows::read(const Json::Value& library, const Json::Value& mine)
{
    std::vector<QuestRow> rows;
    if (!mine.isArray())
        return rows;
    for (const Json::Value& entry : mine) {
        if (rows.size() >= kMostRows)
            break;
        QuestRow row;
        row.id = number(entry, "q_id");
        row.state = static_cast<int>(number(entry, "state"));
        row.progress = std::max(0L, number(entry, "progress"));
        if (row.id <= 0)
            continue;
        const Json::Value& quest = library.isObject() ? library[std::to_string(row.id)] : Json::Value::nullSingleton();
        row.name = text(quest, "name");
        if (row.name.empty())
            row.name = "Quest " + std::to_string(row.id);
        row.desc = text(quest, "desc");
        const Json::Value& goal = quest.isObject() ? quest["goal"] : Json::Value::nullSingleton();
        row.goalType = text(goal, "type");
        row.goal = std::max(0L, number(goal, "count"));
        const Json::Value& reward = quest.isObject() ? quest["reward"] : Json::Value::nullSingleton();
        row.money = std::max(0L, number(reward, "money"));
        row.exp = std::max(0L, number(reward, "exp"));
        const Json::Value& objects = reward.isObject() ? reward["items"] : Json::Value::nullSingleton();
        if (objects.isArray())
            for (const Json::Value& o : objects)
                if (o.isInt() && o.asInt() > 0 && row.objects.size() < kMostObjects)
                    row.objects.push_back(o.asInt());
        rows.push_back(row);
    }
    return rows;
}

std::string QuestRows::progressText(const QuestRow& row)
{
    std::string kind = row.goalType.empty() ? std::string("Done") : row.goalType;
    kind[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(kind[0])));
    // A quest done (or rewarded) reached its goal, whatever count the server kept.
    const long reached = (row.state & (kDoneState | kRewardedState)) ? row.goal : std::min(row.progress, row.goal);
    return kind + ": " + std::to_string(reached) + "/" + std::to_string(row.goal);
}

std::string QuestRows::rewardText(const QuestRow& row)
{
    std::string out = std::to_string(row.money) + " coins, " + std::to_string(row.exp) + " exp";
    if (!row.objects.empty())
        out += ", one object";
    return out;
}

} // namespace gui
} // namespace zrk
} // namespace kavri3D
