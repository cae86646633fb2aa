#pragma once
#include <string>

namespace kavri3D {
namespace zrk {
namespace gui {

/// The character-creation screen's choices: the look ("boy" or "girl") and the choice index
/// of hair, face, coat, glove and shoes; the last three indexes are not read.
struct RoleState {
    std::string look;
    int index[8] = {0, 0, 0, 0, 0, 0, 0, 0};
};

} // namespace gui
} // namespace zrk
} // namespace kavri3D
