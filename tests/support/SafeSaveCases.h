#pragma once
// The cases every writer of a user's file must pass: whatever goes wrong, the old file stays
// byte for byte, an error comes back and nothing is left beside it; a save that succeeds leaves
// the new file and nothing else.
//
// The full-disk cases need a process whose files cannot grow past KST_TEST_FILE_LIMIT bytes:
// kst_add_tests(... FULL_DISK) runs the tests named *OnAFullDisk that way
// (tools/with-file-limit.sh).

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <set>
#include <string>

#include "foundation/FileReplace.h"
#include "foundation/String.h"
#include "support/TempFolder.h"

namespace kst_test {

// A large save writes at least this many bytes: more than the full-disk run lets a file hold.
constexpr uintmax_t kLargeSaveBytes = 256 * 1024;

// Saves the writer's data (large: at least kLargeSaveBytes of them) as the file: 0, or a
// negative error when the file was not saved.
using SaveAs = std::function<int(const CKSTString& path, bool large)>;

enum class SaveSetup {
    NoFile,
    OldFile,
    ReadOnlyFile,        // the old file without write permission
    ReadOnlyFolder,      // the old file in a folder without write permission
    TemporaryIsAFolder,  // the old file, and a folder where the temporary file would go
};

enum class SaveOutcome {
    Saved,
    Kept,
    // Where the process may create files in a read-only folder anyway (root; Wine, which
    // ignores the attribute on folders), the save goes through; elsewhere it is refused.
    KeptWhereCreatingIsRefused,
};

struct SafeSaveCase {
    const char* name;
    SaveSetup setup;
    bool large;
    SaveOutcome expected;
};

inline const SafeSaveCase kSafeSaveCases[] = {
    {"as a new file", SaveSetup::NoFile, false, SaveOutcome::Saved},
    {"over an old file", SaveSetup::OldFile, false, SaveOutcome::Saved},
    {"large data over an old file", SaveSetup::OldFile, true, SaveOutcome::Saved},
    {"over a read-only file", SaveSetup::ReadOnlyFile, false, SaveOutcome::Kept},
    {"in a read-only folder", SaveSetup::ReadOnlyFolder, false,
     SaveOutcome::KeptWhereCreatingIsRefused},
    {"with no room for the temporary file", SaveSetup::TemporaryIsAFolder, false,
     SaveOutcome::Kept},
};

inline const SafeSaveCase kFullDiskCases[] = {
    {"as a new file on a full disk", SaveSetup::NoFile, true, SaveOutcome::Kept},
    {"over an old file on a full disk", SaveSetup::OldFile, true, SaveOutcome::Kept},
};

namespace safe_save_detail {

constexpr char kOldBytes[] = "the old file, which must survive\r\n";

inline std::set<std::string> Entries(const std::filesystem::path& folder)
{
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        names.insert(entry.path().filename().string());
    }
    return names;
}

inline bool CanCreateIn(const std::filesystem::path& folder)
{
    const auto probe = folder / "probe";
    const bool created = std::ofstream(probe).is_open();
    std::error_code ec;
    std::filesystem::remove(probe, ec);
    return created;
}

// The case in a folder of its own; the bytes a successful save must leave.
inline void RunCase(const TempFolder& root, int index, const SafeSaveCase& c,
                    const std::string& fileName, const SaveAs& save, const std::string& saved)
{
    SCOPED_TRACE(c.name);
    const std::string folder = "case" + std::to_string(index);
    root.MakeFolder(folder);
    const std::string file = folder + "/" + fileName;
    const CKSTString target = root.Path(file);
    std::set<std::string> before;
    if (c.setup != SaveSetup::NoFile) {
        root.WriteFile(file, kOldBytes);
        before.insert(fileName);
    }
    if (c.setup == SaveSetup::ReadOnlyFile) {
        root.MakeReadOnly(file);
    }
    if (c.setup == SaveSetup::TemporaryIsAFolder) {
        const std::string temporary = KstTemporaryFileFor(fileName.c_str()).c_str();
        root.MakeFolder(folder + "/" + temporary);
        before.insert(temporary);
    }
    SaveOutcome expected = c.expected;
    if (c.setup == SaveSetup::ReadOnlyFolder) {
        root.MakeReadOnly(folder);
        if (expected == SaveOutcome::KeptWhereCreatingIsRefused) {
            expected = CanCreateIn(root.Native(folder)) ? SaveOutcome::Saved : SaveOutcome::Kept;
        }
    }

    const int result = save(target, c.large);
    if (expected == SaveOutcome::Saved) {
        EXPECT_EQ(result, 0);
        EXPECT_EQ(root.ReadFile(file), saved);
        EXPECT_EQ(Entries(root.Native(folder)), std::set<std::string>{fileName});
    } else {
        EXPECT_LT(result, 0);
        if (c.setup == SaveSetup::NoFile) {
            EXPECT_FALSE(std::filesystem::exists(root.Native(file)));
        } else {
            EXPECT_EQ(root.ReadFile(file), kOldBytes);
        }
        EXPECT_EQ(Entries(root.Native(folder)), before);
    }
}

}  // namespace safe_save_detail

// Every case but the full disk, each file named fileName in a folder of its own.
inline void ExpectSafeSaves(const std::string& fileName, const SaveAs& save)
{
    using namespace safe_save_detail;
    TempFolder root;
    // What a save where nothing is in the way writes.
    const auto reference = [&](const std::string& folder, bool large) {
        root.MakeFolder(folder);
        EXPECT_EQ(save(root.Path(folder + "/" + fileName), large), 0);
        return root.ReadFile(folder + "/" + fileName);
    };
    const std::string small = reference("small", false);
    const std::string large = reference("large", true);
    ASSERT_GE(large.size(), kLargeSaveBytes) << "the large save is too small";
    int index = 0;
    for (const SafeSaveCase& c : kSafeSaveCases) {
        RunCase(root, index++, c, fileName, save, c.large ? large : small);
    }
}

// The full-disk cases; skipped where the process's files are not limited.
inline void ExpectSafeSavesOnAFullDisk(const std::string& fileName, const SaveAs& save)
{
    const char* limit = std::getenv("KST_TEST_FILE_LIMIT");
    if (limit == nullptr) {
        GTEST_SKIP() << "needs a file-size limit: runs under tools/with-file-limit.sh";
    }
    ASSERT_LT(std::strtoull(limit, nullptr, 10), kLargeSaveBytes);
    TempFolder root;
    int index = 0;
    for (const SafeSaveCase& c : kFullDiskCases) {
        safe_save_detail::RunCase(root, index++, c, fileName, save, std::string());
    }
}

}  // namespace kst_test
