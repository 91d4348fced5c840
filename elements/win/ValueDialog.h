#pragma once
// The settings dialogs of the numeric value element (940) and of the lamp (946). Each is made
// from a copy of the element's settings; the element sets the language, runs it and after IDOK
// has Apply write the fields into its settings in the order the element applies them.
#include "data/settings/ProcessLayout.h"
#include "elements/ValueDialogMapping.h"
#include "elements/win/SettingsDialog.h"

// The title block both dialogs share, with the precision and the split ratio.
class CKSTValueDialog : public CKSTSettingsDialog {
public:
    KstValueDialogFields m_fields;

protected:
    CKSTValueDialog(UINT templateId, const CKSTValueElementSettings& settings, CWnd* parent);

    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* dx) override;
};

class CKSTLCDDialog : public CKSTValueDialog {
public:
    explicit CKSTLCDDialog(const CKSTValueElementSettings& settings, CWnd* parent = nullptr);
    void Apply(CKSTValueElementSettings& settings) const;

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* dx) override;
    CKSTFontDesc* FontOfButton(int id) override;
    uint32_t* ColourOfButton(int id) override;
};

class CKSTLampDialog : public CKSTValueDialog {
public:
    explicit CKSTLampDialog(const CKSTValueElementSettings& settings, CWnd* parent = nullptr);
    void Apply(CKSTValueElementSettings& settings) const;

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* dx) override;
    CKSTFontDesc* FontOfButton(int id) override;
    uint32_t* ColourOfButton(int id) override;
};

// What an element's owner runs for it: dialog 940 for a numeric value (display type 0), 946
// for a lamp, on the settings in the language (0 German, else English); on IDOK the settings
// hold the user's choice. The dialog's result.
int KstEditValueSettings(CKSTValueElementSettings& settings, uint32_t language);
