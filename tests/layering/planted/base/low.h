// A lower layer that reaches up: the check must name this file and line.
#pragma once
#include "frontend/high.h"
