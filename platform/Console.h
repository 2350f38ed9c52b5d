#pragma once

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

// The program's one conversation with the user: every line goes to the output
// stream followed by a line end and a flush; answers come from the input stream.
class Console {
public:
    // The user's relative answers are taken against the folder the program
    // started in, whatever the current directory is when they are asked.
    Console(std::FILE* in, std::FILE* out, bool interactive);

    // Writes the text and a line end, then flushes. On a terminal, what the
    // terminal would act on (see printableName; tabs stay) is shown as \xNN,
    // so that no name inside any message can move the cursor, clear the
    // screen or retitle the window; to a file or a pipe the text goes as it
    // is, as scripts read the transcript.
    void line(std::string_view text);
    // Writes the text without a line end, then flushes; escaped as by line.
    void text(std::string_view text);
    // Writes, as it is, a line made only of the program's own text (the
    // bell before the unlisted-format question).
    void ownLine(std::string_view text);

    // The system's error number of the first write or flush that failed;
    // 0 while every one succeeded.
    int writeError() const { return writeError_; }

    // One line of input without its line end; nothing at end of input.
    std::optional<std::string> readLine();
    // Reads an integer reply. Replies that are not integers are skipped and the
    // next line is read; end of input gives nothing.
    std::optional<std::int64_t> readInteger();

    // The console pause: in an interactive run prints "Press any key to continue . . ."
    // and waits for one key; in a scripted run does nothing.
    void pause();
    // The wait after "Finish!" in an interactive run (platform::waitAtEnd).
    void finalWait();

    // A name taken from a package as this console shows it: on a terminal,
    // control bytes (below 0x20 except tab, and 0x7F) as \xNN, so that a name
    // cannot move the cursor, clear the screen or retitle the window; to a
    // file or a pipe exactly as stored, as scripts read the transcript.
    std::string packageName(std::string_view name) const;
    // Text as this console shows it: escaped on a terminal (see line).
    std::string shown(std::string_view text) const;

    bool interactive() const { return interactive_; }
    std::FILE* input() const { return in_; }
    const std::string& startFolder() const { return startFolder_; }

private:
    void write(std::string_view text, bool lineEnd);

    std::FILE* in_;
    std::FILE* out_;
    bool interactive_;
    bool toTerminal_;
    int writeError_ = 0;
    std::string startFolder_;
};
