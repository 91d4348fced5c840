#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "framework/Document.h"
#include "shell_test_support.h"
#include "support/SafeSaveCases.h"

namespace {

// Keeps its content in memory and moves it through the archive.
class TextDoc : public CDocument {
public:
    std::string content;
    int deleted = 0;

    void DeleteContents() override
    {
        ++deleted;
        content.clear();
    }
    void Serialize(CArchive& archive) override
    {
        if (archive.IsStoring()) {
            // A short write fails the save, which the tests check.
            archive.Write(content.data(), static_cast<UINT>(content.size()));
            return;
        }
        char buffer[64];
        while (const UINT read = archive.Read(buffer, sizeof(buffer))) {
            content.append(buffer, read);
        }
    }
};

std::string ReadWholeFile(const CKSTString& path)
{
    std::string content;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return "<missing>";
    }
    char buffer[64];
    DWORD read = 0;
    while (ReadFile(file, buffer, sizeof(buffer), &read, nullptr) && read > 0) {
        content.append(buffer, read);
    }
    CloseHandle(file);
    return content;
}

TEST(Document, SaveReplacesTheFileWholeAndOpenReadsItBack)
{
    kst_test::TempFile file("kst document.kxtest");
    TextDoc document;
    document.content = "first content, longer than the second";
    document.SetModifiedFlag(TRUE);
    ASSERT_TRUE(document.OnSaveDocument(file.Path().c_str()));
    EXPECT_FALSE(document.IsModified());
    document.content = "second";
    ASSERT_TRUE(document.OnSaveDocument(file.Path().c_str()));
    EXPECT_EQ("second", ReadWholeFile(file.Path()));
    EXPECT_EQ("<missing>", ReadWholeFile(file.Path() + ".kstnew")) << "no temporary file is left";

    TextDoc reader;
    reader.content = "old";
    reader.SetModifiedFlag(TRUE);
    ASSERT_TRUE(reader.OnOpenDocument(file.Path().c_str()));
    EXPECT_EQ("second", reader.content);
    EXPECT_EQ(1, reader.deleted);
    EXPECT_FALSE(reader.IsModified());
}

TEST(Document, FailedOpenAndSaveChangeNothing)
{
    kst_test::TempFile file("kst document kept.kxtest");
    TextDoc document;
    document.content = "kept";
    ASSERT_TRUE(document.OnSaveDocument(file.Path().c_str()));

    const CKSTString unreachable = file.Path() + ".folder\\missing.kxtest";
    document.content = "lost";
    document.SetModifiedFlag(TRUE);
    EXPECT_FALSE(document.OnSaveDocument(unreachable.c_str()));
    EXPECT_TRUE(document.IsModified());
    EXPECT_FALSE(document.OnOpenDocument(unreachable.c_str()));
    EXPECT_EQ("lost", document.content);
    EXPECT_EQ(0, document.deleted);
    EXPECT_EQ("kept", ReadWholeFile(file.Path()));
}

// The content as a file through the archive: 0 when saved, -1 when not.
int SaveContent(const CKSTString& path, bool large)
{
    TextDoc document;
    document.content = large ? std::string(kst_test::kLargeSaveBytes, 'd') : "content";
    return document.OnSaveDocument(path.c_str()) ? 0 : -1;
}

TEST(Document, SafeSaves)
{
    kst_test::ExpectSafeSaves("saved.kxtest", SaveContent);
}

TEST(Document, SafeSavesOnAFullDisk)
{
    kst_test::ExpectSafeSavesOnAFullDisk("saved.kxtest", SaveContent);
}

TEST(Document, ThePathNameIsFullAndTheTitleIsItsFileName)
{
    TextDoc document;
    char folder[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, folder);
    document.SetPathName("New", FALSE);
    EXPECT_EQ(CKSTString(folder) + "\\New", document.GetPathName());
    EXPECT_EQ(CKSTString("New"), document.GetTitle());
    document.SetPathName("C:\\data\\run.kxd", FALSE);
    EXPECT_EQ(CKSTString("run.kxd"), document.GetTitle());
    EXPECT_TRUE(document.OnNewDocument());
    EXPECT_TRUE(document.GetPathName().IsEmpty());
}

}  // namespace
