// Named shared memory with the meaning of the Windows file-mapping functions.
#pragma once

#include "win_types.h"
