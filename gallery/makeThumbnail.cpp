#include "gallery/makeThumbnail.h"

#include <algorithm>
#include <cstring>
#include <vector>

ImageSize thumbnailSize(ImageSize size) {
    const std::uint32_t longer = std::max(size.width, size.height);
    if (longer <= thumbnailSide) {
        return size;
    }
    auto scaled = [longer](std::uint32_t side) {
        // Rounded to the nearest; the longer side comes out exactly thumbnailSide.
        const std::uint64_t value = (std::uint64_t {side} * thumbnailSide * 2U + longer) / (2U * longer);
        return static_cast<std::uint32_t>(std::max<std::uint64_t>(value, 1U));
    };
    return ImageSize {scaled(size.width), scaled(size.height)};
}

namespace {

// Where a source pixel lands along one axis. Source pixel s spans
// [s * to, (s + 1) * to) and target pixel t spans [t * from, (t + 1) * from)
// in units of 1 / (from * to) of the side, so the overlaps are whole numbers.
// As the target is not larger than the source, a source pixel overlaps one
// target pixel or two neighbours: `first` takes `weight` of it and the next
// one the rest (to - weight).
struct Landing {
    std::uint32_t first = 0;
    std::uint32_t weight = 0;
};

std::vector<Landing> landings(std::uint32_t from, std::uint32_t to) {
    std::vector<Landing> result(from);
    for (std::uint32_t s = 0; s < from; ++s) {
        const std::uint64_t start = std::uint64_t {s} * to;
        const auto t = static_cast<std::uint32_t>(start / from);
        const std::uint64_t boundary = std::uint64_t {t + 1U} * from;
        const std::uint64_t end = start + to;
        result[s] = Landing {t, static_cast<std::uint32_t>(std::min(end, boundary) - start)};
    }
    return result;
}

// Sums of one target pixel: colour times alpha times weight, alpha times
// weight. Doubles hold them exactly enough for any image up to 2^31 pixels a side.
struct Sums {
    double red = 0;
    double green = 0;
    double blue = 0;
    double alpha = 0;

    void add(const Sums& other, double weight) {
        red += other.red * weight;
        green += other.green * weight;
        blue += other.blue * weight;
        alpha += other.alpha * weight;
    }
};

std::uint8_t rounded(double value) {
    return static_cast<std::uint8_t>(std::clamp(value + 0.5, 0.0, 255.0));
}

} // namespace

PixelRows makeThumbnail(const PixelRows& image) {
    const ImageSize size = thumbnailSize(image.size());
    PixelRows thumbnail(size);
    if (size == image.size()) {
        for (std::uint32_t y = 0; y < size.height; ++y) {
            std::memcpy(thumbnail.row(y), image.row(y), std::size_t {size.width} * 4U);
        }
        return thumbnail;
    }
    const std::vector<Landing> across = landings(image.width(), size.width);
    const std::vector<Landing> down = landings(image.height(), size.height);
    std::vector<Sums> rowSums(size.width);
    std::vector<Sums> targetRow(size.width);
    auto addRow = [&](double weight) {
        for (std::uint32_t x = 0; x < size.width; ++x) {
            targetRow[x].add(rowSums[x], weight);
        }
    };
    // Every target pixel covers image.width() * image.height() units of
    // (horizontal weight) x (vertical weight).
    const double fullWeight = static_cast<double>(image.width()) * static_cast<double>(image.height());
    auto emit = [&](std::uint32_t targetY) {
        std::uint8_t* out = thumbnail.row(targetY);
        for (std::uint32_t x = 0; x < size.width; ++x) {
            const Sums& sums = targetRow[x];
            if (sums.alpha > 0) {
                out[4U * x] = rounded(sums.red / sums.alpha);
                out[4U * x + 1U] = rounded(sums.green / sums.alpha);
                out[4U * x + 2U] = rounded(sums.blue / sums.alpha);
                out[4U * x + 3U] = rounded(sums.alpha / fullWeight);
            }
            targetRow[x] = Sums {};
        }
    };
    std::uint32_t currentY = 0;
    for (std::uint32_t y = 0; y < image.height(); ++y) {
        std::fill(rowSums.begin(), rowSums.end(), Sums {});
        const std::uint8_t* in = image.row(y);
        for (std::uint32_t x = 0; x < image.width(); ++x) {
            const double alpha = in[4U * x + 3U];
            if (alpha == 0) {
                continue;
            }
            const Sums pixel {in[4U * x] * alpha, in[4U * x + 1U] * alpha, in[4U * x + 2U] * alpha, alpha};
            const Landing land = across[x];
            rowSums[land.first].add(pixel, land.weight);
            if (land.weight < size.width) {
                rowSums[land.first + 1U].add(pixel, size.width - land.weight);
            }
        }
        const Landing land = down[y];
        if (land.first != currentY) {
            emit(currentY);
            currentY = land.first;
        }
        addRow(land.weight);
        if (land.weight < size.height) {
            emit(currentY);
            currentY = land.first + 1U;
            addRow(size.height - land.weight);
        }
    }
    emit(currentY);
    return thumbnail;
}
