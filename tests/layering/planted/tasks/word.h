// A layer beside diagnostics that the architecture keeps from it.
#pragma once
#include "diagnostics/d.h"
#include <cstdio>
inline void say() { std::fputs("word\n", stdout); }
