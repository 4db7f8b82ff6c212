#pragma once
#include "options.h"

// Runs the machine as the options say and returns the exit status.
int Run(const TRunOptions& options);
