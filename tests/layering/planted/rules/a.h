// Two headers of one layer that include each other: a cycle.
#pragma once
#include "rules/b.h"
