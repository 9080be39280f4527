// A higher layer including a lower one, as it may.
#pragma once
#include "base/low.h"
