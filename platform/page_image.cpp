#include "platform/page_image.h"

#include <sys/mman.h>

#include <cstdint>
#include <limits>

namespace vx {

namespace {

constexpr size_t kHugePage = size_t(2) << 20;
// Below one huge page the ordinary allocation is as good.
constexpr size_t kMinBytesForHugePages = kHugePage;

struct Mapping {
    void* start;
    size_t length;
};

void unmap(void* info) {
    auto* mapping = static_cast<Mapping*>(info);
    munmap(mapping->start, mapping->length);
    delete mapping;
}

// Rounds `value` up to a multiple of `align` (a power of two).
size_t roundUp(size_t value, size_t align) {
    return (value + align - 1) & ~(align - 1);
}

} // namespace

QImage newPageImage(int width, int height, QImage::Format format) {
    const QImage probe(1, 1, format);
    const int depth = probe.depth();
    if (width <= 0 || height <= 0 || depth <= 0)
        return {};
    // Rows aligned to 32 bits as QImage lays them out itself.
    const int64_t bytesPerLine = ((int64_t(width) * depth + 31) / 32) * 4;
    const int64_t bytes = bytesPerLine * height;
    if (bytesPerLine > std::numeric_limits<int>::max() || size_t(bytes) < kMinBytesForHugePages)
        return QImage(width, height, format);
    // Mapped with room to start on a huge-page boundary.
    const size_t length = roundUp(size_t(bytes), kHugePage) + kHugePage;
    void* start = mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (start == MAP_FAILED)
        return QImage(width, height, format);
    auto* aligned =
        reinterpret_cast<uchar*>(roundUp(reinterpret_cast<uintptr_t>(start), kHugePage));
    madvise(aligned, roundUp(size_t(bytes), kHugePage), MADV_HUGEPAGE);
    auto* mapping = new Mapping{start, length};
    QImage image(aligned, width, height, qsizetype(bytesPerLine), format, unmap, mapping);
    if (image.isNull())
        unmap(mapping);
    return image;
}

} // namespace vx
