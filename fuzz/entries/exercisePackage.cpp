#include "fuzz/entries/exercisePackage.h"

#include <rapidjson/document.h>

#include "core/FatalError.h"
#include "core/StringBuffer.h"
#include "description/JsonMembers.h"
#include "description/PackageInformation.h"
#include "description/buildPackageInformation.h"
#include "description/writeDescriptionFile.h"
#include "package/PackageRecords.h"
#include "package/readPackage.h"

void exercisePackage(ByteSpan package) {
    try {
        PackageRecords records;
        readPackage(package, records);

        PackageInformation information;
        buildPackageInformation(information, StringBuffer::fromBytes("input.rsb"), records.useMoreAtlasInfo,
                                records.groups, records.subGroups, records.textures, records.packetHeaders,
                                records.packetFileLists);
        JsonAllocator allocator;
        rapidjson::Value root(rapidjson::kObjectType);
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
