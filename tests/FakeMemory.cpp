#include "FakeMemory.h"

#include "Memory.h"

#include <cstdlib>
#include <limits>
#include <set>

namespace FakeMemory {
namespace {

std::size_t requests = 0;
std::size_t failFrom = std::numeric_limits<std::size_t>::max();
// Never destroyed: the program's process-wide strings give their blocks back
// during static destruction, after this file's objects might be gone.
std::set<void*>& Live() {
    static auto* live = new std::set<void*>;
    return *live;
}

}  // namespace

void FailFrom(std::size_t request) {
    requests = 0;
    failFrom = request;
}

void Restore() { failFrom = std::numeric_limits<std::size_t>::max(); }

std::size_t Requests() { return requests; }
std::size_t LiveBlocks() { return Live().size(); }

}  // namespace FakeMemory

using namespace FakeMemory;

void* ResizeBlock(void* block, std::size_t size) {
    if (requests++ >= failFrom)
        return nullptr;
    void* grown = std::realloc(block, size);
    if (grown) {
        Live().erase(block);
        Live().insert(grown);
    }
    return grown;
}

void FreeBlock(void* block) {
    Live().erase(block);
    std::free(block);
}
