// The read-only view readers parse files through: the file's bytes where the system keeps them,
// for as long as the view lives, and no view where there is nothing to map.
#include "foundation/MappedFile.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "foundation/DataFile.h"
#include "support/TempFolder.h"

namespace {

FILE* OpenForReading(const TempFolder& folder, const char* name, const std::string& bytes)
{
    folder.WriteFile(name, bytes);
    bool denied = false;
    return KstOpenFile(folder.Path(name), "rb", denied);
}

}  // namespace

TEST(MappedFile, ViewHoldsTheBytesAfterTheFileIsClosed)
{
    TempFolder folder;
    std::string bytes(3 * 4096 + 17, '\0');
    for (size_t i = 0; i < bytes.size(); ++i) {
        bytes[i] = static_cast<char>(i * 7 + 3);
    }
    FILE* file = OpenForReading(folder, "data.bin", bytes);
    ASSERT_NE(file, nullptr);
    CKSTMappedFile view;
    ASSERT_TRUE(view.Map(file, bytes.size()));
    std::fclose(file);
    ASSERT_TRUE(view.IsMapped());
    ASSERT_EQ(view.GetSize(), bytes.size());
    EXPECT_EQ(std::string(view.GetData(), view.GetSize()), bytes);

    view.Unmap();
    EXPECT_FALSE(view.IsMapped());
    EXPECT_EQ(view.GetSize(), 0u);
}

TEST(MappedFile, NothingToMapGivesNoView)
{
    TempFolder folder;
    FILE* empty = OpenForReading(folder, "empty.bin", "");
    ASSERT_NE(empty, nullptr);
    CKSTMappedFile view;
    EXPECT_FALSE(view.Map(empty, 0));
    EXPECT_FALSE(view.IsMapped());
    std::fclose(empty);
    EXPECT_FALSE(view.Map(nullptr, 100));
    EXPECT_EQ(view.GetData(), nullptr);
}
