#include <gtest/gtest.h>

#include <ctime>
#include <string>
#include <vector>

#ifdef _WIN32
#include <sys/utime.h>
#else
#include <utime.h>
#endif

#include "foundation/DirScanner.h"
#include "support/TempFolder.h"

namespace {

std::string Text(const CKSTString& s)
{
    return std::string(s.c_str(), static_cast<size_t>(s.GetLength()));
}

// root: a.qld b.kxd c.txt (read-only) D.QLD folder.qld\ sub1\x.qld sub1\deep\y.qld sub2\z.kxd
class DirScannerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_tree.WriteFile("a.qld", "12345");
        m_tree.WriteFile("b.kxd", "");
        m_tree.WriteFile("c.txt", "");
        m_tree.WriteFile("D.QLD", "");
        m_tree.MakeFolder("folder.qld");
        m_tree.WriteFile("sub1/x.qld", "");
        m_tree.WriteFile("sub1/deep/y.qld", "");
        m_tree.WriteFile("sub2/z.kxd", "");
        m_tree.MakeReadOnly("c.txt");
    }

    // "relative path@depth" of every entry in list order, folders marked with a trailing "\".
    std::vector<std::string> Listing(const CKSTDirScanner& scanner) const
    {
        std::vector<std::string> listing;
        const size_t root = static_cast<size_t>(scanner.GetStartFolder().GetLength());
        for (int i = 0; i < scanner.GetCount(); ++i) {
            const CKSTFileEntry* entry = scanner.GetEntry(i);
            std::string path = Text(entry->GetPath()).substr(root);
            if (entry->IsFolder()) {
                path += "\\";
            }
            listing.push_back(path + "@" + std::to_string(entry->GetDepth()));
        }
        return listing;
    }

    TempFolder m_tree;
};

TEST_F(DirScannerTest, DepthsPatternsAndFolders)
{
    struct Case {
        const char* name;
        const char* patterns;
        uint32_t depth;
        bool folders;
        bool files;
        std::vector<std::string> expect;  // after Sort
    };
    const Case cases[] = {
        {"two patterns, start folder only", "*.qld;*.kxd", 0, false, true, {"a.qld@0", "b.kxd@0"}},
        {"two patterns, one level down",
         "*.qld;*.kxd",
         1,
         false,
         true,
         {"a.qld@0", "b.kxd@0", "sub1\\x.qld@1", "sub2\\z.kxd@1"}},
        {"all levels",
         "*.qld",
         5,
         false,
         true,
         {"a.qld@0", "sub1\\deep\\y.qld@2", "sub1\\x.qld@1"}},
        {"empty list takes every file",
         "",
         0,
         false,
         true,
         {"a.qld@0", "b.kxd@0", "c.txt@0", "D.QLD@0"}},
        {"a file matching two patterns once",
         "*.qld;a.*;*",
         0,
         false,
         true,
         {"a.qld@0", "b.kxd@0", "c.txt@0", "D.QLD@0"}},
        {"empty remainder after the last separator", "*.qld;", 0, false, true, {"a.qld@0"}},
        {"empty pattern matches no name", ";", 1, false, true, {}},
        {"folders searched and listed",
         "*.none",
         1,
         true,
         true,
         {"folder.qld\\@0", "sub1\\@0", "sub1\\deep\\@1", "sub2\\@0"}},
        {"folders without files, no recursion",
         "*",
         0,
         true,
         false,
         {"folder.qld\\@0", "sub1\\@0", "sub2\\@0"}},
        {"everything",
         "*",
         9,
         true,
         true,
         {"a.qld@0", "b.kxd@0", "c.txt@0", "D.QLD@0", "folder.qld\\@0", "sub1\\@0",
          "sub1\\deep\\@1", "sub1\\deep\\y.qld@2", "sub1\\x.qld@1", "sub2\\@0", "sub2\\z.kxd@1"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CKSTDirScanner scanner;
        EXPECT_EQ(0, scanner.Scan(m_tree.Path(), c.patterns, c.depth, c.folders, c.files));
        scanner.Sort();
        EXPECT_EQ(c.expect, Listing(scanner));
    }
}

TEST_F(DirScannerTest, SubfolderContentsFollowTheirFolder)
{
    CKSTDirScanner scanner;
    scanner.Scan(m_tree.Path("sub1"), "*", 3, true, true);
    const std::vector<std::string> listing = Listing(scanner);
    // Whatever the platform's order, deep's file comes right after deep itself.
    for (size_t i = 0; i < listing.size(); ++i) {
        if (listing[i] == "deep\\@0") {
            ASSERT_LT(i + 1, listing.size());
            EXPECT_EQ("deep\\y.qld@1", listing[i + 1]);
        }
    }
    EXPECT_EQ(3u, listing.size());
}

TEST_F(DirScannerTest, EntryRecords)
{
    const time_t when = 1610706030;  // 2021-01-15 10:20:30 UTC
    utimbuf times{when, when};
    ASSERT_EQ(0, utime(m_tree.Native("a.qld").string().c_str(), &times));

    CKSTDirScanner scanner;
    scanner.Scan(m_tree.Path(), "a.qld;c.txt", 0, true, true);
    scanner.Sort();
    ASSERT_EQ(5, scanner.GetCount());
    const CKSTFileEntry* a = scanner.GetEntry(0);
    EXPECT_EQ("a.qld", Text(a->GetName()));
    EXPECT_EQ(Text(m_tree.Path().AsDirectory()), Text(a->GetFolder()));
    EXPECT_EQ(5u, a->GetSize());
    EXPECT_EQ(uint32_t{CKSTFileEntry::kFile}, a->GetFlags());
    // File times stay in UTC.
    const CKSTTimeStamp expected(2021, 1, 15, 10, 20, 30);
    EXPECT_EQ(expected.GetSerialDays(), a->GetLastWritten().GetSerialDays());

    EXPECT_EQ(uint32_t{CKSTFileEntry::kFile | CKSTFileEntry::kReadOnly},
              scanner.GetEntry(1)->GetFlags());
    EXPECT_EQ(uint32_t{CKSTFileEntry::kFolder}, scanner.GetEntry(2)->GetFlags());
    EXPECT_TRUE(scanner.GetEntry(2)->IsFolder());
}

TEST_F(DirScannerTest, EntryListEditing)
{
    CKSTDirScanner scanner;
    scanner.Scan(m_tree.Path(), "*", 0, false, true);
    scanner.Sort();
    ASSERT_EQ(4, scanner.GetCount());
    EXPECT_EQ(nullptr, scanner.GetEntry(4));
    EXPECT_EQ(nullptr, scanner.GetEntry(-1));
    scanner.RemoveEntry(1);
    scanner.RemoveEntry(4);
    scanner.RemoveEntry(-1);
    EXPECT_EQ((std::vector<std::string>{"a.qld@0", "c.txt@0", "D.QLD@0"}), Listing(scanner));

    // A new scan replaces the old entries; a folder that cannot be searched gives none.
    EXPECT_EQ(0, scanner.Scan(m_tree.Path("missing"), "*", 3, true, true));
    EXPECT_EQ(0, scanner.GetCount());
    EXPECT_EQ("*", Text(scanner.GetPatternText()));
}

TEST_F(DirScannerTest, SortComparesFoldersFirstAndIgnoresCase)
{
    m_tree.WriteFile("A/b.qld", "");
    m_tree.WriteFile("B/a.qld", "");
    m_tree.WriteFile("B/x.QLD", "");
    CKSTDirScanner scanner;
    scanner.Scan(m_tree.Path(), "*.qld;*.QLD", 1, false, true);
    scanner.Sort();
    EXPECT_EQ((std::vector<std::string>{"a.qld@0", "A\\b.qld@1", "B\\a.qld@1", "B\\x.QLD@1",
                                        "D.QLD@0", "sub1\\x.qld@1"}),
              Listing(scanner));
}

TEST_F(DirScannerTest, PathHelpers)
{
    struct Case {
        const char* path;
        bool folder;
        bool file;
    };
    const Case cases[] = {
        {"sub1", true, false},     {"a.qld", false, true},    {"folder.qld", true, false},
        {"missing", false, false}, {"a.qld/x", false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(c.folder, FolderExists(m_tree.Path(c.path)));
        EXPECT_EQ(c.file, IsExistingFile(m_tree.Path(c.path)));
    }
    EXPECT_FALSE(FolderExists(""));
    EXPECT_FALSE(IsExistingFile(""));
}

TEST_F(DirScannerTest, CreateFolderPath)
{
    EXPECT_TRUE(CreateFolderPath(m_tree.Path("sub2/u/v")));
    EXPECT_TRUE(FolderExists(m_tree.Path("sub2/u/v")));
    EXPECT_TRUE(CreateFolderPath(m_tree.Path("sub2/u/v/")));  // all there already

    // A file where a folder is needed: nothing is created.
    EXPECT_FALSE(CreateFolderPath(m_tree.Path("a.qld/u/v")));
    EXPECT_FALSE(FolderExists(m_tree.Path("a.qld/u")));
    EXPECT_FALSE(CreateFolderPath(m_tree.Path("c.txt")));
}

TEST(ProgramFolder, HoldsTheRunningProgram)
{
    const CKSTString folder = GetProgramFolder();
    ASSERT_GT(folder.GetLength(), 1);
    EXPECT_EQ('\\', folder.Last());
    EXPECT_TRUE(FolderExists(folder));
    EXPECT_TRUE(FileExistsNotFolder(folder + "foundation_tests*"));
}

}  // namespace
