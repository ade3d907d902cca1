#include "cli/large_heap.h"

#include <malloc.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>

namespace vt::cli {

void PrepareHeapFor(const std::string& databasePath) {
    constexpr off_t kLargeFile = off_t{8} << 20;
    // Address space, not memory: memory is used as it is touched. A step
    // sized by the file would be wasted on one full of rows, and could
    // exhaust an address-space limit.
    constexpr int kStep = 64 << 20;
    constexpr int kLargestHeapBlock = 32 << 20;  // what glibc allows below its own mappings
    constexpr std::uintptr_t kHugePage = std::uintptr_t{2} << 20;
    struct stat info {};
    if (::stat(databasePath.c_str(), &info) != 0 || info.st_size < kLargeFile) {
        return;
    }
    // The heap is grown and kept in large steps, with no block so large
    // that it gets a mapping of its own.
    mallopt(M_MMAP_THRESHOLD, kLargestHeapBlock);
    mallopt(M_TRIM_THRESHOLD, kStep);
    mallopt(M_TOP_PAD, kStep);
    // Grows the heap by a step now, and asks for huge pages over it.
    void* probe = std::malloc(kLargestHeapBlock / 2);
    if (probe == nullptr) {
        return;
    }
    const auto start = (reinterpret_cast<std::uintptr_t>(probe) + kHugePage - 1) & ~(kHugePage - 1);
    const auto end = reinterpret_cast<std::uintptr_t>(::sbrk(0)) & ~(kHugePage - 1);
    std::free(probe);
    // Only where the block came from the heap's new step (an allocator that
    // maps its blocks elsewhere gets no advice).
    if (end > start && end - start <= std::uintptr_t{kStep} + kLargestHeapBlock) {
        ::madvise(reinterpret_cast<void*>(start), end - start, MADV_HUGEPAGE);  // advice only
    }
}

}  // namespace vt::cli
