// Every block this process gives back to the allocator is zeroed first.
// Qt copies strings freely (implicit sharing, detaching, text layout,
// accessibility), so a password typed or decrypted leaves copies we never
// see; once freed they would stay readable in the heap until reused. Linked
// into the window program itself, these definitions take the place of the C
// library's for every library it loads. (Not the command-line tool: it ends
// within a second, and the zeroing costs it about 6 % of a dump.)
//
// Not under AddressSanitizer or ThreadSanitizer, which bring their own allocator.

#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)

#include <cstdlib>
#include <cstring>
#include <malloc.h>

extern "C" {
void* __libc_malloc(size_t size);
void __libc_free(void* block);

// glibc marks a block it mapped on its own (a large one) in the size word
// before it; freeing such a block unmaps it, so nothing of it stays readable
// in the process and it needs no zeroing (megabytes of pictures and file
// buffers at every start and exit).
static bool mappedOnItsOwn(const void* block) {
    constexpr size_t IsMapped = 0x2;
    return (static_cast<const size_t*>(block)[-1] & IsMapped) != 0;
}

void free(void* block) noexcept {
    if (!block) return;
    if (!mappedOnItsOwn(block)) ::explicit_bzero(block, ::malloc_usable_size(block));
    __libc_free(block);
}

// Growing in place would free nothing; moving frees the old block, which
// goes through free() above and is zeroed.
void* realloc(void* block, size_t size) noexcept {
    if (!block) return __libc_malloc(size);
    if (size == 0) {
        free(block);
        return nullptr;
    }
    const size_t usable = ::malloc_usable_size(block);
    if (size <= usable) return block;
    void* moved = __libc_malloc(size);
    if (!moved) return nullptr;
    std::memcpy(moved, block, usable);
    free(block);
    return moved;
}
}

#endif
