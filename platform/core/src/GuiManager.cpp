#include "core/GuiManager.h"

KAVRI_SINGLETON_DEFINE(kavri3D::core::GuiManager);
