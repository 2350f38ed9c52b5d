#pragma once

#include <string_view>

#include "core/Bytes.h"
#include "package/PackageRecords.h"

// Decodes a packet's file list into `list`, in stored order. Each name is
// followed by a 12-byte description (type, offset, size), or a 32-byte one
// when the type is 1 (atlas texture: adds atlasIndex, width, height).
// `tableName` starts the reason of a PackageFormatError.
void decodePacketFileList(PacketFileList& list, ByteSpan table, std::string_view tableName = "file list");
