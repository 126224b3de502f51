#pragma once

#include "String.h"

#include <cstddef>

// Room reserved for one argument before it grows; longer arguments are
// taken whole.
constexpr std::size_t ArgumentCapacity = 256;

// Takes the argument that starts at or after position in the zero-terminated
// text and leaves position at the separator or zero byte that ended it.
// Returns false, with argument empty, when memory runs out.
[[nodiscard]] bool NextArgument(const char* text, std::size_t& position, String& argument);

// The command-line argument with the given index, the program's name being
// argument 0; empty when the command line has fewer arguments, or when memory
// ran out while reading it.
String CommandLineArgument(std::size_t index);
