#pragma once

#include "app/CommandLine.h"
#include "platform/Console.h"

// The --list run. Writes no file. Reads the index file first when -f names
// one; when it cannot be read or is not accepted, `messages` gets its line
// ("TextureFormat Index Information File : Not Exist" or ": Format Error")
// and "Now Exit" and nothing is listed. Then, for each package in turn,
// prints its lines (listPackageFiles, with the --only selection) to
// `listing`, and nothing else. A package that cannot be listed prints no
// line to `listing`; `messages` gets "InPut : " and its path, the lines an
// unpacking run ends with ("File Is Not Exist ", the buffer lines, or
// "ResourcePackage : Format Error" and a tab with the reason) and "Now
// Exit", and the next package is listed. The package is checked as the
// analysis of an unpacking run checks it, and each packet as extraction
// checks it before reading its data. Returns 0 when every package was
// listed, otherwise 1.
int listPackages(Console& listing, Console& messages, const CommandLine& options);
