#include "core/PhysicsManager.h"

KAVRI_SINGLETON_DEFINE(kavri3D::core::PhysicsManager);
