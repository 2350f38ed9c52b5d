#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "texture/PixelFormat.h"
#include "core/FileSelection.h"
#include "description/TextureFormatIndex.h"
#include "package/PackageRecords.h"

// One atlas of a packet visit, in the packet's file-list order.
struct PlannedAtlas {
    std::uint32_t entry = 0;                  // index in the packet's file list
    const TextureInfo* texture = nullptr;     // its texture record (atlasTexture)
    const FormatEntry* format = nullptr;      // null: the index file does not list the code
    PixelFormat pixelFormat;                  // of the format's name, looked up once here
    // Another file of the packet may land on the same extracted file (the
    // same name, or one Windows takes as the same). The atlas is decoded
    // from its own bytes all the same; its copy in "Temp" is always written.
    bool sharesItsName = false;
    // The atlases of the visit whose names may be one file with this one's
    // (itself among them) are those whose firstOfName is the same: the index
    // in the visit's atlases of the first of them. The copy in "Temp" is
    // removed once the last of them (lastOfName) is handled, and only when
    // every one of them was written as a PNG.
    std::uint32_t firstOfName = 0;
    bool lastOfName = true;
    std::uint64_t pixelCharge = 0;            // its cost against the output budget
    bool overBudget = false;                  // decoding it would pass the budget: the run ends here
    std::uint32_t listPosition = 0;           // its place in the list of files the visit writes
    // Its copy in "Temp" would be removed as soon as it is decoded from
    // memory, and nothing the visit does in between could read or meet it:
    // the copy is written only if the atlas is not written as a PNG.
    bool copyOnlyOnFailure = false;
};

// One visit of a packet, in run order; a packet named by two slots is
// visited twice. Packets without atlases are visited only when the run
// extracts every packet.
struct PlannedVisit {
    std::uint32_t group = 0;                  // the group whose slot names the subgroup
    std::uint32_t subGroup = 0;
    bool holdsAtlases = true;                 // its subgroup counts atlases
    // The files the visit extracts when a selection leaves some out (in list
    // order); every file of the packet when not set.
    std::optional<PacketFileList> selectedFiles;
    // The visit repeats an earlier one of the same packet, and nothing written
    // since could have changed what it would write: the earlier visit's
    // outcomes stand for it, and it writes and decodes nothing.
    std::optional<std::size_t> repeats;
    std::uint64_t extractCharge = 0;          // bytes its files add under "Temp" (0 when it repeats)
    bool overBudget = false;                  // extracting it would pass the budget: the run ends here
    std::vector<PlannedAtlas> atlases;
};

// The atlas stage in run order. Planning touches nothing and prints nothing:
// the visits say where the run will stop for certain (the budget) so that no
// work is started past that point. The records are those readPackage and the
// description have checked: slots name subgroups, atlases name textures.
struct AtlasPlan {
    std::vector<PlannedVisit> visits;
    std::uint64_t budget = 0;
};

// What the run works on besides the atlas-bearing packets' atlases.
struct PlanChoices {
    std::uint64_t budget = UINT64_MAX; // bytes extracted plus 4 per decoded pixel
    bool extractAll = false;           // also visit the packets that hold no atlases
    const FileSelection* selection = nullptr; // the files worked on; null: every file
    bool removeDecodedCopies = false;  // extracted atlases are removed once decoded (not kept)
    bool mayStopAtUnlisted = true;     // an atlas of an unlisted format may end the run (the prompt)
    bool thumbnails = false;           // each decoded atlas also makes the gallery's thumbnail
    std::uint64_t spent = 0;           // of the budget, taken before the atlas stage
};

// A packet none of whose files is selected gets no visit.
AtlasPlan planAtlasStage(const PackageRecords& records, const TextureFormatIndex& formats, const PlanChoices& choices);
