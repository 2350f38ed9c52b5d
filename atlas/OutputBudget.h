#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "texture/ImageSize.h"
#include "texture/PixelFormat.h"

// How much work a run may do: the bytes of "Information.json", bytes of files
// extracted under "Temp" plus four bytes for every pixel decoded. A hostile package can ask for far more than
// it holds (file entries that all point at the same bytes, huge atlases with
// no pixel data behind them, one subgroup named by many slots); the budget
// ends such a run early instead of filling the disk or the memory.
//
// Honest data stays far below the default. Every extracted byte comes from a
// stored or inflated block, and deflate cannot expand data by more than
// 1032:1, so the files of a package of P bytes hold at most 1032 * P bytes.
// The densest pixel formats (ETC1, PVRTC) take half a byte per pixel, so
// those files hold at most 2 * 1032 * P pixels, or 8 * 1032 * P bytes of
// RGBA: 9 * 1032 * P = 9288 * P in all, which the factor below rounds up. The
// floor leaves room for small packages.
inline constexpr std::uint64_t outputBudgetPerPackageByte = 10000;
inline constexpr std::uint64_t outputBudgetFloor = std::uint64_t{256} << 20;

// The budget for a package of `packageSize` bytes.
std::uint64_t defaultOutputBudget(std::uint64_t packageSize);

// Ends the run (RunAborted, with the pause) with "Output Budget : Exceeded"
// and a line saying that `what` would take it past `budget`.
[[noreturn]] void passOutputBudget(const std::string& what, std::uint64_t budget);

// What decoding an atlas costs against the budget: four bytes per pixel of
// its decode size, or nothing when it cannot be decoded at that size (it then
// fails without decoding).
std::uint64_t atlasPixelCharge(ImageSize recordSize, const PixelFormat& format);

// What the gallery's thumbnail of an atlas adds to that: four bytes per pixel
// of the thumbnail (at most 256 x 256), nothing when the atlas is not decoded.
std::uint64_t thumbnailPixelCharge(ImageSize recordSize, const PixelFormat& format);

// Reads a size given on the command line: a whole number of bytes, or one
// followed by K, M, G or T (powers of 1024). Nothing when it is not one.
std::optional<std::uint64_t> parseByteSize(const std::string& text);
