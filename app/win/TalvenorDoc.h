#pragma once
// The document. Reading and appending measurement files come with the document's own file
// handling; until then an open, append or save tells the user that it is not available yet.
#include <vector>

#include "data/DataSet.h"
#include "framework/Document.h"

class CTalvenorDoc : public CDocument {
public:
    CTalvenorDoc();
    ~CTalvenorDoc() override;

    BOOL OnNewDocument() override;
    BOOL OnOpenDocument(const char* pathName) override;
    // Appends the files one after the other; `stop` is set when the user or an error ends it.
    void AppendFiles(const std::vector<CKSTString>& paths, bool& stop);
    // Writes the data set as file type `fileType` (a code of the measurement-file object).
    BOOL SaveFile(const char* path, int fileType);

    // What the frame's status bar and enabling rules read.
    CKSTDataSet& GetDataSet() { return m_dataSet; }
    bool IsLocked() const { return m_bLocked; }
    const CKSTString& GetLockPassword() const { return m_strLockPassword; }

    CKSTDataSet m_dataSet;
    bool m_bLocked = false;        // opened with a lock that was not unlocked
    CKSTString m_strLockPassword;  // stays after an unlock
};
