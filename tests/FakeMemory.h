#pragma once

// A stand-in for the strings' allocator that can run out of memory on cue
// and counts the blocks still held.

#include <cstddef>

namespace FakeMemory {

// Starts counting requests afresh; from the given one on (0 is the next),
// every allocation fails.
void FailFrom(std::size_t request);
// Memory never runs out again.
void Restore();
// Requests made since FailFrom.
std::size_t Requests();
std::size_t LiveBlocks();

}  // namespace FakeMemory
