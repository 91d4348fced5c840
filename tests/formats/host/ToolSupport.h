#pragma once
// Host-only helpers for the tests that check files with independent tools (sox, libsndfile,
// matio, Python with scipy) and read the fixtures those tools make.

#include <cstdio>
#include <cstdlib>
#include <string>

namespace kst_test {

// The tool's path on PATH, empty when it is not installed.
inline bool HaveTool(const std::string& name)
{
    return std::system(("command -v " + name + " >/dev/null 2>&1").c_str()) == 0;
}

// Runs a shell command; its standard output, and its exit status in status.
inline std::string RunCommand(const std::string& command, int& status)
{
    std::string output;
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    if (pipe == nullptr) {
        status = -1;
        return output;
    }
    char chunk[4096];
    size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, pipe)) > 0) {
        output.append(chunk, n);
    }
    status = pclose(pipe);
    return output;
}

// Removes the fixture folder when the test program ends.
struct FixtureFolder {
    std::string path;
    ~FixtureFolder()
    {
        if (!path.empty()) {
            std::system(("rm -rf '" + path + "'").c_str());
        }
    }
};

// The fixtures of tools/sound_fixtures.py, made once per run; empty when that failed.
inline const std::string& FixtureDir()
{
    static const FixtureFolder folder{[] {
        char pattern[] = "/tmp/kst_sound_fixtures_XXXXXX";
        if (mkdtemp(pattern) == nullptr) {
            return std::string();
        }
        int status = 0;
        const std::string out =
            RunCommand(std::string(KST_SOURCE_DIR) + "/tools/sound_fixtures.py " + pattern, status);
        if (status != 0) {
            std::fprintf(stderr, "sound_fixtures.py failed:\n%s\n", out.c_str());
            return std::string();
        }
        return std::string(pattern);
    }()};
    return folder.path;
}

}  // namespace kst_test
