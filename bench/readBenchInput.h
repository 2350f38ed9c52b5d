#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The whole file at `path`, read with the tool's own reader; throws
// std::runtime_error with the system's reason when it cannot be read.
std::vector<std::uint8_t> readBenchInput(const std::string& path);
