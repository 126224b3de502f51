#include "FakeMemory.h"

#include "Memory.h"

#include <cstdlib>
#include <limits>
#include <set>

namespace FakeMemory {
namespace {

std::size_t requests = 0;
std::size_t failFrom = std::numeric_limits<std::size_t>::max();
std::set<void*> live;

}  // namespace

void FailFrom(std::size_t request) {
    requests = 0;
    failFrom = request;
}

void Restore() { failFrom = std::numeric_limits<std::size_t>::max(); }

std::size_t Requests() { return requests; }
std::size_t LiveBlocks() { return live.size(); }

}  // namespace FakeMemory

using namespace FakeMemory;

void* ResizeBlock(void* block, std::size_t size) {
    if (requests++ >= failFrom)
        return nullptr;
    void* grown = std::realloc(block, size);
    if (grown) {
        live.erase(block);
        live.insert(grown);
    }
    return grown;
}

void FreeBlock(void* block) {
    live.erase(block);
    std::free(block);
}
