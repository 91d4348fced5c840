// The main view's side of the online connection: the device clients behind the connection's
// source interface, the timer on the view's window, the displays and the questions.
#include "acquisition/win/NodeClient.h"
#include "app/CommandLine.h"
#include "app/win/AppOptions.h"
#include "app/win/MessageSink.h"
#include "app/win/TalvenorDoc.h"
#include "app/win/TalvenorView.h"
#include "foundation/ErrorCodes.h"
#include "framework/App.h"
#include "resources/StringIds.h"

namespace {

constexpr double kConnectTimeoutSeconds = 10.0;

// An acquisition node through the connection's source interface.
class CKSTNodeSource : public IKSTOnlineSource {
public:
    bool IsOpen() override { return m_client.IsConnected(); }
    int GetLastError() override { return m_client.GetLastPollError(); }
    bool IsBlockReady() override { return m_client.IsDataReady(); }
    void SetPause(bool pause) override { m_client.SetPause(pause); }
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
    void RequestNext() override { m_client.RequestRead(); }
    double GetThroughput() override { return m_client.GetThroughput(); }

    CKSTNodeClient& Client() { return m_client; }

private:
    CKSTNodeClient m_client;
};

int OpenNode(const CKSTString& address, const CKSTOnlineArgs& args, bool selectChannels,
             int language, std::vector<std::unique_ptr<IKSTOnlineSource>>& sources)
{
    auto source = std::make_unique<CKSTNodeSource>();
    CKSTNodeClient& client = source->Client();
    client.SetLanguage(language);
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
    if (m_online.m_bOnline) {
        return;
    }
    // The sources are chosen in the controller dialog, which this version lacks; the command
    // line connects them.
    m_messages.MessageBoxId(KST_STR_FUNCTION_NOT_AVAILABLE, MB_OK | MB_ICONINFORMATION);
}

void CTalvenorView::StartLiveOscilloscope()
{
    if (m_online.m_bOnline) {
        return;
    }
    // The same for the trigger dialog.
    m_messages.MessageBoxId(KST_STR_FUNCTION_NOT_AVAILABLE, MB_OK | MB_ICONINFORMATION);
}

void CTalvenorView::OnStopLiveStream()
{
    m_online.StopLiveStream();
}

void CTalvenorView::OnTimer(UINT_PTR id)
{
    if (id == kKstOnlineTimerId) {
        m_online.OnOnlineTimer();
    }
}

// ---- The connection's host ------------------------------------------------------------------

CKSTDataSet* CTalvenorView::OnlineHost::GetOnlineData()
{
    CTalvenorDoc* document = m_view.Document();
    return document ? &document->GetDataSet() : nullptr;
}

void CTalvenorView::OnlineHost::NewDocument()
{
    if (CTalvenorDoc* document = m_view.Document()) {
        document->OnNewDocument();
    }
}

int CTalvenorView::OnlineHost::OpenSources(int32_t& sourceKind, const CKSTOnlineArgs& args,
                                           bool selectChannels,
                                           std::vector<std::unique_ptr<IKSTOnlineSource>>& sources)
{
    if (sourceKind == KST_SOURCE_NODE) {
        const int language = m_view.m_messages.IsEnglish() ? 1 : 0;
        return OpenNode(args.address, args, selectChannels, language, sources);
    }
    // Controllers, the serial bus master and the pipe come with their clients.
    m_view.m_messages.MessageBoxId(KST_STR_ONL_SOURCE_NOT_AVAILABLE, MB_OK | MB_ICONINFORMATION);
    return KST_ERR_SELECTION_CANCELLED;
}

void CTalvenorView::OnlineHost::ArmOnlineTimer(uint32_t periodMs)
{
    if (m_view.m_hWnd) {
        m_view.SetTimer(kKstOnlineTimerId, periodMs);
    }
}

void CTalvenorView::OnlineHost::KillOnlineTimer()
{
    if (m_view.m_hWnd) {
        m_view.KillTimer(kKstOnlineTimerId);
    }
}

bool CTalvenorView::OnlineHost::IsViewingOlderData()
{
    const CKSTCurveWnd& curves = m_view.GetMainCurveWnd();
    const CKSTXAxis& axis = curves.GetXAxis();
    // A window of fixed span that no longer reaches the newest data was scrolled back.
    return curves.IsZoomed() || (curves.IsOnline() && axis.IsRangeWindow() && !axis.NeedsScroll());
}

void CTalvenorView::OnlineHost::ShowOnlineData(CKSTDataSet& data)
{
    data.SetWindowSettings(m_view.m_options.StartSettings());
    m_view.m_recordWnd.SetOnline(true);
    m_view.AttachDataSet(data, false);
}

void CTalvenorView::OnlineHost::EndOnlineDisplay()
{
    m_view.m_recordWnd.SetOnline(false);
}

void CTalvenorView::OnlineHost::RefreshDisplays()
{
    m_view.m_recordWnd.RefreshMain();
    m_view.m_recordWnd.RefreshSpectra();
}

void CTalvenorView::OnlineHost::RefreshStatus()
{
    m_view.UpdateStatusBar();
}

int CTalvenorView::OnlineHost::ShowError(int code, bool askReconnect)
{
    return m_view.m_messages.ShowErrorCode(code, askReconnect);
}

void CTalvenorView::OnlineHost::SetLiveDataModified(bool modified)
{
    if (CTalvenorDoc* document = m_view.Document()) {
        document->SetLiveDataModified(modified);
    }
}

bool CTalvenorView::OnlineHost::IsLiveDataModified()
{
    const CTalvenorDoc* document = m_view.Document();
    return document && document->IsLiveDataModified();
}

void CTalvenorView::OnlineHost::OpenRecording(const CKSTString& path, bool keepShownStructure)
{
    CTalvenorDoc* document = m_view.Document();
    if (!document) {
        return;
    }
    CKSTCurveWndSettings shown;
    if (keepShownStructure) {
        m_view.GetMainCurveWnd().GetSettings(shown, false);
    }
    document->OpenFile(path, keepShownStructure ? &shown : nullptr);
}

void CTalvenorView::OnlineHost::BeginWait()
{
    if (CWinApp* app = AfxGetApp()) {
        app->BeginWaitCursor();
    }
}

void CTalvenorView::OnlineHost::EndWait()
{
    if (CWinApp* app = AfxGetApp()) {
        app->EndWaitCursor();
    }
}
