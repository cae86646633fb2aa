#pragma once

namespace kavri3D {
namespace core {

/// The answer of a message box: which box, and which of its buttons the player pressed
/// (0 = the first, the confirmation).
struct DialogBoxResult {
    int box = 0;
    int button = -1;
};

} // namespace core
} // namespace kavri3D
