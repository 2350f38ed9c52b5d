#pragma once

#include "core/FileSelection.h"
#include "package/PackageRecords.h"

// Copies of the entries of a packet's file list whose path `selection`
// selects, in list order.
PacketFileList selectPacketFiles(const PacketFileList& files, const FileSelection& selection);
