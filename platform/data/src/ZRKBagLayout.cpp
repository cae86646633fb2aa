#include "data/ZRKBagLayout.h"

namespace kavri3D {
namespace zrk {

int ZRKBagLayout::bagOf(int slot)
{
    if (slot >= 1 && slot <= 12)
        return Worn;
    for (int bag = 2; bag <= 4; ++bag)
        if (slot >= bag * 10 + 1 && slot <= bag * 10 + 9)
            return bag;
    if (slot >= 51 && slot <= 60)
        return Props;
    if (slot >= kMainFirst && slot < kMainFirst + kMainSize)
        return Main;
    if (slot >= kTemporaryFirst && slot < kTemporaryFirst + kTemporarySize)
        return Temporary;
    return -1;
}

} // namespace zrk
} // namespace kavri3D
