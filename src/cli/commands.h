#pragma once

#include "cli.h"

namespace tarvex::cli {

// Each command returns the exit status: 0 success, 1 failure, 2 bad usage.
int cmdInit(Context &context);

} // namespace tarvex::cli
