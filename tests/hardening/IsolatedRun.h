#pragma once

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include <rapidjson/document.h>

#include "support/RunBinary.h"

// The index file the runs use: the three format codes of the sample packages.
inline const std::string sampleIndexText = R"({"TextureFormat": [
    {"Index": 0, "TextureFormat": "RGBA32"},
    {"Index": 1, "TextureFormat": "RGB_ETC1"},
    {"Index": 2, "TextureFormat": "RGBA_PVRTC4"}
]})";

inline void writeBytes(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

inline std::vector<std::uint8_t> readBytes(const std::filesystem::path& path) {
    const std::string text = readFileText(path);
    return {text.begin(), text.end()};
}

// A PNG file ends with its IEND chunk: zero length, the type, its CRC.
inline bool endsWithIend(const std::filesystem::path& path) {
    static const std::string iend("\0\0\0\0IEND\xAE\x42\x60\x82", 12);
    const std::string text = readFileText(path);
    return text.size() >= 8 + iend.size() && text.compare(text.size() - iend.size(), iend.size(), iend) == 0;
}

inline bool isJsonText(const std::filesystem::path& path) {
    const std::string text = readFileText(path);
    rapidjson::Document document;
    document.Parse(text.data(), text.size());
    return !document.HasParseError() && document.IsObject();
}

// Runs the tool on one package at a time inside a folder tree of its own:
//   root/outer/work/package/<name>   the package
//   root/outer/work/index.json       the texture-format index
//   root/outer/work/out              the output folder (-o)
// and checks the promises every run keeps, whatever the package holds.
class IsolatedRun {
public:
    explicit IsolatedRun(std::string packageName) : packageName_(std::move(packageName)) {
        std::string pattern = (std::filesystem::temp_directory_path() / "resunpack-hardening-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) {
            throw std::runtime_error("cannot make a temporary folder");
        }
        root_ = pattern;
        work_ = root_ / "outer" / "work";
        std::filesystem::create_directories(work_ / "package");
        std::ofstream(work_ / "index.json", std::ios::binary) << sampleIndexText;
    }
    IsolatedRun(const IsolatedRun&) = delete;
    IsolatedRun& operator=(const IsolatedRun&) = delete;
    ~IsolatedRun() {
        std::error_code ignored;
        std::filesystem::remove_all(root_, ignored);
    }

    const std::filesystem::path& work() const { return work_; }
    std::filesystem::path output() const { return work_ / "out"; }
    const BinaryRun& last() const { return last_; }

    // Runs the tool on `package`; returns what went wrong, empty when the run
    // kept every promise.
    std::string check(const std::vector<std::uint8_t>& package) {
        std::filesystem::remove_all(output());
        const std::filesystem::path packagePath = work_ / "package" / packageName_;
        writeBytes(packagePath, package);

        last_ = runBinary(work_, {"package/" + packageName_, "-f", "index.json", "-o", "out", "--skip-unknown",
                                  "--jobs", "1"},
                          "", timeoutSeconds);
        std::string problems;
        auto problem = [&problems](const std::string& text) { problems += "  " + text + "\n"; };
        if (last_.signaled) {
            problem("ended by a signal (status " + std::to_string(last_.status) + ")");
        } else if (last_.status != 0 && last_.status != 1) {
            problem("exit status " + std::to_string(last_.status));
        } else if (last_.status == 1 && last_.out.find("ResourcePackage : Format Error") == std::string::npos &&
                   last_.out.find("\nOutput Budget : Exceeded\n") == std::string::npos &&
                   !(last_.out.find("\t\tDeCode Failed : ") != std::string::npos &&
                     last_.out.find("\nFinish!\n") != std::string::npos)) {
            // Exit status 1 is a damaged package, a package asking for more
            // work than its size can honestly need, or a finished run in
            // which some atlas could not be decoded, each saying so.
            problem("exit status 1 without \"ResourcePackage : Format Error\", the budget or a failed atlas");
        }
        if (readBytes(packagePath) != package) {
            problem("the package file was changed");
        }
        const std::set<std::filesystem::path> expected = {root_ / "outer", work_, work_ / "package", packagePath,
                                                          work_ / "index.json"};
        for (const auto& entry : std::filesystem::recursive_directory_iterator(root_)) {
            const std::filesystem::path& path = entry.path();
            if (expected.contains(path) || path == output()) {
                continue;
            }
            const auto relative = path.lexically_relative(output());
            if (relative.empty() || *relative.begin() == "..") {
                problem("wrote outside its output folder: " + path.string());
            } else if (path.filename().string().find("resunpack-partial") != std::string::npos) {
                problem("temporary file left: " + path.string());
            } else if (entry.is_regular_file() && path.extension() == ".png" && !endsWithIend(path)) {
                problem("incomplete PNG left: " + path.string());
            }
        }
        const std::filesystem::path description = output() / "Information.json";
        if (std::filesystem::exists(description) && !isJsonText(description)) {
            problem("Information.json is not a whole JSON object");
        }
        if (last_.status == 0 && !std::filesystem::exists(description)) {
            problem("exit status 0 without Information.json");
        }
        if (!problems.empty()) {
            problems += "  output:\n" + last_.out + last_.err;
        }
        return problems;
    }

private:
    // A run takes a fraction of a second; only a hang comes near this.
    static constexpr int timeoutSeconds = 10;

    std::string packageName_;
    std::filesystem::path root_;
    std::filesystem::path work_;
    BinaryRun last_;
};
