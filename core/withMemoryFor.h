#pragma once

#include <new>
#include <stdexcept>
#include <string>

#include "core/FatalError.h"

// Runs one stage of a run; a failed allocation in it ends the run with
// "Error: not enough memory for " and `purpose`, the stage that ran out.
template <typename Stage>
auto withMemoryFor(const char* purpose, Stage&& stage) {
    try {
        return stage();
    } catch (const std::bad_alloc&) {
        throw RunAborted({std::string("Error: not enough memory for ") + purpose}, true);
    } catch (const std::length_error&) {
        throw RunAborted({std::string("Error: not enough memory for ") + purpose}, true);
    }
}
