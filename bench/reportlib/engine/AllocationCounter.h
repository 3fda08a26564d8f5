// Counts heap allocations of the benchmark program: the global operator new is replaced (in
// AllocationCounter.cpp) to count every call.
#pragma once

long long AllocationCount();
