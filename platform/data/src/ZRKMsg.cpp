#include "data/ZRKMsg.h"

KAVRI_SINGLETON_DEFINE(kavri3D::zrk::ZRKMsg);
