#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/Console.h"

// A Console whose input is a fixed text and whose output is kept in memory
// (in a temporary file on Windows, whose C runtime has no memory streams).
class ConsoleCapture {
public:
    explicit ConsoleCapture(const std::string& input, bool interactive = true)
        : input_(input.empty() ? std::string(1, '\0') : input), in_(openInput(input)), out_(openOutput()),
          console_(in_, out_, interactive) {}
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
#ifdef _WIN32
        const long end = std::ftell(out_);
        std::string text(static_cast<std::size_t>(end), '\0');
        std::rewind(out_);
        const std::size_t got = std::fread(text.data(), 1, text.size(), out_);
        text.resize(got);
        std::fseek(out_, 0, SEEK_END);
        return text;
#else
        return std::string(buffer_, size_);
#endif
    }

private:
    std::FILE* openInput(const std::string& input) {
#ifdef _WIN32
        std::FILE* in = std::tmpfile();
        std::fwrite(input.data(), 1, input.size(), in);
        std::rewind(in);
#else
        std::FILE* in = fmemopen(input_.data(), input.size() == 0 ? 1 : input.size(), "r");
        if (input.empty()) {
            (void)std::fgetc(in); // leave nothing to read
        }
#endif
        return in;
    }
    std::FILE* openOutput() {
#ifdef _WIN32
        return std::tmpfile();
#else
        return open_memstream(&buffer_, &size_);
#endif
    }

    std::string input_;
    char* buffer_ = nullptr;
    std::size_t size_ = 0;
    std::FILE* in_;
    std::FILE* out_;
    Console console_;
};
