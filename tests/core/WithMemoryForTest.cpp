#include <gtest/gtest.h>

#include <functional>
#include <new>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/withMemoryFor.h"

namespace {

// A stage short of memory ends the run naming the stage, and the reason
// when the failed allocation gave one (a block to inflate, say).
TEST(WithMemoryFor, NamesTheStageAndTheReasonGiven) {
    struct Case {
        const char* name;
        std::function<void()> stage;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {"plain", [] { throw std::bad_alloc(); }, {"Error: not enough memory for the atlas output"}},
        {"length", [] { throw std::length_error("vector"); }, {"Error: not enough memory for the atlas output"}},
        {"with a reason",
         [] { throw NotEnoughMemory("subgroup 3 (S): atlas data: not enough memory for 9 bytes to inflate it into"); },
         {"Error: not enough memory for the atlas output",
          "\tsubgroup 3 (S): atlas data: not enough memory for 9 bytes to inflate it into"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        try {
            withMemoryFor("the atlas output", c.stage);
            ADD_FAILURE() << "no error";
        } catch (const RunAborted& aborted) {
            EXPECT_EQ(aborted.lines(), c.lines);
            EXPECT_TRUE(aborted.pause());
        }
    }
}

} // namespace
