#pragma once

#include <cstdint>
#include <string>
#include <vector>

// What became of an atlas, as the gallery shows it.
enum class AtlasState {
    written,    // its PNG was written
    failed,     // decoding or writing it failed
    skipped,    // its format code is not in the index file, and the run passed it over
    notReached, // the run ended before it
};

// One atlas of a packet visit. Names are the package's bytes, untrusted.
struct GalleryAtlas {
    std::string name;                        // its path inside the packet
    AtlasState state = AtlasState::notReached;
    std::string reason;                      // why it was not written (failed, skipped, not reached)
    std::uint32_t width = 0;                 // the image's size, 0 when not known
    std::uint32_t height = 0;
    std::string formatName;                  // empty when the index file does not list it
    std::uint64_t pngBytes = 0;              // the PNG's size when written
    // Paths below the page's folder, as the components of the names on the
    // disk; the thumbnail's is empty when no thumbnail was written.
    std::vector<std::string> pngPath;
    std::vector<std::string> thumbnailPath;
    std::uint32_t thumbnailWidth = 0;
    std::uint32_t thumbnailHeight = 0;
};

// One visit of a packet, in run order.
struct GallerySection {
    std::string groupName;
    std::string subGroupName;
    std::vector<GalleryAtlas> atlases;
};

struct GalleryPage {
    std::string title;                   // the output folder's name
    std::string endReason;               // why the run ended early; empty when it ran to its end
    std::vector<GallerySection> sections;
};
