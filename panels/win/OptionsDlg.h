#pragma once
// The file-types dialog: one check box per group of file extensions; on OK each extension is
// registered with or removed from the shell through the application, which keeps one flag per
// extension, and the flags are saved when the program may use the registry.
#include <cstdint>

#include "framework/Dialog.h"

// What the dialog needs of the application object.
class IKSTAssociationHost {
public:
    virtual ~IKSTAssociationHost() = default;
    // Sixteen flags in the order qld, zrw, dat, raw, ddf, ddb, mat, fig, wav, dbl, flt, bbl, asc,
    // csv, log, txt.
    virtual uint8_t* GetAssociationFlags() = 0;
    virtual void RegisterFileType(const char* progId, const char* extension, bool wanted,
                                  uint8_t& flag) = 0;
    virtual void SaveAssociationFlags() = 0;
    virtual bool UsesRegistry() const = 0;
    virtual bool IsEnglish() const = 0;
};

class CKSTOptionsDlg : public CDialog {
    DECLARE_MESSAGE_MAP()

public:
    explicit CKSTOptionsDlg(IKSTAssociationHost& host, CWnd* parent = nullptr);

    // The check boxes, in the order of the dialog's table.
    static constexpr int kBoxCount = 14;
    int m_checks[kBoxCount] = {};
    CKSTString m_strExplanation;

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* dx) override;
    void OnOK() override;

private:
    IKSTAssociationHost& m_host;
};
