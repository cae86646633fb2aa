#pragma once
#include <string>

namespace kavri3D {
namespace zrk {

/// A buff a doll carries, as its head bubble shows it (state 1 shown; 0 and 2 hidden).
struct DollBuffIcon {
    int state = 0;
    std::string image;
};

} // namespace zrk
} // namespace kavri3D
