#pragma once

#include <filesystem>
#include <map>
#include <string>

#include "support/RunBinary.h"

// What a folder tree holds, links and special files included (never
// followed): relative path -> kind and content or link target. `skipped`, a
// folder inside the tree, is left out with all it holds.
inline std::map<std::string, std::string> folderSnapshot(const std::filesystem::path& root,
                                                         const std::filesystem::path& skipped = {}) {
    namespace fs = std::filesystem;
    std::map<std::string, std::string> tree;
    for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator(); ++it) {
        const fs::path& path = it->path();
        if (!skipped.empty() && path == skipped) {
            it.disable_recursion_pending();
            continue;
        }
        const std::string name = path.lexically_relative(root).generic_string();
        const fs::file_status status = it->symlink_status();
        if (fs::is_symlink(status)) {
            tree[name] = "link -> " + fs::read_symlink(path).string();
        } else if (fs::is_regular_file(status)) {
            tree[name] = "file: " + readFileText(path);
        } else if (fs::is_directory(status)) {
            tree[name] = "folder";
        } else {
            tree[name] = "special";
        }
    }
    return tree;
}

// Every regular file below `root` (none when it does not exist), by relative
// path with '/', with its bytes.
inline std::map<std::string, std::string> filesBelow(const std::filesystem::path& root) {
    namespace fs = std::filesystem;
    std::map<std::string, std::string> files;
    if (!fs::exists(root)) {
        return files;
    }
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        if (entry.is_regular_file()) {
            files[entry.path().lexically_relative(root).generic_string()] = readFileText(entry.path());
        }
    }
    return files;
}

// A temporary file of an unfinished write ("resunpack-partial") anywhere below `root`.
inline bool hasTemporaryLeftover(const std::filesystem::path& root) {
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
        if (entry.path().filename().string().find("resunpack-partial") != std::string::npos) {
            return true;
        }
    }
    return false;
}
