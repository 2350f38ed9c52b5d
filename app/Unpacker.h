#pragma once

#include <cstdint>
#include <span>

#include "app/CommandLine.h"
#include "platform/Console.h"
#include "platform/OutputFolder.h"
#include "core/StringBuffer.h"

// Exit statuses of a run.
inline constexpr int exitSuccess = 0;
inline constexpr int exitFailure = 1;
inline constexpr int exitUsage = 2;

// The whole run for one package: banner, package choice, reading the package,
// the output folder, the package driver, "Finish!" and, in an interactive run,
// the wait for one character. Every fatal condition ends that package's run
// with its lines, "Now Exit" and the pause it asks for, and no further wait.
// With several packages on the command line, each has such a run in turn; a
// run that ends early does not stop the next, except the answer 0 at the
// unlisted-format prompt, which ends the whole command. Without -f, the index
// file the user chose for one package is taken for the ones after it (asked
// for again only while none could be read). Returns the exit status: 1 when
// any package's run ended early or had an atlas fail.
int runUnpacker(Console& console, const CommandLine& options);

// The package driver: analysis and description, then the atlas output, all
// written into `folder`. A failed allocation ends the run (RunAborted naming
// what the memory was for). Returns the exit status of the
// stages (1 when an atlas failed); fatal conditions leave by exception.
// `chosenIndexPath`, when given, receives the path the index file was read from.
int processPackage(Console& console, OutputFolder& folder, const CommandLine& options, const StringBuffer& fileName,
                   std::span<const std::uint8_t> packageBuffer, std::string* chosenIndexPath = nullptr);
