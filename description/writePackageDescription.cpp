#include "description/writePackageDescription.h"

#include <string_view>

#include "description/JsonMembers.h"
#include "description/PackageInformation.h"
#include "description/buildPackageInformation.h"
#include "description/writeDescriptionFile.h"

namespace {

void writeText(DescriptionWriter& writer, const StringBuffer& text) {
    if (text.isAbsent()) {
        writer.Null();
    } else {
        writer.String(text.view().data(), static_cast<rapidjson::SizeType>(text.length()), true);
    }
}

void writeKey(DescriptionWriter& writer, std::string_view name) {
    writer.Key(name.data(), static_cast<rapidjson::SizeType>(name.size()), true);
}

// Walks every group and used slot of the package, describing each slot.
void describeSlots(const PackageRecords& records, const PackageInformationVisitor& visitor) {
    visitPackageInformation(records.groups, records.subGroups, records.textures, records.packetHeaders,
                            records.packetFileLists, visitor);
}

} // namespace

std::uint64_t writePackageDescription(OutputFolder& folder, const StringBuffer& packageFileName,
                                      const PackageRecords& records, std::uint64_t limit) {
    // A first walk makes every check, so a malformed package stops the run
    // before the file is created.
    describeSlots(records, PackageInformationVisitor {});

    return writeDescriptionFile(
        folder,
        [&](DescriptionWriter& writer) {
        writer.StartObject();
        writeKey(writer, "ID");
        writeText(writer, packageFileName);
        writeKey(writer, "UseMoreAtlasInformation");
        writer.Bool(records.useMoreAtlasInfo);
        writeKey(writer, "Group");
        writer.StartArray();
        PackageInformationVisitor visitor;
        visitor.groupStart = [&writer](const StringBuffer& groupId) {
            writer.StartObject();
            writeKey(writer, "ID");
            writeText(writer, groupId);
            writeKey(writer, "SubGroup");
            writer.StartArray();
        };
        visitor.slot = [&writer](const SubGroupInformation& subGroup) {
            // One subgroup's JSON values at a time, in a pool of their own.
            JsonAllocator allocator;
            JsonValue object(rapidjson::kObjectType);
            subGroup.fillJson(object, allocator);
            object.Accept(writer);
        };
        visitor.groupEnd = [&writer] {
            writer.EndArray();
            writer.EndObject();
        };
        describeSlots(records, visitor);
        writer.EndArray();
        writer.EndObject();
        },
        limit);
}
