#pragma once

#include <string>

#include <rapidjson/document.h>

// The description as text: tab-indented, one member or element per line,
// strings copied byte for byte except for the JSON escapes of '"', '\\' and
// bytes below 0x20; no byte-order mark and no line end after the final "}".
std::string descriptionText(const rapidjson::Value& root);

// Writes descriptionText(root) to "Information.json" in the current directory
// with one write, replacing any earlier file. Throws RunAborted (with the
// console pause) naming the file and the system's reason when the file cannot
// be created or completely written.
void writeDescriptionFile(const rapidjson::Value& root);
