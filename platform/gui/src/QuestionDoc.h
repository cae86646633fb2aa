#pragma once
#include <json/value.h>
#include <string>
#include <vector>

namespace kavri3D {
namespace zrk {
namespace gui {

/// One question of the tutorial's question document: {"step", "text", "answers", "right"}.
struct QuestionDoc {
    static constexpr std::size_t kMostAnswers = 6;

    std::string text;
    std::vector<std::string> answers;
    int right = -1;

    /// The first sound question of that guide step in the document ({"questions": [...]}):
    /// a text, one to kMostAnswers answers and the right one among them. False when there is none.
    static bool find(const Json::Value& document, int step, QuestionDoc& out);
};

} // namespace gui
} // namespace zrk
} // namespace kavri3D
