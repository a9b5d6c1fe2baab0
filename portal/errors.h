#pragma once
// The program's errors live in the base library; this name still reaches them.
#include "base/errors.h"
