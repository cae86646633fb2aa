#pragma once
#include <vector>

namespace yake {

/// The engine's growable list, as the game's lists of names and pairs travel.
template <class T> using Vector = std::vector<T>;

} // namespace yake
