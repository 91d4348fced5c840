#pragma once
// The options of reading and writing text tables. The Load ASCII and Save ASCII commands make
// the dialog with the program's language, give it the application's text settings, run it and,
// on OK only, take the settings back (KstRunLoadAsciiDialog and KstRunSaveAsciiDialog do all of
// that).
#include <cstdint>

#include "formats/TextFormat.h"
#include "panels/AsciiDialogMapping.h"
#include "panels/win/SmallDialogs.h"

class CKSTLoadAsciiDlg : public CKSTSmallDialog {
    DECLARE_MESSAGE_MAP()

public:
    // `language`: 0 German, anything else English.
    explicit CKSTLoadAsciiDlg(uint32_t language, CWnd* parent = nullptr);

    void SetSettings(const CKSTTextFormat& settings)
    {
        KstLoadAsciiFieldsFromSettings(settings, m_fields);
    }
    void GetSettings(CKSTTextFormat& settings) const
    {
        KstLoadAsciiSettingsFromFields(m_fields, settings);
    }

    KstLoadAsciiFields m_fields;

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* dx) override;
};

class CKSTSaveAsciiDlg : public CKSTSmallDialog {
    DECLARE_MESSAGE_MAP()

public:
    explicit CKSTSaveAsciiDlg(uint32_t language, CWnd* parent = nullptr);

    void SetSettings(const CKSTTextFormat& settings)
    {
        KstSaveAsciiFieldsFromSettings(settings, m_fields);
    }
    void GetSettings(CKSTTextFormat& settings) const
    {
        KstSaveAsciiSettingsFromFields(m_fields, settings);
    }

    KstSaveAsciiFields m_fields;

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* dx) override;
    void OnOK() override;
    void OnAverageClicked();
    void OnSeparatorChanged();
    void OnAverageSpin(NMHDR* header, LRESULT* result);

private:
    void EnableAverageCount();
};

// The menu commands' whole run: the dialog filled from `settings`, which take its choices only
// when it ends with OK. Returns the dialog's result.
INT_PTR KstRunLoadAsciiDialog(CKSTTextFormat& settings, uint32_t language, CWnd* parent = nullptr);
INT_PTR KstRunSaveAsciiDialog(CKSTTextFormat& settings, uint32_t language, CWnd* parent = nullptr);
