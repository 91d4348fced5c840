#pragma once
// A print device for the framework's print seam that records every page as an enhanced
// metafile measured on the screen.
#include <windows.h>

#include <vector>

#include "framework/PrintInfo.h"

namespace kst_test {

// A printer that records every page into an enhanced metafile on the screen's metrics.
class MetafilePrinter : public KstPrintDevice {
public:
    explicit MetafilePrinter(std::vector<HENHMETAFILE>& pages)
        : m_pages(pages), m_attribute(CreateEnhMetaFileA(nullptr, nullptr, nullptr, nullptr))
    {
    }
    ~MetafilePrinter() override { DeleteEnhMetaFile(CloseEnhMetaFile(m_attribute)); }
    MetafilePrinter(const MetafilePrinter&) = delete;
    MetafilePrinter& operator=(const MetafilePrinter&) = delete;

    HDC AttributeDC() override { return m_attribute; }
    int StartDoc(const char*) override { return 1; }
    HDC StartPage() override
    {
        m_page = CreateEnhMetaFileA(nullptr, nullptr, nullptr, nullptr);
        return m_page;
    }
    int EndPage() override
    {
        m_pages.push_back(CloseEnhMetaFile(m_page));
        return 1;
    }
    int EndDoc() override { return 1; }
    void AbortDoc() override {}

private:
    std::vector<HENHMETAFILE>& m_pages;
    HDC m_attribute;
    HDC m_page = nullptr;
};

}  // namespace kst_test
