#pragma once
#include <windows.h>
#include "rules/a.h"
