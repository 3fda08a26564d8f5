#pragma once

// The checkout the tests and benchmarks were built from, for the scripts under db/.  It lives in one
// small object so that the path stays out of every other compile command, and a clone in another
// folder reuses the compiled tests from the cache.
const char* KivSourceDir();
