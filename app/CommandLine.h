#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "png/encodePng.h"

// What the command line asks for. No arguments at all is the interactive run.
struct CommandLine {
    bool interactive = true;
    bool showHelp = false;
    bool showVersion = false;
    std::vector<std::string> packagePaths; // in the order given; each is unpacked in turn
    std::optional<std::string> indexPath;
    std::optional<std::string> outputFolder;
    bool skipUnknown = false;
    unsigned jobs = 0; // 0: one per core
    std::optional<std::uint64_t> maxOutput; // the output budget, when given
    bool extractAll = false;               // --all: also packets without atlases
    std::vector<std::string> onlyPatterns; // --only: the files worked on (none: every file)
    bool keepExtracted = false;            // --keep-extracted: decoded atlases keep their "Temp" file
    bool list = false;                     // --list: print the packets' files, write nothing
    bool gallery = false;                  // --gallery: Gallery.html and thumbnails beside the output
    PngCompression compression = PngCompression::standard;
};

// Parses the arguments after the program name. On a bad command line returns
// nothing and puts the reason into `error`.
std::optional<CommandLine> parseCommandLine(const std::vector<std::string>& arguments, std::string& error);

// The usage text printed by -h/--help and after a bad command line.
std::string usageText();
