#include "bench/writePngWithLibpng.h"

#include <vector>

#include <csetjmp>
#include <cstring>
#include <exception>

#include <png.h>

namespace {

// libpng's reason for the failure; plain storage, so it may be written on
// the way to a longjmp.
struct PngErrorText {
    char text[256];
};

// libpng calls this on an error and expects it not to return. It keeps the
// message and jumps back to the recovery point in writeImage.
[[noreturn]] void recordErrorAndJump(png_structp png, png_const_charp message) {
    auto* error = static_cast<PngErrorText*>(png_get_error_ptr(png));
    std::strncpy(error->text, message != nullptr ? message : "unknown libpng error", sizeof error->text - 1U);
    error->text[sizeof error->text - 1U] = '\0';
    png_longjmp(png, 1);
}

// Warnings (none are expected for these settings) must not reach the console.
void ignoreWarning(png_structp, png_const_charp) {}

// The libpng calls from the first header to the end of the stream. The
// recovery point lives here, in a frame that holds no object with a
// destructor, so a longjmp out of libpng skips nothing that needs running.
bool writeImage(png_structp png, png_infop info, void (*setUpOutput)(png_structp, void*), void* output,
                png_bytepp rowPointers, std::uint32_t width, std::uint32_t height) {
    if (setjmp(png_jmpbuf(png)) != 0) {
        return false;
    }
    setUpOutput(png, output);
    png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    png_write_image(png, rowPointers);
    png_write_end(png, info);
    return true;
}

// Owns the write and info structures.
class PngWriteStructs {
public:
    explicit PngWriteStructs(PngErrorText& error)
        : png_(png_create_write_struct(PNG_LIBPNG_VER_STRING, &error, recordErrorAndJump, ignoreWarning)),
          info_(png_ != nullptr ? png_create_info_struct(png_) : nullptr) {}
    PngWriteStructs(const PngWriteStructs&) = delete;
    PngWriteStructs& operator=(const PngWriteStructs&) = delete;
    ~PngWriteStructs() {
        if (png_ != nullptr) {
            png_destroy_write_struct(&png_, info_ != nullptr ? &info_ : nullptr);
        }
    }
    png_structp png() const { return png_; }
    png_infop info() const { return info_; }

private:
    png_structp png_;
    png_infop info_;
};

void setUpFileOutput(png_structp png, void* file) { png_init_io(png, static_cast<std::FILE*>(file)); }

// Appends libpng's output to a byte vector. A failed allocation becomes a
// libpng error, so it ends in the recovery point like any other.
void appendToBytes(png_structp png, png_bytep data, png_size_t length) {
    auto* bytes = static_cast<std::vector<std::uint8_t>*>(png_get_io_ptr(png));
    bool appended = true;
    try {
        bytes->insert(bytes->end(), data, data + length);
    } catch (const std::exception&) {
        appended = false;
    }
    // Outside the handler: png_error leaves by longjmp.
    if (!appended) {
        png_error(png, "not enough memory for the encoded image");
    }
}

void flushNothing(png_structp) {}

void setUpMemoryOutput(png_structp png, void* bytes) { png_set_write_fn(png, bytes, appendToBytes, flushNothing); }

std::optional<std::string> writePng(const PixelRows& rows, std::uint32_t width, std::uint32_t height,
                                    void (*setUpOutput)(png_structp, void*), void* output) {
    if (rows.width() != width || rows.height() != height) {
        return std::string("pixel rows do not match the image size");
    }
    PngErrorText error{};
    PngWriteStructs structs(error);
    if (structs.png() == nullptr || structs.info() == nullptr) {
        return std::string("libpng could not create its write structures");
    }
    // libpng reads the rows without changing them when, as here, no
    // transformation is set; its interface merely lacks the const.
    std::vector<png_bytep> rowPointers(height);
    for (std::uint32_t y = 0; y < height; ++y) {
        rowPointers[y] = const_cast<png_bytep>(rows.row(y));
    }
    if (!writeImage(structs.png(), structs.info(), setUpOutput, output, rowPointers.data(), width, height)) {
        return std::string(error.text);
    }
    return std::nullopt;
}

} // namespace

std::optional<std::string> encodePngWithLibpng(const PixelRows& rows, std::vector<std::uint8_t>& bytes) {
    bytes.clear();
    return writePng(rows, rows.width(), rows.height(), setUpMemoryOutput, &bytes);
}

std::optional<std::string> writePngWithLibpng(const PixelRows& rows, std::FILE* file) {
    if (file == nullptr) {
        return std::string("no output stream");
    }
    return writePng(rows, rows.width(), rows.height(), setUpFileOutput, file);
}
