// Replaces the non-throwing array new and the array deletes of the test program. Blocks come
// from malloc, as the library's own new does, so every delete[] may free them alike.
#include "tests/controls/allocation_count.h"

#include <cstdlib>
#include <new>

namespace {
void* g_blocks[256];
int g_live = 0;
}  // namespace

int LiveNothrowArrays() { return g_live; }

void* operator new[](std::size_t size, const std::nothrow_t&) noexcept
{
    void* block = std::malloc(size ? size : 1);
    if (!block)
        return nullptr;
    for (void*& slot : g_blocks) {
        if (!slot) {
            slot = block;
            ++g_live;
            break;
        }
    }
    return block;
}

void operator delete[](void* block) noexcept
{
    if (!block)
        return;
    for (void*& slot : g_blocks) {
        if (slot == block) {
            slot = nullptr;
            --g_live;
            break;
        }
    }
    std::free(block);
}

void operator delete[](void* block, std::size_t) noexcept { operator delete[](block); }
