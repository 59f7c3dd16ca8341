#pragma once
// Reaches up: the check must refuse this.
#include "high/top.h"
