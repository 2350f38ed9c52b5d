#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/FileSelection.h"
#include "description/TextureFormatIndex.h"
#include "package/PackageRecords.h"

// The package's files as the --list run prints them: one line per file of
// the packet of every subgroup that a group slot names (the packets that
// unpacking reaches; the others are neither listed nor checked), subgroups
// in the order of their records (each once, however many slots name it), files in the order of the
// packet's file list, only the files that `selection` selects. Each line has
// eight fields separated by tabs:
//   1 subgroup name   2 path inside the packet   3 size in bytes
//   4 "yes" when the file's data block (resource or atlas data) is
//     compressed, else "no"
//   5 width  6 height  7 format code (of the atlas's texture record)
//   8 format name from `formats` (when given and it lists the code)
// Fields 5 to 8 are empty for resource files, field 8 also when there is no
// name. Names are written with listField. Every packet is checked before
// anything is listed, as extraction checks it without reading its data:
// compression flags, the file list (checkPacketFiles) and each atlas's
// texture number; damage throws PackageFormatError.
std::vector<std::string> listPackageFiles(const PackageRecords& records, const FileSelection& selection,
                                          const TextureFormatIndex* formats);

// A name made safe for one field of a line: '\' becomes "\\", a tab "\t",
// a line end "\n", a carriage return "\r" and any other control byte (below
// 0x20, and 0x7F) "\xNN"; every other byte stays as it is.
std::string listField(std::string_view text);
