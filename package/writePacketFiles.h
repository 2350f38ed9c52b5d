#pragma once

#include <string_view>
#include <vector>

#include "core/Bytes.h"
#include "platform/OutputFolder.h"
#include "core/PathList.h"
#include "package/PackageRecords.h"

// Writes every file of a packet below `base` (a folder such as "Temp") in the
// output folder `folder`: resource files (type 0) from `resourceData`, atlas
// files (type 1) from `atlasData`, each at its path inside the packet with its
// folders; existing files are replaced, each only once its new content is
// complete. All entries are checked first (checkPacketFiles), so a damaged
// list writes nothing. A file that cannot be written throws RunAborted naming
// it and the system's reason.
//
// `mayLeaveOut`, when given, marks files (by their place in `files`) that the
// caller would remove again as soon as it has read them from memory: each is
// only prepared (OutputFolder::prepareFile) and not written when that allows
// it. `leftOut`, when given, is made to mark the files left out, and marks
// them as they are passed over, so that it holds those left out so far when
// a later file throws; the caller writes any of them it keeps after all.
void writePacketFiles(OutputFolder& folder, const PathList& base, ByteSpan resourceData, ByteSpan atlasData,
                      const PacketFileList& files, std::string_view packetLabel = "packet",
                      const std::vector<bool>& mayLeaveOut = {}, std::vector<bool>* leftOut = nullptr);
