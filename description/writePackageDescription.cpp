#include "description/writePackageDescription.h"

#include <rapidjson/document.h>

#include "description/JsonMembers.h"
#include "description/PackageInformation.h"
#include "description/buildPackageInformation.h"
#include "description/writeDescriptionFile.h"

void writePackageDescription(const StringBuffer& packageFileName, const PackageRecords& records) {
    PackageInformation information;
    buildPackageInformation(information, packageFileName, records.useMoreAtlasInfo, records.groups,
                            records.subGroups, records.textures, records.packetHeaders, records.packetFileLists);

    // The JSON values live in this pool and go with it when the file is written.
    JsonAllocator allocator;
    rapidjson::Value root(rapidjson::kObjectType);
    information.fillJson(root, allocator);
    writeDescriptionFile(root);
}
