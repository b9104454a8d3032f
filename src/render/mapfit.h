// How map units become pixels (declared with the automap drawing until it has its own header).
#pragma once

#include "render/automap.h"
