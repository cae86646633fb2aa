#include "QuestionDoc.h"

#include <json/json.h>

namespace kavri3D {
namespace zrk {
namespace gui {

bool QuestionDoc::find(const Json::Value& document, int step, QuestionDoc& out)
{
    const Json::Value& questions = document.isObject() ? document["questions"] : Json::Value::nullSingleton();
    if (!questions.isArray())
        return false;
    for (const Json::Value& q : questions) {
        if (!q.isObject() || !q["step"].isInt() || q["step"].asInt() != step || !q["text"].isString() ||
            !q["answers"].isArray() || !q["right"].isInt())
            continue;
        QuestionDoc found;
        for (const Json::Value& a : q["answers"])
            if (a.isString() && found.answers.size() < kMostAnswers)
                found.answers.push_back(a.asString());
        found.right = q["right"].asInt();
        if (found.answers.empty() || found.right < 0 || static_cast<std::size_t>(found.right) >= found.answers.size())
            continue; // a question nobody can answer right is no question
        found.text = q["text"].asString();
        out = found;
        return true;
    }
    return false;
}

} // namespace gui
} // namespace zrk
} // namespace kavri3D
