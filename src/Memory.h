#pragma once

#include <cstddef>

// The one place where the program's strings get and give back memory. Both
// work like the C runtime's realloc and free: ResizeBlock returns null, and
// leaves the block as it was, when no memory can be had.
void* ResizeBlock(void* block, std::size_t size);
void FreeBlock(void* block);
