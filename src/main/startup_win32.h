#pragma once

namespace tessel {

// The whole life of the program: start-up, message loop, teardown. The
// process exit code is always 0.
int RunTessel();

}  // namespace tessel
