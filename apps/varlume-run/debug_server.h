#pragma once
#include <cstdint>

class TMachine;

// --debug-server PORT: waits on 127.0.0.1:PORT for one debug adapter protocol client and runs
// the machine as it asks, until it disconnects or the connection closes. `breakpointHit` is the
// runner host's flag, set when the processor reaches a breakpoint. Returns the exit status.
int ServeDebugClient(TMachine& machine, uint16_t port, bool& breakpointHit);
