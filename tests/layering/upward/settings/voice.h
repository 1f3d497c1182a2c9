#pragma once
// Settings that reach into a neighbouring module.
#include "sound/mixer.h"
