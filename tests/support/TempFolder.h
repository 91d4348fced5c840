#pragma once
// A fresh folder below the system's temporary folder, removed with everything in it (read-only
// files too) when the object goes.

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <system_error>

#include "foundation/String.h"

class TempFolder {
public:
    TempFolder()
    {
        std::random_device random;
        const auto name = "kst_test_" + std::to_string(random()) + std::to_string(random());
        m_root = std::filesystem::temp_directory_path() / name;
        std::filesystem::create_directories(m_root);
    }

    ~TempFolder()
    {
        std::error_code ec;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(m_root, ec)) {
            std::filesystem::permissions(entry.path(), std::filesystem::perms::owner_write,
                                         std::filesystem::perm_options::add, ec);
        }
        std::filesystem::remove_all(m_root, ec);
    }

    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    std::filesystem::path Native(const std::string& relative = "") const
    {
        return relative.empty() ? m_root : m_root / relative;
    }

    // The path as the program's code passes it around.
    CKSTString Path(const std::string& relative = "") const
    {
        return CKSTString(Native(relative).string().c_str());
    }

    void WriteFile(const std::string& relative, const std::string& bytes) const
    {
        const auto path = Native(relative);
        std::filesystem::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary)
            .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }

    // The file's bytes; empty when it cannot be read.
    std::string ReadFile(const std::string& relative) const
    {
        std::ifstream in(Native(relative), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    void MakeFolder(const std::string& relative) const
    {
        std::filesystem::create_directories(Native(relative));
    }

    void MakeReadOnly(const std::string& relative) const
    {
        std::filesystem::permissions(Native(relative),
                                     std::filesystem::perms::owner_write |
                                         std::filesystem::perms::group_write |
                                         std::filesystem::perms::others_write,
                                     std::filesystem::perm_options::remove);
    }

private:
    std::filesystem::path m_root;
};
