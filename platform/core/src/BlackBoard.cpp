#include "core/BlackBoard.h"

KAVRI_SINGLETON_DEFINE(kavri3D::core::BlackBoard);

namespace kavri3D {
namespace core {

BlackBoard::BlackBoard() = default;

} // namespace core
} // namespace kavri3D
