#include "core/DefaultFsmHelper.h"

KAVRI_SINGLETON_DEFINE(kavri3D::core::DefaultFsmHelper);
