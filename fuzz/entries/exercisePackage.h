#pragma once

#include "core/Bytes.h"

// Runs a whole package through the reader, every packet's blocks and file
// list as extraction checks them, the description builder and the
// description text, all in memory. A damaged package may only end in
// PackageFormatError, which is swallowed; any other exception escapes, and
// any out-of-bounds access or undefined behaviour is left for the sanitizers.
void exercisePackage(ByteSpan package);
