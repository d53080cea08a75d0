#include "embedhost/host_handles.h"

#include <cstdlib>

namespace embedhost {

namespace {

// A handle points at the first member, as a host's handle points at its master pointer.
struct Block {
    void *data;
    A_u_longlong size;
};

Block *blockOf(PF_Handle handle) { return reinterpret_cast<Block *>(handle); }

} // namespace

PF_Handle newHandle(A_u_longlong size) {
    auto *block = static_cast<Block *>(std::malloc(sizeof(Block)));
    if (block == nullptr) {
        return nullptr;
    }
    block->data = std::calloc(1, size > 0 ? size : 1);
    if (block->data == nullptr) {
        std::free(block);
        return nullptr;
    }
    block->size = size;
    return &block->data;
}

void *lockHandle(PF_Handle handle) { return handle != nullptr ? *handle : nullptr; }

void unlockHandle(PF_Handle) {}

void disposeHandle(PF_Handle handle) {
    if (handle == nullptr) {
        return;
    }
    std::free(blockOf(handle)->data);
    std::free(blockOf(handle));
}

A_u_longlong handleSize(PF_Handle handle) { return handle != nullptr ? blockOf(handle)->size : 0; }

} // namespace embedhost
