#pragma once
// The settings dialogs of the bar display (949) and of the pointer instrument (968). The caller
// sets the language and the fields, runs the dialog and reads the fields back unless it was
// cancelled; the dialogs change nothing else.
#include "elements/InstrumentDialogMapping.h"
#include "elements/win/SettingsDialog.h"

// The title block both dialogs share.
class CKSTInstrumentDialog : public CKSTSettingsDialog {
public:
    KstInstrumentFields m_fields;

protected:
    using CKSTSettingsDialog::CKSTSettingsDialog;

    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* dx) override;
    CKSTFontDesc* FontOfButton(int id) override;
};

class CKSTBarDialog : public CKSTInstrumentDialog {
public:
    explicit CKSTBarDialog(CWnd* parent = nullptr);

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* dx) override;
    uint32_t* ColourOfButton(int id) override;
};

class CKSTMeterDialog : public CKSTInstrumentDialog {
public:
    explicit CKSTMeterDialog(CWnd* parent = nullptr);

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* dx) override;
    uint32_t* ColourOfButton(int id) override;
};
