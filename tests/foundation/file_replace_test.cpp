// Saving through a temporary file: the cases every writer passes, with bytes put through the
// file stream as the format writers put them, and what the operation promises its callers.
#include "foundation/FileReplace.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>

#include "foundation/DataFile.h"
#include "foundation/ErrorCodes.h"
#include "support/SafeSaveCases.h"
#include "support/TempFolder.h"

namespace {

int WriteBytes(const CKSTString& path, const std::string& bytes)
{
    CKSTDataFile file;
    const int opened = file.Open(path, KST_OPEN_WRITE);
    if (opened != KST_OK) {
        return opened;
    }
    const uint32_t written = file.Write(bytes.data(), static_cast<uint32_t>(bytes.size()));
    const int closed = file.Close();
    return written != bytes.size() ? KST_ERR_SHORT_TRANSFER : closed;
}

int SaveBytes(const CKSTString& target, bool large)
{
    const std::string bytes = large ? std::string(kst_test::kLargeSaveBytes, 'n') : "new\n";
    return KstSaveReplacing(
        target, [&](const CKSTString& temporary) { return WriteBytes(temporary, bytes); });
}

TEST(FileReplace, SafeSaves)
{
    kst_test::ExpectSafeSaves("saved.bin", SaveBytes);
}

TEST(FileReplace, SafeSavesOnAFullDisk)
{
    kst_test::ExpectSafeSavesOnAFullDisk("saved.bin", SaveBytes);
}

TEST(FileReplace, OnlyAWriteThatSucceededReplacesAndItsErrorComesBackUnchanged)
{
    struct Case {
        const char* name;
        const char* leftover;  // a temporary file of an earlier save that a crash ended
        std::function<int(const CKSTString& temporary)> write;
        int result;
        const char* after;
    };
    const Case cases[] = {
        {"an error after part of the file", nullptr,
         [](const CKSTString& temporary) {
             WriteBytes(temporary, "ne");
             return int{KST_ERR_BAD_RECORD};
         },
         KST_ERR_BAD_RECORD, "old\n"},
        {"success without a file", nullptr, [](const CKSTString&) { return int{KST_OK}; },
         KST_ERR_OPEN_FAILED, "old\n"},
        {"over the leftover of a crash", "a longer leftover\n",
         [](const CKSTString& temporary) { return WriteBytes(temporary, "new\n"); }, KST_OK,
         "new\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder folder;
        folder.WriteFile("saved.bin", "old\n");
        const CKSTString target = folder.Path("saved.bin");
        if (c.leftover != nullptr) {
            folder.WriteFile("saved.bin.kstnew", c.leftover);
        }
        EXPECT_EQ(KstSaveReplacing(target, c.write), c.result);
        EXPECT_EQ(folder.ReadFile("saved.bin"), c.after);
        EXPECT_FALSE(std::filesystem::exists(folder.Native("saved.bin.kstnew")));
    }
}

}  // namespace
