#include "Memory.h"

#include <cstdlib>

// Strings allocate through the C runtime, which the program links anyway.
void* ResizeBlock(void* block, std::size_t size) { return std::realloc(block, size); }

// Gives a block back to the C runtime.
void FreeBlock(void* block) { std::free(block); }
