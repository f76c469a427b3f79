// Every block this process gives back to the allocator is zeroed first.
// Qt copies strings freely (implicit sharing, detaching, text layout,
// accessibility), so a password typed or decrypted leaves copies we never
// see; once freed they would stay readable in the heap until reused. Linked
// into the window program itself, these definitions take the place of the C
// library's for every library it loads. (Not the command-line tool: it ends
// within a second, and the zeroing costs it about 6 % of a dump.)
//
// Another allocator put in front of the C library's (LD_PRELOAD of jemalloc
// or tcmalloc) owns the blocks: then each block is zeroed all the same and
// handed to that allocator's own free and realloc, never to glibc's.
//
// Not under AddressSanitizer or ThreadSanitizer, which bring their own allocator.

#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)

#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <malloc.h>

extern "C" {
void* __libc_malloc(size_t size);
void __libc_free(void* block);
void* __libc_realloc(void* block, size_t size);
}

namespace {
using FreeFunction = void (*)(void*);
using ReallocFunction = void* (*)(void*, size_t);

// The allocator that serves this process, found at the first free: glibc's,
// or the one in front of it.
struct Allocator {
    bool isGlibc = true;
    FreeFunction free = nullptr;
    ReallocFunction realloc = nullptr;
};

thread_local bool t_finding = false;

const Allocator* allocator() {
    static const Allocator found = [] {
        t_finding = true; // dlsym may free: those blocks are glibc's or leak
        Allocator a;
        void* const malloc = ::dlsym(RTLD_DEFAULT, "malloc");
        a.isGlibc = malloc == nullptr || malloc == reinterpret_cast<void*>(&__libc_malloc);
        if (!a.isGlibc) {
            a.free = reinterpret_cast<FreeFunction>(::dlsym(RTLD_NEXT, "free"));
            a.realloc = reinterpret_cast<ReallocFunction>(::dlsym(RTLD_NEXT, "realloc"));
            a.isGlibc = a.free == nullptr || a.realloc == nullptr;
        }
        t_finding = false;
        return a;
    }();
    return &found;
}

// glibc marks a block it mapped on its own (a large one) in the size word
// before it; freeing such a block unmaps it, so nothing of it stays readable
// in the process and it needs no zeroing (megabytes of pictures and file
// buffers at every start and exit).
bool mappedOnItsOwn(const void* block) {
    constexpr size_t IsMapped = 0x2;
    return (static_cast<const size_t*>(block)[-1] & IsMapped) != 0;
}
} // namespace

extern "C" {
void free(void* block) noexcept {
    if (!block) return;
    if (t_finding) return; // while the allocator is looked up: left as it is
    const Allocator* a = allocator();
    if (!a->isGlibc) {
        ::explicit_bzero(block, ::malloc_usable_size(block));
        a->free(block);
        return;
    }
    if (!mappedOnItsOwn(block)) ::explicit_bzero(block, ::malloc_usable_size(block));
    __libc_free(block);
}

// Growing in place would free nothing; moving frees the old block, which
// goes through free() above and is zeroed.
void* realloc(void* block, size_t size) noexcept {
    if (!block) return ::malloc(size);
    if (size == 0) {
        free(block);
        return nullptr;
    }
    const size_t usable = ::malloc_usable_size(block);
    if (size <= usable) return block;
    void* moved = ::malloc(size);
    if (!moved) return nullptr;
    std::memcpy(moved, block, usable);
    free(block);
    return moved;
}
}

#endif
