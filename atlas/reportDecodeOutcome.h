#pragma once

#include "atlas/decodeAtlasFile.h"
#include "platform/Console.h"

// The console lines that close one atlas: a warning when bytes were missing,
// then "\t\tDeCode Finish", or "\t\tDeCode Failed : " and the reason.
void reportDecodeOutcome(Console& console, const DecodeOutcome& outcome);
