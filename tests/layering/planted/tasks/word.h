// A layer beside diagnostics that the architecture keeps from it.
#pragma once
#include "diagnostics/d.h"
