#include "yake/Math.h"

#include <random>

namespace yake {
namespace math {

namespace {
std::function<float()>& source()
{
    static std::function<float()> theSource;
    return theSource;
}
} // namespace

float Math::UnitRandom()
{
    if (source())
        return source()();
    static std::mt19937 generator{std::random_device{}()};
    return std::uniform_real_distribution<float>(0.0f, 1.0f)(generator);
}

void Math::setRandomSource(std::function<float()> s) { source() = std::move(s); }

} // namespace math
} // namespace yake
