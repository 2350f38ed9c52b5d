#include "fuzz/entries/exercisePackage.h"

#include <cstdint>

#include <rapidjson/document.h>

#include "core/FatalError.h"
#include "core/StringBuffer.h"
#include "description/JsonMembers.h"
#include "description/PackageInformation.h"
#include "description/buildPackageInformation.h"
#include "description/writeDescriptionFile.h"
#include "package/PackageRecords.h"
#include "package/PackageRules.h"
#include "package/checkPacketFiles.h"
#include "package/openPacketBlocks.h"
#include "package/readPackage.h"

namespace {

// Inflating a block allocates its declared size up front; the fuzzer's
// memory limit would take a sound refusal of a 4 GiB block for a fault, so
// such packets are left to the sweep tests of the real binary.
constexpr std::uint32_t largestInflatedBlock = 256U << 20U;

bool inflatesTooMuch(const PacketHeader& header) {
    const bool resourceCompressed = (header.compressionFlags & compressResourceFlag) != 0;
    const bool atlasCompressed = (header.compressionFlags & compressAtlasFlag) != 0;
    return (resourceCompressed && header.resourceDataSize > largestInflatedBlock) ||
           (atlasCompressed && header.atlasDataSize > largestInflatedBlock);
}

// Checks every packet's compression flags as the description does, opens
// its blocks and checks its file list the way extraction does before writing, then reads the first and last byte of every file so
// that a file reaching past its block shows up under the sanitizers. Each
// packet on its own: a damaged one does not hide the next.
void exercisePackets(ByteSpan package, const PackageRecords& records) {
    for (std::uint32_t k = 0; k < records.subGroups.count(); ++k) {
        const PacketHeader& header = records.packetHeaders[k];
        if (inflatesTooMuch(header)) {
            continue;
        }
        try {
            checkCompressionFlags(header.compressionFlags, "packet");
            const PacketBlocks blocks = openPacketBlocks(package, records.subGroups[k].packetOffset, header, "packet");
            const PacketFileList& files = records.packetFileLists[k];
            checkPacketFiles(files, blocks.resourceData().size(), blocks.atlasData().size(), "packet");
            unsigned sum = 0;
            for (const PacketFileEntry& file : files) {
                const ByteSpan block = file.type == atlasFileType ? blocks.atlasData() : blocks.resourceData();
                const ByteSpan bytes = block.subspan(file.offset, file.size);
                if (!bytes.empty()) {
                    sum += unsigned{bytes.front()} + unsigned{bytes.back()};
                }
            }
            volatile unsigned sink = sum;
            (void)sink;
        } catch (const PackageFormatError&) {
        }
    }
}

} // namespace

void exercisePackage(ByteSpan package) {
    try {
        PackageRecords records;
        readPackage(package, records);
        exercisePackets(package, records);

        PackageInformation information;
        buildPackageInformation(information, StringBuffer::fromBytes("input.rsb"), records.useMoreAtlasInfo,
                                records.groups, records.subGroups, records.textures, records.packetHeaders,
                                records.packetFileLists);
        JsonAllocator allocator;
        JsonValue root(rapidjson::kObjectType);
        information.fillJson(root, allocator);
        const std::string text = descriptionText(root);
        // The text always holds at least the root object's braces.
        if (text.size() < 2 || text.front() != '{' || text.back() != '}') {
            throw std::logic_error("description text is not one JSON object");
        }
    } catch (const PackageFormatError&) {
        // The expected outcome for a damaged package.
    }
}
