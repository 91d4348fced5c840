#pragma once
// The online connection of the main view, free of windows: it connects one data source, turns
// the source's channels into the document's channels, pulls the new samples into them on every
// timer tick, keeps the memory within the limit, records into a native container and stops,
// reconnects or reports errors. The device clients sit behind IKSTOnlineSource and everything
// on screen (timer, displays, questions) behind IKSTOnlineHost; the main view owns one.
#include <cstdint>
#include <memory>
#include <vector>

#include "data/ChannelList.h"
#include "foundation/String.h"
#include "foundation/TimeStamp.h"

class CKSTChannel;
class CKSTDataSet;

// Results of the online connection beyond the clients' own codes.
enum KstOnlineResult : int {
    KST_ONL_MEMORY_LIMIT = -100,    // the memory limit was exceeded: the transfer is held
    KST_ONL_UNKNOWN_KIND = -1328,   // a source kind outside the table
    KST_ONL_TRIGGER_RANGE = -1329,  // the trigger channel does not exist
    // The stream stopped, but its last samples could not be appended to the recording file.
    KST_ONL_RECORDING_INCOMPLETE = -1330,
    // The recording file could not be created; the stream goes on without it.
    KST_ONL_RECORDING_NOT_CREATED = -1331,
    KST_ONL_DATA_LOST = -1350,      // a client lost data: a reconnect is offered
    KST_ONL_NO_BUFFER = -1355,      // no controller buffer gave channels
};

// The answer to a question that the host shows; anything else counts as no.
constexpr int kKstOnlineAnswerYes = 6;
// The timer of the online tick on the view's window.
constexpr uintptr_t kKstOnlineTimerId = 2;

// One connected device client as the connection drives it: a slot per channel holding the
// samples not yet taken, and the plain flags the clients share with the connection.
class IKSTOnlineSource {
public:
    virtual ~IKSTOnlineSource() = default;
    // The connection or port is open.
    virtual bool IsOpen() = 0;
    // The client's last error; non-zero ends the tick with it.
    virtual int GetLastError() = 0;
    // A triggered read has a block (or the data of the requested read) ready.
    virtual bool IsBlockReady() = 0;
    virtual void SetPause(bool pause) = 0;
    virtual int GetChannelCount() = 0;
    // The description of a channel without samples.
    [[nodiscard]] virtual int GetChannelInfo(int index, CKSTChannel& channel) = 0;
    // Moves the channel's new samples behind target's (and the recording channel's).
    [[nodiscard]] virtual int GetChannelData(int index, CKSTChannel& target, CKSTChannel* recording) = 0;
    // The samples were taken: the ready flag is cleared and the next read or block requested.
    virtual void RequestNext() = 0;
    // KiB per second of the last transfer.
    virtual double GetThroughput() = 0;
};

// The arguments of a connection as ConnectSource stores them, besides the source kind and the
// recording file; a reconnect repeats them.
struct CKSTOnlineArgs {
    CKSTString address;
    int32_t port = 0;
    bool triggered = false;
    double pollInterval = 0.0;
    int32_t backTimeMode = 0;
    int32_t bufferType = 0;
    uint32_t bufferIndex = 0;
    int32_t nonErasing = 0;
    double backTime = 0.0;
    bool passiveFtp = false;
};

// What the connection needs of the program around it.
class IKSTOnlineHost {
public:
    virtual ~IKSTOnlineHost() = default;
    // The document's data set; null when there is no document.
    virtual CKSTDataSet* GetOnlineData() = 0;
    // The document's new-document operation.
    virtual void NewDocument() = 0;
    // Creates and connects the clients of the source kind, in order; a probed kind becomes the
    // kind found. On an error nothing is left open.
    [[nodiscard]] virtual int OpenSources(int32_t& sourceKind, const CKSTOnlineArgs& args, bool selectChannels,
                            std::vector<std::unique_ptr<IKSTOnlineSource>>& sources) = 0;
    virtual void ArmOnlineTimer(uint32_t periodMs) = 0;
    virtual void KillOnlineTimer() = 0;
    // The main curve window shows older data: it is zoomed, or its window of fixed span has
    // been left behind the newest data.
    virtual bool IsViewingOlderData() = 0;
    // The new channels go to the displays with the application's curve-window settings, the
    // main curve window following the live end.
    virtual void ShowOnlineData(CKSTDataSet& data) = 0;
    // The main curve window stops following the live end.
    virtual void EndOnlineDisplay() = 0;
    virtual void RefreshDisplays() = 0;
    virtual void RefreshStatus() = 0;
    // The message of an error code; with the question, the button (kKstOnlineAnswerYes...).
    virtual int ShowError(int code, bool askReconnect) = 0;
    virtual void SetLiveDataModified(bool modified) = 0;
    virtual bool IsLiveDataModified() = 0;
    // The recording file is opened as the document, with the shown window structure when the
    // live data were changed.
    virtual void OpenRecording(const CKSTString& path, bool keepShownStructure) = 0;
    virtual void BeginWait() {}
    virtual void EndWait() {}
};

class CKSTOnlineControl {
public:
    // The clock of the recording appends; CKSTTimeStamp::NowPrecise unless replaced.
    using Clock = CKSTTimeStamp (*)();
    static Clock s_clock;

    explicit CKSTOnlineControl(IKSTOnlineHost& host);
    virtual ~CKSTOnlineControl();
    CKSTOnlineControl(const CKSTOnlineControl&) = delete;
    CKSTOnlineControl& operator=(const CKSTOnlineControl&) = delete;

    [[nodiscard]] int ConnectSource(const CKSTString& address, int port, bool triggered, double pollInterval,
                      int sourceKind, int backTimeMode, int bufferType, int bufferIndex,
                      int nonErasing, const CKSTString& recordingFile, double backTime,
                      double memoryLimit, bool selectChannels, bool passiveFtp,
                      bool reconnecting);
    [[nodiscard]] int BuildOnlineChannels(CKSTDataSet& data, int channelCount);
    // One tick's work: copy, hold, trim or cut, record, refresh.
    [[nodiscard]] int PollOnlineData();
    // The triggered read keeps one period from the trigger on; 0 or KST_ONL_TRIGGER_RANGE.
    [[nodiscard]] int ApplyTrigger();
    [[nodiscard]] int AppendRecording();
    // Ends the timer and frees the clients; keepKind keeps the kind and the recording for a
    // reconnect. Samples not yet recorded stay unrecorded: StopLiveStream appends them first.
    void StopOnline(bool keepKind);
    // The user's stop: the samples not yet recorded are appended and the recording file
    // becomes the document. When that append fails, the live data stay the document, unsaved,
    // and the user is told.
    void StopLiveStream();
    [[nodiscard]] int Reconnect();
    // The timer tick: the tick's work, then its result decides (re-arm, reconnect, stop).
    void OnOnlineTimer();

    const CKSTOnlineArgs& GetOnlineArgs() const { return m_args; }
    int GetSourceCount() const { return static_cast<int>(m_sources.size()); }
    CKSTChannelList& GetRecordingChannels() { return m_recordingChannels; }

    // The online state that the frame's enabling rules and status bar read.
    bool m_bOnline = false;
    int32_t m_nSourceKind = 0;      // KstSourceKind of the connected source
    double m_dRate = 0.0;           // KiB/s of the last transfer
    CKSTString m_strRecordingFile;  // appended to while online; empty: none
    bool m_bHold = false;           // the transfer waits while the user looks at older data
    // The live oscilloscope's settings.
    bool m_bInterpolate = false;
    int32_t m_nInterpolationFactor = 1;
    uint32_t m_nTriggerChannel = 0;
    double m_dTriggerLevel = 0.0;
    double m_dUpdateInterval = 0.5;  // seconds between ticks
    double m_dMemoryLimit = 0.0;     // MiB the channels may hold; 0 or less: no limit

private:
    [[nodiscard]] int CopyNewSamples(CKSTDataSet& data, bool recording, bool& complete);
    // Writes the recording file's head: the channels as they start.
    [[nodiscard]] int CreateRecording(const CKSTDataSet& data);
    // StopLiveStream whether or not a reconnect has already stopped the timer.
    void EndLiveStream();
    void TrimToMemoryLimit(CKSTDataSet& data);
    void CloseSources();
    // Gives every later-starting channel the earliest start, its delay becoming its t0.
    void AlignStarts(CKSTDataSet& data);

    IKSTOnlineHost& m_host;
    CKSTOnlineArgs m_args;
    bool m_bAlignStarts = false;
    std::vector<std::unique_ptr<IKSTOnlineSource>> m_sources;
    CKSTChannelList m_recordingChannels;
    CKSTTimeStamp m_lastAppend;
};
