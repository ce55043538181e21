// Counts the bytes the process holds on the heap, and the most it held since the last reset,
// by replacing the global allocation functions of the benchmark executable.
#pragma once

#include <cstddef>

size_t HeapBytesInUse();
size_t HeapPeakBytes();
// Makes the peak start again from what is in use now.
void ResetHeapPeak();
