#pragma once

#include <new>
#include <stdexcept>
#include <string>

#include "core/FatalError.h"

// Runs one stage of a run; a failed allocation in it ends the run with
// "Error: not enough memory for " and `purpose`, the stage that ran out,
// then, for NotEnoughMemory, a tab and what the memory was for.
template <typename Stage>
auto withMemoryFor(const char* purpose, Stage&& stage) {
    try {
        return stage();
    } catch (const NotEnoughMemory& error) {
        throw RunAborted({std::string("Error: not enough memory for ") + purpose, std::string("\t") + error.what()},
                         true);
    } catch (const std::bad_alloc&) {
        throw RunAborted({std::string("Error: not enough memory for ") + purpose}, true);
    } catch (const std::length_error&) {
        throw RunAborted({std::string("Error: not enough memory for ") + purpose}, true);
    }
}
