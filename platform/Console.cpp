#include "platform/Console.h"

#include <cctype>
#include <cerrno>
#include <charconv>

#include "platform/Platform.h"
#include "core/printableName.h"

Console::Console(std::FILE* in, std::FILE* out, bool interactive)
    : in_(in), out_(out), interactive_(interactive), toTerminal_(platform::isTerminal(out)),
      startFolder_(platform::currentDirectory().value_or("")) {}

std::string Console::packageName(std::string_view name) const {
    return shown(name);
}

std::string Console::shown(std::string_view text) const {
    return toTerminal_ ? printableName(text, '\t') : std::string(text);
}

void Console::write(std::string_view text, bool lineEnd) {
    errno = 0;
    bool written = std::fwrite(text.data(), 1, text.size(), out_) == text.size();
    if (written && lineEnd) {
        written = std::fputc('\n', out_) != EOF;
    }
    written = std::fflush(out_) == 0 && written;
    if (!written && writeError_ == 0) {
        writeError_ = errno != 0 ? errno : EIO;
    }
}

void Console::line(std::string_view text) { write(shown(text), true); }

void Console::text(std::string_view text) { write(shown(text), false); }

void Console::ownLine(std::string_view text) { write(text, true); }

std::optional<std::string> Console::readLine() {
    std::string result;
    bool any = false;
    for (;;) {
        const int c = std::fgetc(in_);
        if (c == EOF) {
            break;
        }
        any = true;
        if (c == '\n') {
            break;
        }
        result.push_back(static_cast<char>(c));
    }
    if (!any) {
        return std::nullopt;
    }
    if (!result.empty() && result.back() == '\r') {
        result.pop_back();
    }
    return result;
}

std::optional<std::int64_t> Console::readInteger() {
    for (;;) {
        std::optional<std::string> reply = readLine();
        if (!reply) {
            return std::nullopt;
        }
        std::string_view text = *reply;
        while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front())) != 0) {
            text.remove_prefix(1);
        }
        while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())) != 0) {
            text.remove_suffix(1);
        }
        if (!text.empty() && text.front() == '+') {
            text.remove_prefix(1);
        }
        std::int64_t value = 0;
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
        if (!text.empty() && error == std::errc() && end == text.data() + text.size()) {
            return value;
        }
    }
}

void Console::pause() {
    if (!interactive_) {
        return;
    }
    text("Press any key to continue . . .");
    platform::waitForKey(in_);
    line("");
}

void Console::finalWait() {
    if (interactive_) {
        platform::waitAtEnd(in_);
    }
}
