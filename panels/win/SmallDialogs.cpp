#include "panels/win/SmallDialogs.h"

#include <climits>

#include "foundation/win/DlgItems.h"
#include "foundation/win/StringLoader.h"
#include "framework/Seams.h"
#include "resources/ResourceIds.h"
#include "resources/StringIds.h"

// ---- Shared -----------------------------------------------------------------------------------

void CKSTSmallDialog::OnUpdateDataTrue()
{
    UpdateData(TRUE);
    UpdateData(FALSE);
}

CKSTString CKSTSmallDialog::Text(int id) const
{
    return LoadResString(id, m_english);
}

void CKSTSmallDialog::SetItemText(int controlId, int stringId)
{
    SetDlgItemText(controlId, Text(stringId).c_str());
}

namespace {

void FillCombo(HWND combo, std::initializer_list<CKSTString> texts)
{
    SendMessageA(combo, CB_RESETCONTENT, 0, 0);
    for (const CKSTString& text : texts) {
        SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    }
}

}  // namespace

// ---- Append File -----------------------------------------------------------------------------

BEGIN_MESSAGE_MAP(CKSTAppendFileDlg, CDialog)
ON_BN_CLICKED(IDC_APPEND_CREATE_NEW, OnCreateNew)
ON_BN_CLICKED(IDC_APPEND_TO_EXISTING, OnAppendToExisting)
END_MESSAGE_MAP()

CKSTAppendFileDlg::CKSTAppendFileDlg(bool english, CWnd* parent)
    : CKSTSmallDialog(IDD_APPEND_FILE, english, parent)
{
}

BOOL CKSTAppendFileDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    m_strExplanation = Text(KST_STR_APPEND_TEXT);
    SetItemText(IDC_APPEND_METHOD_LABEL, KST_STR_APPEND_METHOD);
    FillCombo(::GetDlgItem(m_hWnd, IDC_APPEND_METHOD),
              {Text(KST_STR_APPEND_ACCURATE_TIME), Text(KST_STR_APPEND_BACK_TO_BACK)});
    m_nMethod = 0;
    SetItemText(IDC_APPEND_KEEP_SELECTION, KST_STR_APPEND_KEEP_SELECTION);
    if (!m_bShowSelection) {
        HideDlgItem(m_hWnd, IDC_APPEND_KEEP_SELECTION);
    }
    SetWindowText(Text(KST_STR_APPEND_CAPTION).c_str());
    SetItemText(IDC_APPEND_CREATE_NEW, KST_STR_APPEND_CREATE_NEW);
    SetItemText(IDC_APPEND_TO_EXISTING, KST_STR_APPEND_TO_EXISTING);
    SetItemText(IDCANCEL, KST_STR_CANCEL);
    UpdateData(FALSE);
    return TRUE;
}

void CKSTAppendFileDlg::DoDataExchange(CDataExchange* dx)
{
    DDX_Text(dx, IDC_APPEND_TEXT, m_strExplanation);
    DDX_CBIndex(dx, IDC_APPEND_METHOD, m_nMethod);
    DDX_Check(dx, IDC_APPEND_KEEP_SELECTION, m_bKeepSelection);
}

void CKSTAppendFileDlg::OnCreateNew()
{
    if (UpdateData(TRUE)) {
        EndDialog(kCreateNew);
    }
}

void CKSTAppendFileDlg::OnAppendToExisting()
{
    if (UpdateData(TRUE)) {
        EndDialog(kAppendToExisting);
    }
}

// ---- Close Application -------------------------------------------------------------------------

BEGIN_MESSAGE_MAP(CKSTCloseAppDlg, CDialog)
ON_BN_CLICKED(IDC_CLOSEAPP_SAVE, OnCloseAndSave)
ON_BN_CLICKED(IDC_CLOSEAPP_NO_SAVE, OnCloseWithoutSaving)
END_MESSAGE_MAP()

CKSTCloseAppDlg::CKSTCloseAppDlg(bool english, CWnd* parent)
    : CKSTSmallDialog(IDD_CLOSE_APP, english, parent)
{
}

BOOL CKSTCloseAppDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    SetWindowText(Text(KST_STR_CLOSEAPP_CAPTION).c_str());
    SetItemText(IDC_CLOSEAPP_TEXT, KST_STR_CLOSEAPP_TEXT);
    SetItemText(IDC_CLOSEAPP_SAVE, KST_STR_CLOSEAPP_SAVE);
    SetItemText(IDC_CLOSEAPP_NO_SAVE, KST_STR_CLOSEAPP_NO_SAVE);
    SetItemText(IDCANCEL, KST_STR_CANCEL);
    return TRUE;
}

void CKSTCloseAppDlg::OnCloseAndSave()
{
    m_bSave = true;
    EndDialog(IDOK);
}

void CKSTCloseAppDlg::OnCloseWithoutSaving()
{
    m_bSave = false;
    EndDialog(IDOK);
}

// ---- Generate Signal ----------------------------------------------------------------------------

BEGIN_MESSAGE_MAP(CKSTGenerateSignalDlg, CDialog)
ON_CBN_SELCHANGE(IDC_SIGNAL_WAVEFORM, OnWaveformChanged)
END_MESSAGE_MAP()

CKSTGenerateSignalDlg::CKSTGenerateSignalDlg(bool english, CWnd* parent)
    : CKSTSmallDialog(IDD_GENERATE_SIGNAL, english, parent)
{
}

BOOL CKSTGenerateSignalDlg::OnInitDialog()
{
    FillCombo(::GetDlgItem(m_hWnd, IDC_SIGNAL_WAVEFORM),
              {Text(KST_STR_SIGNAL_SINE), Text(KST_STR_SIGNAL_RECTANGLE),
               Text(KST_STR_SIGNAL_TRIANGLE), Text(KST_STR_SIGNAL_SAWTOOTH),
               Text(KST_STR_SIGNAL_CONSTANT), Text(KST_STR_SIGNAL_RAMP)});
    CDialog::OnInitDialog();
    SetWindowText(Text(KST_STR_SIGNAL_CAPTION).c_str());
    SetItemText(IDC_SIGNAL_NAME_LABEL, KST_STR_SIGNAL_NAME);
    SetItemText(IDC_SIGNAL_WAVEFORM_LABEL, KST_STR_SIGNAL_WAVEFORM);
    SetItemText(IDC_SIGNAL_UNIT_LABEL, KST_STR_SIGNAL_UNIT);
    SetItemText(IDC_SIGNAL_AMPLITUDE_LABEL, KST_STR_SIGNAL_AMPLITUDE);
    SetItemText(IDC_SIGNAL_FREQUENCY_LABEL, KST_STR_SIGNAL_FREQUENCY);
    SetItemText(IDC_SIGNAL_PHASE_LABEL, KST_STR_SIGNAL_PHASE);
    SetItemText(IDC_SIGNAL_Y_OFFSET_LABEL, KST_STR_SIGNAL_Y_OFFSET);
    SetItemText(IDC_SIGNAL_X_DELTA_LABEL, KST_STR_SIGNAL_X_DELTA);
    SetItemText(IDC_SIGNAL_LENGTH_LABEL, KST_STR_SIGNAL_LENGTH);
    SetItemText(IDC_SIGNAL_POINTS_LABEL, KST_STR_SIGNAL_POINTS);
    SetItemText(IDOK, KST_STR_OK);
    SetItemText(IDCANCEL, KST_STR_CANCEL);
    return TRUE;
}

void CKSTGenerateSignalDlg::DoDataExchange(CDataExchange* dx)
{
    DDX_Text(dx, IDC_SIGNAL_NAME, m_strName);
    DDX_CBIndex(dx, IDC_SIGNAL_WAVEFORM, m_nWaveform);
    DDX_Text(dx, IDC_SIGNAL_UNIT, m_strUnit);
    DDX_Text(dx, IDC_SIGNAL_AMPLITUDE, m_dAmplitude);
    DDX_Text(dx, IDC_SIGNAL_FREQUENCY, m_dFrequency);
    DDX_Text(dx, IDC_SIGNAL_PHASE, m_dPhase);
    DDX_Text(dx, IDC_SIGNAL_Y_OFFSET, m_dYOffset);
    DDX_Text(dx, IDC_SIGNAL_X_DELTA, m_dXDelta);
    DDX_Text(dx, IDC_SIGNAL_LENGTH, m_nLength);
    // A constant value and a ramp have no frequency and no phase.
    const bool periodic = m_nWaveform >= Sine && m_nWaveform <= Sawtooth;
    for (int id : {IDC_SIGNAL_FREQUENCY, IDC_SIGNAL_PHASE}) {
        if (periodic) {
            EnableDlgItem(m_hWnd, id);
        } else {
            DisableDlgItem(m_hWnd, id);
        }
    }
}

void CKSTGenerateSignalDlg::OnWaveformChanged()
{
    OnUpdateDataTrue();
}

void CKSTGenerateSignalDlg::OnOK()
{
    if (!UpdateData(TRUE)) {
        return;
    }
    if (m_strName.IsEmpty()) {
        const CKSTString caption = Text(KST_STR_ATTENTION);
        KstMessageBox(m_hWnd, Text(KST_STR_SIGNAL_ENTER_NAME).c_str(), caption.c_str(), MB_OK,
                      KST_STR_SIGNAL_ENTER_NAME);
        return;
    }
    EndDialog(IDOK);
}

// ---- Interpolation ----------------------------------------------------------------------------

CKSTInterpolationDlg::CKSTInterpolationDlg(std::vector<CKSTString> channelNames, CWnd* parent)
    : CDialog(IDD_INTERPOLATION, parent), m_channelNames(std::move(channelNames))
{
}

BOOL CKSTInterpolationDlg::OnInitDialog()
{
    HWND combo = ::GetDlgItem(m_hWnd, IDC_INTERPOLATION_CHANNEL);
    for (const CKSTString& name : m_channelNames) {
        ::SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
    }
    m_nChannel = 0;
    m_nFactor = 35;
    return CDialog::OnInitDialog();
}

void CKSTInterpolationDlg::DoDataExchange(CDataExchange* dx)
{
    DDX_CBIndex(dx, IDC_INTERPOLATION_CHANNEL, m_nChannel);
    DDX_Text(dx, IDC_INTERPOLATION_FACTOR, m_nFactor);
    // The sample interval is divided by the factor: below 1 it would not be an interpolation.
    DDV_MinMaxInt(dx, m_nFactor, 1, INT_MAX);
}

// ---- FFT settings -----------------------------------------------------------------------------

BEGIN_MESSAGE_MAP(CKSTFFTSettingsDlg, CDialog)
ON_BN_CLICKED(IDC_FFT_SMOOTH, OnSmoothClicked)
END_MESSAGE_MAP()

CKSTFFTSettingsDlg::CKSTFFTSettingsDlg(bool english, CWnd* parent)
    : CKSTSmallDialog(IDD_FFT_SETTINGS, english, parent)
{
}

BOOL CKSTFFTSettingsDlg::OnInitDialog()
{
    FillCombo(::GetDlgItem(m_hWnd, IDC_FFT_LENGTH_MODE),
              {Text(KST_STR_FFT_TRUNCATE), Text(KST_STR_FFT_PAD), Text(KST_STR_FFT_INTERPOLATE)});
    FillCombo(::GetDlgItem(m_hWnd, IDC_FFT_WINDOW),
              {Text(KST_STR_FFT_RECTANGLE), Text(KST_STR_FFT_HANNING), Text(KST_STR_FFT_HAMMING),
               Text(KST_STR_FFT_BLACKMAN_HARRIS)});
    CDialog::OnInitDialog();
    SetWindowText(Text(KST_STR_FFT_CAPTION).c_str());
    SetItemText(IDC_FFT_LENGTH_LABEL, KST_STR_FFT_LENGTH_LABEL);
    SetItemText(IDC_FFT_WINDOW_LABEL, KST_STR_FFT_WINDOW_LABEL);
    SetItemText(IDC_FFT_SUPPRESS_DC, KST_STR_FFT_SUPPRESS_DC);
    SetItemText(IDC_FFT_SMOOTH, KST_STR_FFT_SMOOTH);
    SetItemText(IDC_FFT_SMOOTH_POINTS_UNIT, KST_STR_FFT_POINTS);
    SetItemText(IDC_FFT_ONLINE_LENGTH_LABEL, KST_STR_FFT_ONLINE_LENGTH);
    SetItemText(IDC_FFT_ONLINE_LENGTH_UNIT, KST_STR_FFT_POINTS);
    SetItemText(IDCANCEL, KST_STR_CANCEL);
    return TRUE;
}

void CKSTFFTSettingsDlg::DoDataExchange(CDataExchange* dx)
{
    DDX_CBIndex(dx, IDC_FFT_LENGTH_MODE, m_fields.lengthIndex);
    DDX_CBIndex(dx, IDC_FFT_WINDOW, m_fields.windowIndex);
    DDX_Check(dx, IDC_FFT_SUPPRESS_DC, m_fields.suppressDc);
    DDX_Check(dx, IDC_FFT_SMOOTH, m_fields.smooth);
    DDX_Text(dx, IDC_FFT_SMOOTH_POINTS, m_fields.smoothPoints);
    DDX_Text(dx, IDC_FFT_ONLINE_LENGTH, m_fields.onlineLength);
    if (m_fields.smooth) {
        EnableDlgItem(m_hWnd, IDC_FFT_SMOOTH_POINTS);
    } else {
        DisableDlgItem(m_hWnd, IDC_FFT_SMOOTH_POINTS);
    }
}

void CKSTFFTSettingsDlg::OnSmoothClicked()
{
    OnUpdateDataTrue();
}

// ---- Language ---------------------------------------------------------------------------------

BEGIN_MESSAGE_MAP(CKSTLanguageDialog, CDialog)
ON_BN_CLICKED(IDC_LANGUAGE_ENGLISH, OnEnglish)
ON_BN_CLICKED(IDC_LANGUAGE_GERMAN, OnGerman)
END_MESSAGE_MAP()

CKSTLanguageDialog::CKSTLanguageDialog(uint32_t* language, CWnd* parent)
    : CDialog(IDD_LANGUAGE, parent), m_pLanguage(language)
{
}

BOOL CKSTLanguageDialog::OnInitDialog()
{
    CDialog::OnInitDialog();
    const bool english = *m_pLanguage != 0;
    SetWindowText(LoadResString(KST_STR_LANGUAGE_CAPTION, english).c_str());
    SetDlgItemText(IDC_LANGUAGE_ENGLISH, LoadResString(KST_STR_LANGUAGE_ENGLISH, english).c_str());
    SetDlgItemText(IDC_LANGUAGE_GERMAN, LoadResString(KST_STR_LANGUAGE_GERMAN, english).c_str());
    if (*m_pLanguage == 1) {
        ::SendMessageA(::GetDlgItem(m_hWnd, IDC_LANGUAGE_ENGLISH), BM_SETCHECK, BST_CHECKED, 0);
    } else if (*m_pLanguage == 0) {
        ::SendMessageA(::GetDlgItem(m_hWnd, IDC_LANGUAGE_GERMAN), BM_SETCHECK, BST_CHECKED, 0);
    }
    return TRUE;
}

void CKSTLanguageDialog::OnEnglish()
{
    *m_pLanguage = 1;
    ::SendMessageA(::GetDlgItem(m_hWnd, IDC_LANGUAGE_ENGLISH), BM_SETCHECK, BST_CHECKED, 0);
    ::SendMessageA(::GetDlgItem(m_hWnd, IDC_LANGUAGE_GERMAN), BM_SETCHECK, BST_UNCHECKED, 0);
}

void CKSTLanguageDialog::OnGerman()
{
    *m_pLanguage = 0;
    ::SendMessageA(::GetDlgItem(m_hWnd, IDC_LANGUAGE_GERMAN), BM_SETCHECK, BST_CHECKED, 0);
    ::SendMessageA(::GetDlgItem(m_hWnd, IDC_LANGUAGE_ENGLISH), BM_SETCHECK, BST_UNCHECKED, 0);
}
