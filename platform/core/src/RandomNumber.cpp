#include "core/RandomNumber.h"

#include <yake/Math.h>

namespace kavri3D {
namespace core {

RandomNumber RandomNumber::settable()
{
    RandomNumber r;
    r.mSource = [] { return yake::math::Math::UnitRandom(); };
    return r;
}

} // namespace core
} // namespace kavri3D
