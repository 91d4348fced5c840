#include "app/DocumentCore.h"

#include <algorithm>

#include "data/DocFile.h"
#include "data/MeasurementFile.h"
#include "data/RecordFile.h"
#include "formats/FormatFactory.h"
#include "formats/TextDataFile.h"
#include "formats/WavFile.h"
#include "foundation/DataFile.h"
#include "foundation/DirScanner.h"
#include "foundation/ErrorCodes.h"
#include "foundation/FileReplace.h"
#include "resources/StringIds.h"

namespace {

constexpr char kCreatorEntry[] = "Creator";
constexpr char kCreator[] = "Talvenor - Vizuve 2.49";

bool HasTimeVectors(const CKSTChannelList& channels)
{
    for (int i = 0; i < channels.GetCount(); ++i) {
        if (channels.GetAt(i)->GetTimeBaseType() == CKSTChannel::kTimeVector) {
            return true;
        }
    }
    return false;
}

// Ends the wait cursor however the scope is left.
class WaitScope {
public:
    explicit WaitScope(IKSTDocumentHost& host) : m_host(host) { m_host.BeginWait(); }
    ~WaitScope() { m_host.EndWait(); }
    WaitScope(const WaitScope&) = delete;
    WaitScope& operator=(const WaitScope&) = delete;

private:
    IKSTDocumentHost& m_host;
};

// The folder part of a path, with either separator.
CKSTString FolderOf(const CKSTString& path)
{
    const int slash = std::max(path.ReverseFind('\\'), path.ReverseFind('/'));
    return slash < 0 ? CKSTString() : path.Left(slash);
}

}  // namespace

bool KstTakesCurrentSettings(int result, bool hasWindowSettings, bool recentListEmpty,
                             int32_t settingsUsage)
{
    if (settingsUsage == 2) {
        return false;
    }
    return result == KST_ERR_NO_SETTINGS || !hasWindowSettings ||
           (!recentListEmpty && settingsUsage == 0);
}

const CKSTCurveWndSettings& CKSTUnattendedDocumentHost::CurrentCurveSettings()
{
    static const CKSTCurveWndSettings defaults;
    return defaults;
}

CKSTDocumentCore::CKSTDocumentCore(IKSTDocumentHost& host, IKSTDocumentDisplay* display)
    : m_host(host), m_display(display ? display : &m_noDisplay)
{
    // The document is made at start-up, before any file is opened.
    KstInstallFormats();
}

CKSTDocumentCore::~CKSTDocumentCore() = default;

void CKSTDocumentCore::SetDisplay(IKSTDocumentDisplay* display)
{
    m_display = display ? display : &m_noDisplay;
}

void CKSTDocumentCore::SetPendingWindowSettings(std::unique_ptr<CKSTCurveWndSettings> settings)
{
    m_pendingWindowSettings = std::move(settings);
}

bool CKSTDocumentCore::NewDocument()
{
    if (!m_host.QuerySaveLiveData()) {
        return false;
    }
    m_fileType = 0;
    m_liveDataModified = false;
    m_fileNotWhole = false;
    m_path.Empty();
    ClearLock(true);
    m_dataSet.Clear(false);
    m_display->AttachDataSet(m_dataSet, false);
    m_dataSet.SetWindowSettings(m_host.CurrentCurveSettings());
    return true;
}

int CKSTDocumentCore::OpenFile(const CKSTString& path, const CKSTCurveWndSettings* apply,
                               bool* read)
{
    const OpenOutcome outcome = TryOpen(path, apply);
    if (read) {
        *read = outcome == OpenOutcome::Read;
    }
    return outcome == OpenOutcome::Declined || outcome == OpenOutcome::Unopenable ? 0 : 1;
}

CKSTDocumentCore::OpenOutcome CKSTDocumentCore::TryOpen(const CKSTString& path,
                                                         const CKSTCurveWndSettings* apply)
{
    if (m_display->IsOnline()) {
        if (!m_host.Message(KST_STR_DOC_END_ONLINE, KstMessageKind::YesNo)) {
            return OpenOutcome::Declined;
        }
        m_display->StopLiveStream();
    }
    if (!m_host.QuerySaveLiveData()) {
        return OpenOutcome::Declined;
    }
    // A file that cannot even be opened leaves the document as it was.
    {
        CKSTDataFile probe;
        if (probe.Open(CKSTMeasurementFile::UnquotePath(path), KST_OPEN_READ) != KST_OK) {
            m_host.ShowFileError(KST_ERR_OPEN_FAILED);
            return OpenOutcome::Unopenable;
        }
    }
    return ReadFile(path, apply) == KST_OK ? OpenOutcome::Read : OpenOutcome::ReadFailed;
}

bool CKSTDocumentCore::CanSaveInPlace() const
{
    return !m_fileNotWhole && KstCanSaveInPlace(m_path);
}

void CKSTDocumentCore::OpenFailed()
{
    // Nothing of the unreadable file may be saved over it: the document has no path now.
    m_path.Empty();
    m_host.SetDocumentPath(CKSTString());
    m_display->AttachDataSet(m_dataSet, false);
    m_display->EnableRedraw(true);
}

int CKSTDocumentCore::ReadFile(const CKSTString& path, const CKSTCurveWndSettings* apply)
{
    WaitScope wait(m_host);
    m_display->EnableRedraw(false);
    ClearLock(true);
    m_dataSet.Clear(false);
    // The display lets go of the deleted channels now: an error box below runs a message loop
    // in which the curve window could otherwise paint or hit-test them.
    m_display->AttachDataSet(m_dataSet, false);
    m_display->UpdateStatusBar();

    CKSTMeasurementFile file;
    int result = file.Open(path);
    if (result != KST_OK) {
        if (m_host.ShowFileError(result) == 0) {
            m_host.Message(KST_STR_ERR_GENERAL_LOAD, KstMessageKind::Ok);
        }
        OpenFailed();
        return result;
    }
    result = file.ReadChannels(m_dataSet,
                               m_openSelection.GetCount() > 0 ? &m_openSelection : nullptr,
                               false, &m_host.Settings().textFormat);
    m_fileType = file.GetType();
    static_cast<void>(file.Close());

    if (result == KST_ERR_NEWER_KINDS) {
        m_host.Message(KST_STR_DOC_NEWER_KINDS, KstMessageKind::OkExclamation);
        result = KST_OK;
    }
    // A file cut short keeps what was read before the cut; the user is told below.
    const bool cutShort = result == KST_ERR_END_OF_DATA;
    if (cutShort) {
        result = KST_OK;
    }
    // A file without channel records (a settings file) is a document without data.
    if (result == KST_ERR_BAD_HEADER && m_dataSet.GetChannels().GetCount() == 0) {
        result = KST_OK;
    }
    if (result == KST_OK || result == KST_ERR_NO_SETTINGS) {
        ApplyWindowSettingsRules(result, path, apply);
    }

    m_display->AttachDataSet(m_dataSet, false);
    if (m_dataSet.HasWindowSettings()) {
        m_display->ApplyCurveSettingsByName(m_dataSet.GetWindowSettings());
    }
    if (m_carriedVisibility.GetCount() > 0) {
        m_display->ApplyChannelVisibility(m_carriedVisibility);
    }

    if (result < 0 && result != KST_ERR_NO_SETTINGS) {
        // Every failed read is told, also one the error table has no text for, and none of
        // what was read before the failure stays as if it were the file.
        if (m_host.ShowFileError(result) == 0) {
            m_host.Message(KST_STR_ERR_GENERAL_LOAD, KstMessageKind::Ok);
        }
        m_dataSet.Clear(false);
        OpenFailed();
        return result;
    }
    m_host.ShowFileError(result);
    const bool empty = m_dataSet.GetChannels().GetCount() == 0;
    if (cutShort) {
        m_host.ShowFileError(KST_ERR_END_OF_DATA);
    } else if (empty) {
        m_host.Message(KST_STR_DOC_NO_DATA, KstMessageKind::OkExclamation);
    }
    // Saving this document in place would put less than the file held, or nothing, over it.
    m_fileNotWhole = cutShort || empty;
    const CKSTString password = CKSTDocLock::FindIn(m_dataSet.GetHeader());
    if (!password.IsEmpty()) {
        Lock(password, true);
    }
    CKSTChannelList& channels = m_dataSet.GetChannels();
    for (int i = 0; i < channels.GetCount(); ++i) {
        channels.GetAt(i)->SetDisplayFlags(channels.GetAt(i)->GetStoredDisplayFlags());
    }
    m_display->EnableRedraw(true);
    m_path = CKSTMeasurementFile::UnquotePath(path);
    m_host.SetDocumentPath(m_path);
    m_display->UpdateStatusBar();
    return KST_OK;
}

void CKSTDocumentCore::ApplyWindowSettingsRules(int& result, const CKSTString& path,
                                                const CKSTCurveWndSettings* apply)
{
    if (m_pendingWindowSettings) {
        m_dataSet.SetWindowSettings(*m_pendingWindowSettings);
        m_pendingWindowSettings.reset();
        return;
    }
    if ((m_fileType == KST_FILE_NATIVE && result == KST_ERR_NO_SETTINGS) ||
        !m_dataSet.HasWindowSettings()) {
        result = ReadAccFile(path);
    }
    const KstAppSettings& settings = m_host.Settings();
    if (KstTakesCurrentSettings(result, m_dataSet.HasWindowSettings(),
                                settings.settingsFiles.empty(), settings.settingsUsage)) {
        m_dataSet.SetWindowSettings(m_host.CurrentCurveSettings());
        if (result == KST_ERR_NO_SETTINGS) {
            result = KST_OK;
        }
    }
    if (apply) {
        m_dataSet.SetWindowSettings(*apply);
    }
}

int CKSTDocumentCore::ReadAccFile(const CKSTString& path)
{
    CKSTDirScanner scanner;
    const CKSTString folder = FolderOf(CKSTMeasurementFile::UnquotePath(path));
    int result = scanner.Scan(folder, "*.acc", 0, false, true);
    if (result < 0 || scanner.GetCount() == 0) {
        return result < 0 ? result : KST_OK;
    }
    CKSTDocFile file;
    result = file.OpenRead(scanner.GetEntry(0)->GetPath());
    if (result != KST_OK) {
        return result;
    }
    CKSTCurveWndSettings settings;
    uint8_t newerKinds = 0;
    result = file.ReadCurveWndSettings(settings, &newerKinds);
    static_cast<void>(file.Close());
    if (result < 0) {
        return result;
    }
    m_dataSet.SetWindowSettings(settings);
    return KST_OK;
}

void CKSTDocumentCore::AppendFile(const CKSTString& path, bool ask, bool& selectionOnly,
                                  bool& cancelled)
{
    cancelled = false;
    WaitScope wait(m_host);
    m_display->EnableRedraw(false);

    CKSTMeasurementFile file;
    int result = file.Open(path);
    if (result != KST_OK) {
        m_host.ShowFileError(result);
        m_display->EnableRedraw(true);
        return;
    }
    CKSTDataSet added;
    const bool restricted = m_openSelection.GetCount() > 0 && selectionOnly;
    result = file.ReadChannels(added, restricted ? &m_openSelection : nullptr, false,
                               &m_host.Settings().textFormat);
    static_cast<void>(file.Close());
    const bool cutShort = result == KST_ERR_END_OF_DATA;
    if (result == KST_ERR_NO_SETTINGS || result == KST_ERR_NEWER_KINDS || cutShort ||
        (result == KST_ERR_BAD_HEADER && added.GetChannels().GetCount() == 0)) {
        result = KST_OK;
    }
    if (cutShort) {
        m_host.ShowFileError(KST_ERR_END_OF_DATA);
    }
    if (result < 0) {
        if (m_host.ShowFileError(result) == 0) {
            m_host.Message(KST_STR_ERR_GENERAL_LOAD, KstMessageKind::Ok);
        }
        m_display->EnableRedraw(true);
        return;
    }
    if (m_dataSet.GetChannels().GetCount() == 0) {
        m_host.Message(KST_STR_DOC_NO_DATA, KstMessageKind::Ok);
    }

    if (m_dataSet.HasCommonChannelNames(added)) {
        if (ask) {
            int method = m_appendMethod;
            bool keepSelection = true;
            const int answer =
                m_host.RunAppendDialog(m_openSelection.GetCount() > 0, method, keepSelection);
            if (answer != KST_APPEND_CREATE_NEW && answer != KST_APPEND_TO_EXISTING) {
                cancelled = true;
                m_display->EnableRedraw(true);
                return;
            }
            selectionOnly = keepSelection;
            m_appendMethod = method != 0 ? 1 : 0;
            m_appendMode = answer;
            if (m_openSelection.GetCount() > 0 && selectionOnly) {
                m_openSelection.DeleteAll();
            }
        }
        if (m_appendMode == KST_APPEND_TO_EXISTING) {
            // Takes the appended channels out of `added`, so the merge below adds the rest.
            m_dataSet.AppendDataSet(added, m_appendMethod == 1);
        } else {
            m_dataSet.RenameClashingChannels(added);
        }
    }

    CKSTCurveWndSettings shown;
    if (m_display->GetMainCurveSettings(shown)) {
        m_dataSet.SetWindowSettings(shown);
    }
    m_dataSet.MergeChannels(added, m_appendMethod == 1);
    m_display->AttachDataSet(m_dataSet, false);
    m_display->EnableRedraw(true);
    m_display->UpdateStatusBar();
    m_liveDataModified = true;
}

void CKSTDocumentCore::OpenDroppedFiles(const std::vector<CKSTString>& paths)
{
    if (paths.empty() || OpenFile(paths[0], nullptr) == 0) {
        return;
    }
    bool selectionOnly = false;
    for (size_t i = 1; i < paths.size(); ++i) {
        bool cancelled = false;
        AppendFile(paths[i], i == 1, selectionOnly, cancelled);
        if (cancelled) {
            return;
        }
    }
}

bool CKSTDocumentCore::BuildFolderList(const CKSTString& path)
{
    if (path.IsEmpty()) {
        return false;
    }
    const CKSTString file = CKSTMeasurementFile::UnquotePath(path);
    CKSTDirScanner scanner;
    scanner.Scan(FolderOf(file), "*", 0, false, true);
    const KstAppSettings& settings = m_host.Settings();
    std::vector<CKSTString> kept;
    for (int i = 0; i < scanner.GetCount(); ++i) {
        const CKSTFileEntry* entry = scanner.GetEntry(i);
        const CKSTString name = entry->GetName();
        const int dot = name.ReverseFind('.');
        if (dot < 0) {
            continue;
        }
        CKSTString extension = name.Mid(dot + 1);
        extension.MakeLower();
        if (KstIsFolderFileType(extension, settings.associations, kKstAssociationCount)) {
            kept.push_back(entry->GetPath());
        }
    }
    std::sort(kept.begin(), kept.end());
    m_folderPaths = kept;
    m_folderIndex = 0;
    // Compared without regard to case (and to the separator a caller wrote).
    auto comparable = [](CKSTString text) {
        text.MakeLower();
        text.Replace('/', '\\');
        return text;
    };
    const CKSTString wanted = comparable(file);
    for (size_t i = 0; i < m_folderPaths.size(); ++i) {
        if (comparable(m_folderPaths[i]) == wanted) {
            m_folderIndex = static_cast<int>(i);
            return true;
        }
    }
    return false;
}

void CKSTDocumentCore::StepFolder(int direction)
{
    const int count = static_cast<int>(m_folderPaths.size());
    if (m_path.IsEmpty() || count < 2) {
        return;
    }
    m_carriedVisibility.DeleteAll();
    m_display->GetSelectedChannels(m_carriedVisibility);
    // The file the document shows: where the index stays when the step ends without a file.
    int shown = m_folderIndex;
    int at = m_folderIndex;
    // One pass at most, so a folder of unreadable files ends; files that cannot be opened or
    // read are passed over, and keeping the live data or the online session ends the step.
    for (int tried = 0; tried < count; ++tried) {
        int next = at + direction;
        if (next < 0 || next >= count) {
            const int question = next < 0 ? KST_STR_DOC_FIRST_FILE : KST_STR_DOC_LAST_FILE;
            if (!m_host.Message(question, KstMessageKind::YesNo)) {
                break;
            }
            next = next < 0 ? count - 1 : 0;
        }
        at = next;
        const OpenOutcome outcome = TryOpen(m_folderPaths[static_cast<size_t>(at)], nullptr);
        if (outcome == OpenOutcome::Declined) {
            break;
        }
        if (outcome == OpenOutcome::Unopenable) {
            continue;
        }
        shown = at;
        if (outcome == OpenOutcome::Read) {
            m_carriedVisibility.DeleteAll();
            break;
        }
    }
    m_folderIndex = shown;
}

// ---- Saving ---------------------------------------------------------------------------------

KstSaveResult CKSTDocumentCore::SaveFile(const CKSTString& path, int32_t fileType)
{
    m_lock.StoreIn(m_dataSet.GetHeader());
    CKSTChannelList& channels = m_dataSet.GetChannels();
    channels.FinishAll();

    const KstSaveTarget target = KstChooseSaveTarget(path, fileType);
    if (target.check == KstSaveCheck::CommonTimeBaseXDelta && !channels.HasCommonTimeBase()) {
        m_host.Message(KST_STR_DOC_COMMON_X_ONLY, KstMessageKind::Ok);
        return KstSaveResult::Abandoned;
    }
    if ((target.check == KstSaveCheck::XDelta ||
         target.check == KstSaveCheck::CommonTimeBaseXDelta) &&
        HasTimeVectors(channels) && !m_host.Message(KST_STR_DOC_ASK_XDELTA, KstMessageKind::YesNo)) {
        return KstSaveResult::Abandoned;
    }
    if (target.check == KstSaveCheck::WavRules && !CKSTWavFile::CanExport(channels) &&
        !m_host.Message(KST_STR_DOC_ASK_WAV_RULES, KstMessageKind::YesNo)) {
        return KstSaveResult::Abandoned;
    }

    if (WriteReplacing(target, path) < 0) {
        m_host.Message(KST_STR_DOC_SAVE_FAILED, KstMessageKind::OkExclamation);
        return KstSaveResult::Failed;
    }
    m_path = path;
    m_host.SetDocumentPath(path);
    m_liveDataModified = false;
    m_fileNotWhole = false;
    return KstSaveResult::Saved;
}

bool CKSTDocumentCore::SaveDisplayedData(const CKSTString& path)
{
    if (m_dataSet.GetChannels().GetCount() == 0) {
        m_host.Message(KST_STR_DOC_NOTHING_TO_SAVE, KstMessageKind::OkExclamation);
        return true;
    }
    m_lock.StoreIn(m_dataSet.GetHeader());
    const KstSaveTarget native{KstSaveWriter::Native, KstSaveCheck::None, KST_FILE_NATIVE};
    if (WriteReplacing(native, path) < 0) {
        m_host.Message(KST_STR_DOC_SAVE_FAILED, KstMessageKind::OkExclamation);
    }
    return true;
}

int CKSTDocumentCore::WriteReplacing(const KstSaveTarget& target, const CKSTString& path)
{
    WaitScope wait(m_host);
    return KstSaveReplacing(
        path, [&](const CKSTString& temporary) { return WriteTarget(target, temporary); });
}

int CKSTDocumentCore::WriteTarget(const KstSaveTarget& target, const CKSTString& path)
{
    const CKSTChannelList& channels = m_dataSet.GetChannels();
    switch (target.writer) {
        case KstSaveWriter::Picture:
            return m_display->SavePicture(path, target.fileType);
        case KstSaveWriter::Text: {
            CKSTTextDataFile file;
            int result = file.OpenWrite(path);
            if (result < 0) {
                return result;
            }
            result = file.WriteByFormat(m_dataSet, m_host.Settings().textFormat,
                                        m_display->GetXYChannel());
            const int closed = file.Close();
            return result < 0 ? result : closed;
        }
        case KstSaveWriter::Wav:
            if (!CKSTWavFile::CanExport(channels)) {
                CKSTChannelList fitted;
                CKSTWavFile::ToPcm(channels, fitted);
                CKSTMeasurementFile file;
                int result = file.OpenWrite(path, KST_FILE_WAV);
                if (result < 0) {
                    return result;
                }
                result = file.Write(fitted);
                const int closed = file.Close();
                return result < 0 ? result : closed;
            }
            break;
        case KstSaveWriter::Native: {
            m_dataSet.GetHeader().SetString(kCreatorEntry, kCreator);
            CKSTCurveWndSettings shown;
            if (m_display->GetMainCurveSettings(shown)) {
                m_dataSet.SetWindowSettings(shown);
            }
            break;
        }
        default:
            break;
    }
    CKSTMeasurementFile file;
    int result = file.OpenWrite(path, target.fileType);
    if (result < 0) {
        return result;
    }
    result = file.WriteDataSet(m_dataSet);
    const int closed = file.Close();
    return result < 0 ? result : closed;
}

// ---- The lock -------------------------------------------------------------------------------

void CKSTDocumentCore::Lock(const CKSTString& password, bool notify)
{
    m_lock.Lock(password);
    SetLocked(true, notify);
}

void CKSTDocumentCore::ClearLock(bool notify)
{
    m_lock.Clear();
    SetLocked(false, notify);
}

void CKSTDocumentCore::SetLocked(bool locked, bool notify)
{
    m_lock.SetLocked(locked);
    if (notify) {
        m_display->SetLocked(locked);
    }
    m_display->UpdateStatusBar();
}

// ---- Editing --------------------------------------------------------------------------------

KstXAxisState CKSTDocumentCore::GetCutPreset(bool& hint)
{
    hint = false;
    KstXAxisState state;
    if (!m_display->GetXAxisState(state)) {
        // Without a curve window the range of the data stands for the visible range.
        const CKSTChannelList& channels = m_dataSet.GetChannels();
        state.origin = m_dataSet.GetEarliestStartTimeStamp();
        state.visibleMin = channels.GetCount() > 0 ? channels.GetStartTime() : 0.0;
        state.visibleMax = channels.GetCount() > 0 ? channels.GetEndTime() : 0.0;
        state.timeMode = 1;
    }
    if (!state.differentialMeasure) {
        hint = true;
        state.leftCursor = state.visibleMin;
        state.rightCursor = state.visibleMax;
        state.leftText = KstFormatCutBound(state.visibleMin);
        state.rightText = KstFormatCutBound(state.visibleMax);
    }
    return state;
}

bool CKSTDocumentCore::Cut(const KstCutRequest& request)
{
    CKSTChannelList& channels = m_dataSet.GetChannels();
    if (request.mode == 1) {
        double start = 0.0;
        double end = 0.0;
        if (!KstParseCutBound(request.startText, request.german, start) ||
            !KstParseCutBound(request.endText, request.german, end) || end <= start) {
            return false;
        }
        for (int i = 0; i < channels.GetCount(); ++i) {
            CKSTChannel& channel = *channels.GetAt(i);
            if (channel.GetCount() == 0) {
                continue;
            }
            const double offset = channel.CutTimeRange(start, end);
            m_display->CutCurveEvents(channel, start, end, -offset);
        }
    } else if (request.mode == 2 || request.mode == 3) {
        if (request.start == request.end) {
            return false;
        }
        for (int i = 0; i < channels.GetCount(); ++i) {
            CKSTChannel& channel = *channels.GetAt(i);
            if (channel.GetCount() == 0) {
                continue;
            }
            const double start = channel.GetSecondsFromStart(request.start);
            const double end = channel.GetSecondsFromStart(request.end);
            channel.CutTimeRange(start, end);
            m_display->CutCurveEvents(channel, start, end, -start);
        }
    }
    channels.FinishAll();
    m_display->UpdatePanes();
    m_liveDataModified = true;
    return true;
}

bool CKSTDocumentCore::EditXAxis(const CKSTTimeStamp& start, const CKSTString& unit)
{
    CKSTChannelList& channels = m_dataSet.GetChannels();
    if (channels.GetCount() == 0) {
        return false;
    }
    const CKSTTimeStamp earliest = channels.GetEarliestStartTimeStamp();
    for (int i = 0; i < channels.GetCount(); ++i) {
        CKSTChannel& channel = *channels.GetAt(i);
        const double distance = (channel.GetStartTimeStamp() - earliest).GetSeconds();
        channel.SetTimeUnit(unit);
        channel.SetStartTimeStamp(start + distance);
    }
    m_display->UpdatePanes();
    m_liveDataModified = true;
    return true;
}
