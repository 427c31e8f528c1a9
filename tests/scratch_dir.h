// A folder of its own for a test's files, made in the temporary folder ($TMPDIR, or /tmp when unset
// or empty).
#pragma once

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

// Made when constructed, removed with all it holds when destroyed: a test that stops on a failed
// assertion leaves nothing behind either.
struct ScratchDir {
    ScratchDir() {
        const char* tmp = std::getenv("TMPDIR");
        path = std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/boxview-XXXXXX";
        if (mkdtemp(path.data()) == nullptr) std::perror(path.c_str()), std::abort();
    }
    ~ScratchDir() {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
    // The path of name in the folder.
    std::string file(const std::string& name) const { return path + "/" + name; }
    std::string path;
};
