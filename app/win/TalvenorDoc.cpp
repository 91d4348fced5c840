#include "app/win/TalvenorDoc.h"

#include <algorithm>
#include <utility>

#include "app/win/AppOptions.h"
#include "app/win/MessageSink.h"
#include "data/MeasurementFile.h"
#include "foundation/DataFile.h"
#include "foundation/ErrorCodes.h"
#include "foundation/win/StringLoader.h"
#include "framework/App.h"
#include "framework/CommonDialogs.h"
#include "framework/DocTemplate.h"
#include "panels/ChannelSelection.h"
#include "panels/win/ChannelSelectDlg.h"
#include "panels/win/CutCursorDlg.h"
#include "panels/win/FileLockDlg.h"
#include "panels/win/SmallDialogs.h"
#include "resources/ResourceIds.h"
#include "resources/StringIds.h"

namespace {

CKSTString FolderOf(const CKSTString& path)
{
    const int slash = path.ReverseFind('\\');
    return slash < 0 ? CKSTString() : path.Left(slash);
}

}  // namespace

BEGIN_MESSAGE_MAP(CTalvenorDoc, CDocument)
ON_COMMAND(ID_FILE_NEW_DOCUMENT, OnFileNew)
ON_COMMAND(ID_FILE_OPEN, OnFileOpen)
ON_COMMAND(ID_FILE_OPEN_SELECTIVE, OnFileOpenSelective)
ON_COMMAND(ID_FILE_APPEND, OnFileAppend)
ON_COMMAND(ID_FILE_SAVE, OnFileSave)
ON_COMMAND(ID_FILE_SAVE_AS, OnFileSaveAs)
ON_COMMAND(ID_FILE_MRU_FILE1, OnFileMruFile1)
ON_COMMAND(ID_FILE_LOCK, OnLockFile)
ON_COMMAND(ID_FILE_UNLOCK, OnUnlockFile)
ON_COMMAND(ID_FILE_REMOVE_LOCK, OnRemoveLock)
ON_COMMAND(ID_EDIT_CUT_CURSORS, OnCutBetweenCursors)
ON_COMMAND(ID_EDIT_X_AXIS, OnEditXAxis)
END_MESSAGE_MAP()

CTalvenorDoc::CTalvenorDoc(CKSTAppOptions& options, IKSTMessageSink& messages)
    : m_options(options), m_messages(messages), m_core(*this)
{
    m_core.GetDataSet().SetWindowSettings(options.StartSettings());
}

CTalvenorDoc::~CTalvenorDoc() = default;

// ---- The framework's steps -------------------------------------------------------------------

BOOL CTalvenorDoc::OnNewDocument()
{
    return m_core.NewDocument() && CDocument::OnNewDocument();
}

BOOL CTalvenorDoc::OnOpenDocument(const char* pathName)
{
    m_core.GetOpenSelection().DeleteAll();
    m_core.BuildFolderList(pathName);
    return OpenFile(pathName) != 0;
}

int CTalvenorDoc::OpenFile(const CKSTString& path, const CKSTCurveWndSettings* apply)
{
    return m_core.OpenFile(path, apply);
}

int CTalvenorDoc::OpenSelected(const CKSTString& path)
{
    m_core.BuildFolderList(path);
    return OpenFile(path);
}

bool CTalvenorDoc::Reload()
{
    if (GetCurrentPath().IsEmpty()) {
        return false;
    }
    const CKSTString path = GetCurrentPath();
    return OpenFile(path) != 0;
}

int CTalvenorDoc::ReadChannelList(const CKSTString& path, CKSTChannelList& list)
{
    CKSTMeasurementFile file;
    int result = file.Open(path);
    if (result == KST_OK) {
        // The same settings as the open that the selection is made for.
        result = file.ReadChannelList(list, &Settings().textFormat);
        static_cast<void>(file.Close());
    }
    return result;
}

BOOL CTalvenorDoc::OnSaveDocument(const char* pathName)
{
    return SaveFile(pathName, 0) ? TRUE : FALSE;
}

// ---- Opening ---------------------------------------------------------------------------------

CKSTString CTalvenorDoc::ChooseFileToOpen()
{
    const CKSTString filter = KstOpenFilter(IsEnglish());
    const CKSTString title = LoadResString(KST_STR_OPEN_TITLE, IsEnglish());
    CFileDialog dialog(TRUE, "qld", nullptr, OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST, filter.c_str(),
                       AfxGetMainWnd());
    dialog.m_ofn.lpstrTitle = title.c_str();
    const CKSTString folder = Settings().lastLoadDir;
    if (!folder.IsEmpty()) {
        dialog.m_ofn.lpstrInitialDir = folder.c_str();
    }
    if (dialog.DoModal() != IDOK) {
        return CKSTString();
    }
    // The last load folder follows the choice.
    const CKSTString path = dialog.GetPathName();
    Settings().lastLoadDir = FolderOf(path);
    return path;
}

void CTalvenorDoc::OnFileOpen()
{
    const CKSTString path = ChooseFileToOpen();
    if (!path.IsEmpty()) {
        AfxGetApp()->OpenDocumentFile(path.c_str());
    }
}

// Open Selective: the file's channels are offered in the channel selection, and only those
// ticked are read.
void CTalvenorDoc::OnFileOpenSelective()
{
    const CKSTString path = ChooseFileToOpen();
    if (path.IsEmpty()) {
        return;
    }
    CKSTChannelList channels;
    const int read = ReadChannelList(path, channels);
    if (read < 0) {
        m_messages.ShowFileError(read);
        return;
    }
    channels.SelectAll(true);
    CKSTChannelSelectDlg dialog(AfxGetMainWnd());
    dialog.SetLanguage(IsEnglish() ? 1 : 0);
    dialog.SetChannelList(&channels);
    dialog.SetUseRegistry(m_options.UsesRegistry());
    dialog.SetRegistryKey(m_options.RegistryKey(kKstSelectionsKey));
    if (dialog.DoModal() != IDOK) {
        return;
    }
    bool any = false;
    for (int i = 0; i < channels.GetCount(); ++i) {
        any = any || channels.GetAt(i)->IsSelected();
    }
    // An empty open selection means every channel: a selection of none must not open them all.
    if (channels.GetCount() > 0 && !any) {
        m_messages.MessageBoxId(KST_STR_SELECT_NONE, MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    // The reader takes each channel of the file whose name and group are listed here as
    // selected.
    m_core.GetOpenSelection().CopyDeep(channels);
    OpenSelected(path);
}

// ---- Appending -------------------------------------------------------------------------------

void CTalvenorDoc::AppendFiles(const CKSTString& path, bool ask, bool& selectionOnly,
                               bool& cancelled)
{
    m_core.AppendFile(path, ask, selectionOnly, cancelled);
}

void CTalvenorDoc::AppendFiles(const std::vector<CKSTString>& paths, bool& stop)
{
    stop = false;
    bool selectionOnly = false;
    // The first file that shares channel names asks; the others follow its answer.
    for (size_t i = 0; i < paths.size() && !stop; ++i) {
        m_core.AppendFile(paths[i], i == 0, selectionOnly, stop);
    }
}

void CTalvenorDoc::OpenDroppedFiles(HDROP drop)
{
    std::vector<CKSTString> paths;
    const UINT count = DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        char path[MAX_PATH];
        // A name that does not fit is left out rather than opened cut short.
        const UINT length = DragQueryFileA(drop, i, path, MAX_PATH);
        if (length > 0 && length < MAX_PATH) {
            paths.emplace_back(path);
        }
    }
    DragFinish(drop);
    if (paths.empty()) {
        return;
    }
    if (!AfxGetApp()->OpenDocumentFile(paths[0].c_str())) {
        // The user kept the online session or the data: nothing goes into the live data.
        return;
    }
    bool selectionOnly = false;
    for (size_t i = 1; i < paths.size(); ++i) {
        bool cancelled = false;
        m_core.AppendFile(paths[i], i == 1, selectionOnly, cancelled);
        if (cancelled) {
            return;
        }
    }
}

// ---- Saving ----------------------------------------------------------------------------------

bool CTalvenorDoc::SaveFile(const CKSTString& path, int32_t fileType)
{
    if (CWnd* main = AfxGetMainWnd()) {
        ::SetFocus(main->m_hWnd);
    }
    return m_core.SaveFile(path, fileType) == KstSaveResult::Saved;
}

bool CTalvenorDoc::QuerySaveLiveData()
{
    if (!IsLiveDataModified()) {
        return true;
    }
    // Only data of the sources that can be saved as a document are asked about.
    const int32_t sourceKind = m_core.Display().GetSourceKind();
    if (sourceKind < 0 || sourceKind > 2) {
        SetLiveDataModified(false);
        return true;
    }
    if (m_messages.MessageBoxId(KST_STR_ASK_SAVE_CHANGES, MB_YESNO) == IDYES && !OnFileSave()) {
        // The mark stays with the data it protects, and the caller's action is cancelled.
        return false;
    }
    SetLiveDataModified(false);
    return true;
}

// ---- Commands --------------------------------------------------------------------------------

void CTalvenorDoc::OnFileNew()
{
    OnNewDocument();
}

void CTalvenorDoc::OnFileAppend()
{
    const CKSTString filter = KstAppendFilter(IsEnglish());
    const CKSTString title = LoadResString(KST_STR_OPEN_TITLE, IsEnglish());
    CFileDialog dialog(TRUE, "qld", nullptr,
                       OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST | OFN_ALLOWMULTISELECT, filter.c_str(),
                       AfxGetMainWnd());
    dialog.m_ofn.lpstrTitle = title.c_str();
    const CKSTString folder = Settings().lastLoadDir;
    if (!folder.IsEmpty()) {
        dialog.m_ofn.lpstrInitialDir = folder.c_str();
    }
    if (dialog.DoModal() != IDOK) {
        if (dialog.GetExtendedError() == FNERR_BUFFERTOOSMALL) {
            m_messages.MessageBoxId(KST_STR_TOO_MANY_FILES, MB_OK);
        }
        return;
    }
    std::vector<CKSTString> paths = dialog.GetPathNames();
    std::sort(paths.begin(), paths.end());
    bool stop = false;
    AppendFiles(paths, stop);
}

bool CTalvenorDoc::OnFileSave()
{
    if (m_core.CanSaveInPlace()) {
        const CKSTString path = GetCurrentPath();
        return SaveFile(path, 0);
    }
    return OnFileSaveAs();
}

bool CTalvenorDoc::OnFileSaveAs()
{
    const KstSaveAsPreset preset = KstSaveAsPresetFor(GetCurrentPath());
    const CKSTString filter = KstSaveAsFilter();
    const CKSTString title = LoadResString(KST_STR_SAVE_AS_TITLE, IsEnglish());
    // A new file must be possible: only its folder has to exist.
    CFileDialog dialog(FALSE, preset.defaultExt.c_str(), preset.initialName.c_str(),
                       OFN_PATHMUSTEXIST, filter.c_str(), AfxGetMainWnd());
    dialog.m_ofn.lpstrTitle = title.c_str();
    dialog.m_ofn.nFilterIndex = static_cast<DWORD>(preset.filterIndex);
    if (dialog.DoModal() != IDOK) {
        return false;
    }
    const CKSTString path = dialog.GetPathName();
    if (FileExistsNotFolder(path) &&
        m_messages.MessageBoxId(KST_STR_ASK_OVERWRITE, MB_YESNO) != IDYES) {
        return false;
    }
    return SaveFile(path, KstSaveAsFileType(static_cast<int>(dialog.m_ofn.nFilterIndex)));
}

void CTalvenorDoc::OnFileMruFile1()
{
    CWinApp* app = AfxGetApp();
    const CRecentFileList* recent = app->GetRecentFileList();
    if (!GetCurrentPath().IsEmpty()) {
        const CKSTString path = GetCurrentPath();
        app->OpenDocumentFile(path.c_str());
    } else if (recent && recent->GetCount() > 0) {
        const CKSTString path = (*recent)[0];
        app->OpenDocumentFile(path.c_str());
    }
}

void CTalvenorDoc::OnLockFile()
{
    if (!m_core.GetLock().CanLock()) {
        m_messages.MessageBoxId(KST_STR_LOCK_EXISTS, MB_OK);
        return;
    }
    CKSTFileLockDlg dialog(IsEnglish(), AfxGetMainWnd());
    for (;;) {
        if (dialog.DoModal() != IDOK) {
            return;
        }
        if (dialog.m_strPassword.GetLength() >= kKstMinPasswordLength) {
            break;
        }
        m_messages.MessageBoxId(KST_STR_LOCK_TOO_SHORT, MB_OK);
    }
    // The password goes with the file; the open document stays editable until it is reopened.
    m_core.Lock(dialog.m_strPassword, true);
    m_core.SetLocked(false, true);
    SetLiveDataModified(true);
    m_messages.MessageBoxId(KST_STR_LOCK_DONE, MB_OK);
}

bool CTalvenorDoc::AskPassword(int captionId)
{
    CKSTUnlockFileDlg dialog(IsEnglish(), AfxGetMainWnd());
    dialog.m_strCaption = LoadResString(captionId, IsEnglish());
    for (;;) {
        if (dialog.DoModal() != IDOK) {
            return false;
        }
        if (m_core.GetLock().Matches(dialog.m_strPassword)) {
            return true;
        }
        m_messages.MessageBoxId(KST_STR_LOCK_WRONG_PASSWORD, MB_OK);
    }
}

void CTalvenorDoc::OnUnlockFile()
{
    if (!m_core.GetLock().IsLocked()) {
        m_messages.MessageBoxId(KST_STR_LOCK_NOT_ACTIVE, MB_OK);
        return;
    }
    if (AskPassword(KST_STR_LOCK_UNLOCK_CAPTION)) {
        m_core.Unlock(true);
        m_messages.MessageBoxId(KST_STR_LOCK_UNLOCKED, MB_OK);
    }
}

void CTalvenorDoc::OnRemoveLock()
{
    if (!m_core.GetLock().HasPassword()) {
        m_messages.MessageBoxId(KST_STR_LOCK_NONE, MB_OK);
        return;
    }
    if (AskPassword(KST_STR_LOCK_REMOVE_CAPTION)) {
        SetLiveDataModified(true);
        m_core.ClearLock(true);
        m_messages.MessageBoxId(KST_STR_LOCK_REMOVED, MB_OK);
    }
}

void CTalvenorDoc::OnCutBetweenCursors()
{
    bool hint = false;
    const KstXAxisState axis = m_core.GetCutPreset(hint);
    if (hint) {
        m_messages.MessageBoxId(KST_STR_CUT_CURSOR_HINT, MB_OK);
    }
    CKSTCutCursorDlg dialog(IsEnglish(), AfxGetMainWnd());
    dialog.m_nXAxisMode = static_cast<uint8_t>(axis.timeMode);
    dialog.m_dStartOffset = axis.leftCursor;
    dialog.m_dEndOffset = axis.rightCursor;
    dialog.m_baseTime = axis.origin;
    dialog.m_startDate = dialog.m_startTime = axis.origin + axis.leftCursor;
    dialog.m_endDate = dialog.m_endTime = axis.origin + axis.rightCursor;
    dialog.m_strStartX =
        axis.differentialMeasure ? axis.leftText : KstFormatCutBound(axis.leftCursor);
    dialog.m_strEndX =
        axis.differentialMeasure ? axis.rightText : KstFormatCutBound(axis.rightCursor);
    dialog.m_strUnit = axis.unit;
    if (dialog.DoModal() != IDOK) {
        return;
    }
    KstCutRequest request;
    request.mode = dialog.m_nResultMode != 0 ? dialog.m_nResultMode : axis.timeMode;
    request.startText = dialog.m_strStartX;
    request.endText = dialog.m_strEndX;
    request.start = dialog.m_startDate;
    request.end = dialog.m_endDate;
    request.german = !IsEnglish();
    m_core.Cut(request);
}

void CTalvenorDoc::OnEditXAxis()
{
    if (GetDataSet().GetChannels().GetCount() == 0) {
        return;
    }
    KstXAxisState axis;
    if (!m_core.Display().GetXAxisState(axis)) {
        axis.unit = GetDataSet().GetChannels().GetTimeUnit();
    }
    CKSTEditXAxisDlg dialog(IsEnglish(), AfxGetMainWnd());
    const CKSTTimeStamp earliest = GetDataSet().GetChannels().GetEarliestStartTimeStamp();
    dialog.m_date = earliest;
    dialog.m_time = earliest;
    dialog.m_strUnit = axis.unit;
    if (dialog.DoModal() == IDOK) {
        m_core.EditXAxis(dialog.m_startTime, dialog.m_strUnit);
    }
}

// ---- The host of the document's core ----------------------------------------------------------

bool CTalvenorDoc::IsEnglish() const
{
    return m_messages.IsEnglish();
}

bool CTalvenorDoc::Message(int stringId, KstMessageKind box)
{
    switch (box) {
        case KstMessageKind::YesNo:
            return m_messages.MessageBoxId(stringId, MB_YESNO) == IDYES;
        case KstMessageKind::OkExclamation:
            m_messages.MessageBoxId(stringId, MB_OK | MB_ICONEXCLAMATION);
            return true;
        default:
            m_messages.MessageBoxId(stringId, MB_OK);
            return true;
    }
}

int CTalvenorDoc::ShowFileError(int code)
{
    return m_messages.ShowFileError(code);
}

int CTalvenorDoc::RunAppendDialog(bool showSelection, int& method, bool& keepSelection)
{
    CKSTAppendFileDlg dialog(IsEnglish(), AfxGetMainWnd());
    dialog.m_bShowSelection = showSelection;
    const int answer = static_cast<int>(dialog.DoModal());
    method = dialog.m_nMethod;
    keepSelection = dialog.m_bKeepSelection != 0;
    return answer;
}

KstAppSettings& CTalvenorDoc::Settings()
{
    return m_options.Settings();
}

const CKSTCurveWndSettings& CTalvenorDoc::CurrentCurveSettings()
{
    return m_options.StartSettings();
}

void CTalvenorDoc::SetDocumentPath(const CKSTString& path)
{
    if (path.IsEmpty()) {
        m_strPathName.Empty();
        if (CDocTemplate* documentTemplate = GetDocTemplate()) {
            documentTemplate->SetDefaultTitle(this);
        }
        return;
    }
    CDocument::SetPathName(path.c_str(), TRUE);
}

void CTalvenorDoc::BeginWait()
{
    if (CWinApp* app = AfxGetApp()) {
        app->BeginWaitCursor();
    }
}

void CTalvenorDoc::EndWait()
{
    if (CWinApp* app = AfxGetApp()) {
        app->EndWaitCursor();
    }
}
