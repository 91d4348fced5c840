// The record window's contents: the data set it shows, the spectra, the panes' texts, language,
// lock and online state.
#include "app/win/RecordWnd.h"

#include "foundation/win/StringLoader.h"
#include "resources/StringIds.h"

namespace {

// The dialogs of the main curve window may rename channels and change units unless the file is
// locked; the value list pane offers the value-list mode. The track axis belongs to another
// kind of display.
KstCurveDialogOptions MainCurveDialogOptions(bool readOnly)
{
    KstCurveDialogOptions options;
    options.editNames = !readOnly;
    options.editUnits = !readOnly;
    options.valueList = true;
    options.track = false;
    return options;
}

}  // namespace

void CKSTRecordWnd::SetDataSet(CKSTDataSet* dataSet, bool fitOnly)
{
    m_pDataSet = dataSet;
    m_wndMainCurve.SetDialogOptions(MainCurveDialogOptions(m_bReadOnly));

    const bool mainVisible = m_wndMainCurve.IsUpdateEnabled();
    if (mainVisible) {
        m_wndMainCurve.SetVisible(false, false);
    }
    m_wndMainCurve.RemoveAll(false);
    if (dataSet) {
        m_wndMainCurve.AddChannels(dataSet->GetChannels());
        if (dataSet->HasWindowSettings()) {
            const CKSTCurveWndSettings settings = dataSet->GetWindowSettings();
            // Stored settings that do not fit the curves keep only their look.
            const bool arrange = fitOnly && !m_wndMainCurve.CurvesMatchSettings(settings);
            m_wndMainCurve.ApplySettings(settings, arrange, false);
        }
    }
    if (mainVisible) {
        m_wndMainCurve.SetVisible(true, true);
    }

    if (m_flags.spectra) {
        RebuildSpectrumWindow();
    }
    m_wndProcess.SetDataSet(dataSet);
    FillPanes();
    if (m_wndMainCurve.m_hWnd) {
        m_wndMainCurve.SetFocus();
    }
}

void CKSTRecordWnd::UpdatePanes()
{
    RefreshMain();
    RefreshSpectra();
    FillPanes();
}

void CKSTRecordWnd::FillPanes()
{
    if (!m_pDataSet) {
        m_wndInfoBar.ClearTexts();
        m_wndStructTree.ClearWindowList();
        m_wndComment.ClearText();
        m_wndVariables.ClearList();
        m_wndValueList.SetCurveWnd(&m_wndMainCurve);
        return;
    }
    m_wndInfoBar.SetTitle(m_pDataSet->GetTitle());
    m_wndInfoBar.SetDateTime(m_pDataSet->GetChannels().GetEarliestStartTimeStamp());
    m_wndStructTree.SetWindowList(&m_pDataSet->GetChannels(), &m_wndMainCurve, &m_wndSpectrum);
    m_wndComment.SetText(m_pDataSet->GetComment());
    m_wndVariables.SetList(&m_pDataSet->GetHeader());
    m_wndValueList.SetCurveWnd(&m_wndMainCurve);
}

void CKSTRecordWnd::RefreshMain()
{
    if (!m_pDataSet) {
        return;
    }
    if (m_flags.process) {
        if (m_wndProcess.GetDataSet() != m_pDataSet) {
            m_wndProcess.SetDataSet(m_pDataSet);
        }
        m_wndProcess.RefreshElements();
    } else if (m_wndMainCurve.IsUpdateEnabled()) {
        // While redrawing is off, switching it on again brings the window up to date once.
        m_wndMainCurve.Refresh();
    }
}

void CKSTRecordWnd::ComputeSpectra(bool rebuild)
{
    if (rebuild) {
        m_spectra.DeleteAll();
    }
    bool any = false;
    if (m_pDataSet) {
        const CKSTChannelList& channels = m_pDataSet->GetChannels();
        for (int i = 0; i < channels.GetCount(); ++i) {
            if (rebuild) {
                m_spectra.AddNew();
            }
            CKSTChannel* spectrum = m_spectra.GetAt(i);
            const CKSTChannel* source = channels.GetAt(i);
            if (!spectrum || !source) {
                continue;
            }
            CKSTFFTSettings settings = m_pDataSet->GetFFTSettings();
            if (m_wndMainCurve.IsOnline()) {
                settings.m_ConvertTimeVector = 1;
            } else {
                // Only live spectra are limited to the newest samples.
                settings.m_MaximumLength = 0;
            }
            // A spectrum that cannot be computed must not keep the values of an earlier one.
            spectrum->Reset();
            if (source->ComputeSpectrum(*spectrum, settings)) {
                any = true;
            } else {
                spectrum->SetName(source->GetName());
            }
        }
    }
    const CKSTString title =
        any ? CKSTString() : LoadResString(KST_STR_SPECTRA_NOT_COMPUTABLE, m_language != 0);
    m_wndSpectrum.SetTitleText(title, kSpectrumTitleColour, true);
}

void CKSTRecordWnd::RebuildSpectrumWindow()
{
    const bool visible = m_wndSpectrum.IsUpdateEnabled();
    if (visible) {
        m_wndSpectrum.SetVisible(false, false);
    }
    m_wndSpectrum.RemoveAll(false);
    ComputeSpectra(true);
    m_wndSpectrum.AddChannels(m_spectra);
    if (m_pDataSet && m_pDataSet->HasWindowSettings()) {
        m_wndSpectrum.ApplySettings(m_pDataSet->GetWindowSettings(), true, true);
    }
    m_wndSpectrum.Rezoom(0);
    if (visible) {
        m_wndSpectrum.SetVisible(true, true);
    }
}

void CKSTRecordWnd::RefreshSpectra()
{
    if (!m_pDataSet || !m_flags.spectra) {
        return;
    }
    if (m_spectra.GetCount() != m_pDataSet->GetChannels().GetCount()) {
        RebuildSpectrumWindow();
        return;
    }
    ComputeSpectra(false);
    if (m_wndSpectrum.IsUpdateEnabled()) {
        m_wndSpectrum.Refresh();
    }
}

void CKSTRecordWnd::ClearAll(bool remove)
{
    m_pDataSet = nullptr;
    m_wndMainCurve.RemoveAll(remove);
    m_wndSpectrum.RemoveAll(remove);
    m_wndInfoBar.ClearTexts();
    m_wndVariables.ClearList();
    m_wndStructTree.ClearWindowList();
    m_wndComment.ClearText();
    m_wndProcess.DeleteAllElements();
    // The process pane must not keep a data set the record window let go of.
    m_wndProcess.SetDataSet(nullptr);
}

void CKSTRecordWnd::Close()
{
    ClearAll(true);
    m_wndProcess.Close();
    m_wndMainCurve.ReleaseResources();
    m_wndSpectrum.ReleaseResources();
    DeleteSplitters();
}

void CKSTRecordWnd::SetLanguage(uint16_t language)
{
    const bool wasEnglish = m_language != 0;
    const bool english = language != 0;
    m_wndInfoBar.SetLanguage(language);
    m_wndStructTree.SetLanguage(language);
    m_wndVariables.SetLanguage(language);
    m_wndValueList.SetLanguage(language);
    m_wndComment.SetLanguage(language);
    m_wndMainCurve.SetLanguage(english ? 1 : 0, true);
    m_wndSpectrum.SetLanguage(english ? 1 : 0, true);
    m_wndProcess.SetLanguage(language);
    if (m_wndSpectrum.GetTitleText() == LoadResString(KST_STR_SPECTRA_NOT_COMPUTABLE, wasEnglish)) {
        m_wndSpectrum.SetTitleText(LoadResString(KST_STR_SPECTRA_NOT_COMPUTABLE, english),
                                   kSpectrumTitleColour, true);
    }
    m_language = english ? 1 : 0;
}

bool CKSTRecordWnd::IsModified() const
{
    return m_wndInfoBar.m_bModified || m_wndComment.m_bModified || m_wndVariables.m_bModified ||
           m_wndMainCurve.IsModified();
}

void CKSTRecordWnd::ClearModified()
{
    m_wndInfoBar.m_bModified = false;
    m_wndComment.m_bModified = false;
    m_wndVariables.m_bModified = false;
    m_wndMainCurve.SetModified(false);
    m_wndSpectrum.SetModified(false);
}

void CKSTRecordWnd::SetReadOnly(bool readOnly)
{
    m_bReadOnly = readOnly;
    m_wndInfoBar.m_bReadOnly = readOnly;
    m_wndStructTree.SetLocked(readOnly);
    m_wndComment.SetReadOnly(readOnly);
    m_wndVariables.m_bReadOnly = readOnly;
    for (CKSTCurveWnd* window : {&m_wndMainCurve, &m_wndSpectrum}) {
        if (readOnly) {
            window->Subscribe(CKSTCurveWndCore::kEventDoubleClick, kSettingsMessage, m_hWnd);
        } else {
            window->Unsubscribe(CKSTCurveWndCore::kEventDoubleClick, m_hWnd);
        }
    }
    m_wndMainCurve.SetDialogOptions(MainCurveDialogOptions(readOnly));
}

void CKSTRecordWnd::SetOnline(bool online)
{
    m_wndMainCurve.SetOnline(online);
}

void CKSTRecordWnd::CollectSpectra(CKSTDataSet& dataSet)
{
    for (int i = 0; i < m_spectra.GetCount(); ++i) {
        if (const CKSTChannel* spectrum = m_spectra.GetAt(i)) {
            dataSet.GetChannels().AddCopy(*spectrum);
        }
    }
    CKSTCurveWndSettings settings;
    m_wndSpectrum.GetSettings(settings, false);
    dataSet.SetWindowSettings(settings);
}

void CKSTRecordWnd::MakeProcessOpaque()
{
    if (m_flags.process) {
        m_wndProcess.MakeElementsOpaque();
    }
}

void CKSTRecordWnd::MakeProcessTransparent()
{
    if (m_flags.process) {
        m_wndProcess.MakeElementsTransparent();
    }
}

LRESULT CKSTRecordWnd::OnPaneEdited(WPARAM, LPARAM)
{
    if (!m_pDataSet) {
        return 0;
    }
    // An emptied text replaces an entry that is there; it creates none.
    const CKSTString title = m_wndInfoBar.m_strTitle;
    if (!title.IsEmpty() || m_pDataSet->IsTitleHidden()) {
        m_pDataSet->SetTitle(title);
    }
    const CKSTString comment = m_wndComment.GetText();
    if (!comment.IsEmpty() || m_pDataSet->IsCommentHidden()) {
        m_pDataSet->SetComment(comment, true);
    }
    return 0;
}
