// The main view's side of the online connection: the device clients behind the connection's
// source interface, the timer on the view's window, the displays and the questions.
#include "acquisition/win/NodeClient.h"
#include "app/CommandLine.h"
#include "app/win/TalvenorApp.h"
#include "app/win/TalvenorDoc.h"
#include "app/win/TalvenorView.h"
#include "foundation/ErrorCodes.h"
#include "resources/StringIds.h"

namespace {

constexpr double kConnectTimeoutSeconds = 10.0;

// An acquisition node through the connection's source interface.
class CKSTNodeSource : public CKSTOnlineSource {
public:
    bool IsOpen() override { return m_client.m_connected; }
    int GetLastError() override { return m_client.m_lastPollError; }
    bool IsBlockReady() override { return m_client.m_dataReady == 1; }
    void SetPause(bool pause) override { m_client.m_pause = pause ? 1 : 0; }
    int GetChannelCount() override { return m_client.GetChannelCount(); }
    int GetChannelInfo(int index, CKSTChannel& channel) override
    {
        return m_client.GetChannelInfo(index, channel);
    }
    int GetChannelData(int index, CKSTChannel& target, CKSTChannel* recording) override
    {
        CKSTTimeStamp pollTime;
        return m_client.GetChannelData(index, pollTime, target, recording);
    }
    void RequestNext() override
    {
        m_client.m_dataReady = 0;
        m_client.m_readRequest = 1;
    }
    double GetThroughput() override { return m_client.GetThroughput(); }

    CKSTNodeClient& Client() { return m_client; }

private:
    CKSTNodeClient m_client;
};

int OpenNode(const CKSTString& address, const CKSTOnlineArgs& args, bool selectChannels,
             int language, std::vector<std::unique_ptr<CKSTOnlineSource>>& sources)
{
    auto source = std::make_unique<CKSTNodeSource>();
    CKSTNodeClient& client = source->Client();
    client.m_language = language;
    int result = client.Connect(address, args.port, kConnectTimeoutSeconds);
    if (result != KST_OK) {
        return result;
    }
    result = client.SetupFifos(args.pollInterval, args.triggered, args.backTimeMode,
                               static_cast<int32_t>(args.bufferIndex), args.backTime, false,
                               selectChannels);
    if (result != KST_OK) {
        client.Disconnect();
        return result;
    }
    sources.push_back(std::move(source));
    return KST_OK;
}

}  // namespace

void CTalvenorView::StartLiveStream()
{
    if (m_bOnline) {
        return;
    }
    // The sources are chosen in the controller dialog, which this version lacks; the command
    // line connects them.
    if (CTalvenorApp* app = KstTheApp()) {
        app->MessageBoxId(KST_STR_FUNCTION_NOT_AVAILABLE, MB_OK | MB_ICONINFORMATION);
    }
}

void CTalvenorView::StartLiveOscilloscope()
{
    if (m_bOnline) {
        return;
    }
    // The same for the trigger dialog.
    if (CTalvenorApp* app = KstTheApp()) {
        app->MessageBoxId(KST_STR_FUNCTION_NOT_AVAILABLE, MB_OK | MB_ICONINFORMATION);
    }
}

void CTalvenorView::OnStopLiveStream()
{
    CKSTOnlineControl::StopLiveStream();
}

void CTalvenorView::OnTimer(UINT_PTR id)
{
    if (id == kKstOnlineTimerId) {
        OnOnlineTimer();
    }
}

// ---- CKSTOnlineHost -----------------------------------------------------------------------------

CKSTDataSet* CTalvenorView::GetOnlineData()
{
    CTalvenorDoc* document = dynamic_cast<CTalvenorDoc*>(m_pDocument);
    return document ? &document->GetDataSet() : nullptr;
}

void CTalvenorView::NewDocument()
{
    if (CTalvenorDoc* document = dynamic_cast<CTalvenorDoc*>(m_pDocument)) {
        document->OnNewDocument();
    }
}

int CTalvenorView::OpenSources(int32_t& sourceKind, const CKSTOnlineArgs& args,
                               bool selectChannels,
                               std::vector<std::unique_ptr<CKSTOnlineSource>>& sources)
{
    CTalvenorApp* app = KstTheApp();
    const int language = app && app->IsEnglish() ? 1 : 0;
    if (sourceKind == KST_SOURCE_NODE) {
        return OpenNode(args.address, args, selectChannels, language, sources);
    }
    // Controllers, the serial bus master and the pipe come with their clients.
    if (app) {
        app->MessageBoxId(KST_STR_ONL_SOURCE_NOT_AVAILABLE, MB_OK | MB_ICONINFORMATION);
    }
    return KST_ERR_SELECTION_CANCELLED;
}

void CTalvenorView::ArmOnlineTimer(uint32_t periodMs)
{
    if (m_hWnd) {
        SetTimer(kKstOnlineTimerId, periodMs);
    }
}

void CTalvenorView::KillOnlineTimer()
{
    if (m_hWnd) {
        KillTimer(kKstOnlineTimerId);
    }
}

bool CTalvenorView::IsViewingOlderData()
{
    const CKSTCurveWnd& curves = GetMainCurveWnd();
    const CKSTXAxis& axis = curves.GetXAxis();
    // A window of fixed span that no longer reaches the newest data was scrolled back.
    return curves.IsZoomed() || (curves.IsOnline() && axis.IsRangeWindow() && !axis.NeedsScroll());
}

void CTalvenorView::ShowOnlineData(CKSTDataSet& data)
{
    if (CTalvenorApp* app = KstTheApp()) {
        data.SetWindowSettings(app->m_startSettings);
    }
    m_recordWnd.SetOnline(true);
    AttachDataSet(data, false);
}

void CTalvenorView::EndOnlineDisplay()
{
    m_recordWnd.SetOnline(false);
}

void CTalvenorView::RefreshDisplays()
{
    m_recordWnd.RefreshMain();
    m_recordWnd.RefreshSpectra();
}

void CTalvenorView::RefreshStatus()
{
    UpdateStatusBar();
}

int CTalvenorView::ShowError(int code, bool askReconnect)
{
    CTalvenorApp* app = KstTheApp();
    return app ? app->ShowErrorCode(code, askReconnect) : 0;
}

void CTalvenorView::SetLiveDataModified(bool modified)
{
    if (CTalvenorApp* app = KstTheApp()) {
        if (modified) {
            app->SetLiveDataModified();
        } else {
            app->ClearLiveDataModified();
        }
    }
}

bool CTalvenorView::IsLiveDataModified()
{
    CTalvenorApp* app = KstTheApp();
    return app && app->IsLiveDataModified();
}

void CTalvenorView::OpenRecording(const CKSTString& path, bool keepShownStructure)
{
    CTalvenorDoc* document = dynamic_cast<CTalvenorDoc*>(m_pDocument);
    if (!document) {
        return;
    }
    CKSTCurveWndSettings shown;
    if (keepShownStructure) {
        GetMainCurveWnd().GetSettings(shown, false);
    }
    document->OpenFile(path, keepShownStructure ? &shown : nullptr);
}

void CTalvenorView::BeginWait()
{
    if (CTalvenorApp* app = KstTheApp()) {
        app->BeginWaitCursor();
    }
}

void CTalvenorView::EndWait()
{
    if (CTalvenorApp* app = KstTheApp()) {
        app->EndWaitCursor();
    }
}
