// A whole run of acquire: choose and open a source, negotiate, acquire the
// images by the chosen mechanism, write them and close everything.
#pragma once

#include "tools/acquire/options.h"

// The exit status: 0 when every image was acquired and written (or the
// listing or report was made), 1 otherwise.
int RunAcquire(const Options& options);
