#pragma once
// The viewer's small modal dialogs. Each is constructed on the stack, given its fields, run with
// DoModal and read back; each sets its texts in OnInitDialog in the language it is given.
#include <vector>

#include <cstdint>

#include "framework/Dialog.h"
#include "panels/FftDialogMapping.h"

// A dialog whose texts follow a language (0 German, 1 English), with the shared handler that
// takes the fields from the controls and shows them again (for selection changes and clicks
// that enable, disable or recompute something).
class CKSTSmallDialog : public CDialog {
public:
    CKSTSmallDialog(UINT templateId, bool english, CWnd* parent)
        : CDialog(templateId, parent), m_english(english)
    {
    }

    void OnUpdateDataTrue();

protected:
    // The text of string `id` in the dialog's language.
    CKSTString Text(int id) const;
    void SetItemText(int controlId, int stringId);

    bool m_english;
};

// Channel names that already exist: create new channels (101), append to them (102) or cancel.
class CKSTAppendFileDlg : public CKSTSmallDialog {
    DECLARE_MESSAGE_MAP()

public:
    enum { kCreateNew = 101, kAppendToExisting = 102 };
    explicit CKSTAppendFileDlg(bool english, CWnd* parent = nullptr);

    int m_nMethod = -1;           // 0 accurate time, 1 back to back
    int m_bKeepSelection = 1;     // use the current channel selection
    bool m_bShowSelection = false;  // the keep-selection box is shown only when set
    CKSTString m_strExplanation;

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* dx) override;
    void OnCreateNew();
    void OnAppendToExisting();
};

// Closing while a live stream is open and unsaved: close and save, close without saving, or
// cancel (IDCANCEL: the program stays open).
class CKSTCloseAppDlg : public CKSTSmallDialog {
    DECLARE_MESSAGE_MAP()

public:
    explicit CKSTCloseAppDlg(bool english, CWnd* parent = nullptr);

    bool m_bSave = true;

protected:
    BOOL OnInitDialog() override;
    void OnCloseAndSave();
    void OnCloseWithoutSaving();
};

// The fields of a generated standard waveform.
class CKSTGenerateSignalDlg : public CKSTSmallDialog {
    DECLARE_MESSAGE_MAP()

public:
    enum Waveform { Sine, Rectangle, Triangle, Sawtooth, Constant, Ramp };
    explicit CKSTGenerateSignalDlg(bool english, CWnd* parent = nullptr);

    CKSTString m_strName;
    int m_nWaveform = 0;
    CKSTString m_strUnit = "V";
    double m_dAmplitude = 1.0;
    double m_dFrequency = 1.0;
    double m_dPhase = 0.0;
    double m_dYOffset = 0.0;
    double m_dXDelta = 0.01;
    int m_nLength = 1000;

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* dx) override;
    void OnOK() override;
    void OnWaveformChanged();
};

// A channel and the factor its sample interval is divided by.
class CKSTInterpolationDlg : public CDialog {
public:
    // `channelNames`: the open document's channels in data-set order.
    explicit CKSTInterpolationDlg(std::vector<CKSTString> channelNames, CWnd* parent = nullptr);

    int m_nChannel = -1;
    int m_nFactor = 0;

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* dx) override;

private:
    std::vector<CKSTString> m_channelNames;
};

// Spectrum options.
class CKSTFFTSettingsDlg : public CKSTSmallDialog {
    DECLARE_MESSAGE_MAP()

public:
    explicit CKSTFFTSettingsDlg(bool english, CWnd* parent = nullptr);

    void SetSettings(const KstFftRecord& record) { m_fields = KstFftFieldsFromRecord(record); }
    void GetSettings(KstFftRecord& record) const { KstFftRecordFromFields(m_fields, record); }

    KstFftFields m_fields;

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* dx) override;
    void OnSmoothClicked();
};

// English or German for the user interface. A click stores the choice at once; there is no
// Cancel, so closing the dialog any other way keeps what was clicked.
class CKSTLanguageDialog : public CDialog {
    DECLARE_MESSAGE_MAP()

public:
    // `language`: the caller's word, 0 German, 1 English; its value is the dialog's language.
    CKSTLanguageDialog(uint32_t* language, CWnd* parent = nullptr);

protected:
    BOOL OnInitDialog() override;
    void OnEnglish();
    void OnGerman();

private:
    uint32_t* m_pLanguage;
};
