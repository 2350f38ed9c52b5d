#pragma once

#include "core/Bytes.h"
#include "package/PackageRecords.h"

// Reads the packet header and decodes the file list of every subgroup's
// packet, whether or not it holds atlases: `headers` and `fileLists` are
// refilled with one element per subgroup, at the subgroup's index.
// Throws PackageFormatError when a packet header or file list lies outside
// the package, or when the file lists together claim more bytes than the
// package holds (packets sharing one list would multiply the decoded data).
void readPacketHeaders(ByteSpan package, const PtrArray<SubGroupInfo>& subGroups, PtrArray<PacketHeader>& headers,
                       PtrArray<PacketFileList>& fileLists);
