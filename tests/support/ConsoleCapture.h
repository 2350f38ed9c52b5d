#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/Console.h"

// A Console whose input is a fixed text and whose output is kept in memory.
class ConsoleCapture {
public:
    explicit ConsoleCapture(const std::string& input, bool interactive = true)
        : input_(input.empty() ? std::string(1, '\0') : input),
          in_(fmemopen(input_.data(), input.size() == 0 ? 1 : input.size(), "r")),
          out_(open_memstream(&buffer_, &size_)),
          console_(in_, out_, interactive) {
        if (input.empty()) {
            (void)std::fgetc(in_); // leave nothing to read
        }
    }
    ConsoleCapture(const ConsoleCapture&) = delete;
    ConsoleCapture& operator=(const ConsoleCapture&) = delete;
    ~ConsoleCapture() {
        std::fclose(in_);
        std::fclose(out_);
        std::free(buffer_);
    }
    Console& console() { return console_; }
    std::string output() {
        std::fflush(out_);
        return std::string(buffer_, size_);
    }

private:
    std::string input_;
    char* buffer_ = nullptr;
    std::size_t size_ = 0;
    std::FILE* in_;
    std::FILE* out_;
    Console console_;
};
