#pragma once
// The document. Reading and appending measurement files come with the document's own file
// handling; until then an open or append tells the user that it is not available yet.
#include <vector>

#include "framework/Document.h"

class CTalvenorDoc : public CDocument {
public:
    CTalvenorDoc();
    ~CTalvenorDoc() override;

    BOOL OnNewDocument() override;
    BOOL OnOpenDocument(const char* pathName) override;
    // Appends the files one after the other; `stop` is set when the user or an error ends it.
    void AppendFiles(const std::vector<CKSTString>& paths, bool& stop);
};
