// A header whose tests are named but missing.
// Tests: planted/missing_test.cpp, planted/base/low.h.
#pragma once
