#pragma once
// The content of one measurement file in memory: its name, channels, header properties (date,
// time, title, comment, file variables), spectrum settings and, for native documents, the
// description of the curve window that showed it. Readers fill a data set, writers store one,
// the document, the archives and the file set load and merge them.

#include <memory>

#include "data/ChannelList.h"
#include "data/FFTSettings.h"
#include "data/settings/CurveWndSettings.h"
#include "foundation/HeaderInfoList.h"
#include "foundation/String.h"
#include "foundation/TimeStamp.h"

class CKSTDataSet {
public:
    CKSTDataSet();
    // Not copyable as a whole: assignment leaves name, start stamp and spectrum settings as they
    // are, which a copy constructor could not honour.
    CKSTDataSet(const CKSTDataSet&) = delete;
    // Takes the channels (deep copies), the header and the window settings of the other set.
    CKSTDataSet& operator=(const CKSTDataSet& other);
    ~CKSTDataSet();

    const CKSTString& GetName() const { return m_name; }
    void SetName(const CKSTString& name) { m_name = name; }
    CKSTChannelList& GetChannels() { return m_channels; }
    const CKSTChannelList& GetChannels() const { return m_channels; }
    CKSTHeaderInfoList& GetHeader() { return m_header; }
    const CKSTHeaderInfoList& GetHeader() const { return m_header; }
    CKSTFFTSettings& GetFFTSettings() { return m_fftSettings; }
    const CKSTFFTSettings& GetFFTSettings() const { return m_fftSettings; }

    // Empties name, start stamp, header and channels; a reloaded file may keep its windows.
    void Clear(bool keepWindowSettings);

    // Replaces the channels by the parts of the other set's channels between the two stamps.
    void CopyTimeWindow(const CKSTDataSet& other, const CKSTTimeStamp& stamp1,
                        const CKSTTimeStamp& stamp2, bool keepStamp);
    void CutBetweenTimeStamps(const CKSTTimeStamp& stamp1, const CKSTTimeStamp& stamp2,
                              bool keepStamp);

    // The earliest channel start, or the set's own stamp when it has no channel.
    CKSTTimeStamp GetEarliestStartTimeStamp() const;
    // Stored in the set and in every channel.
    void SetStartTimeStamp(const CKSTTimeStamp& stamp);
    // First and last sample over the channels.
    CKSTTimeStamp GetStartTimeStamp() const;
    CKSTTimeStamp GetEndTimeStamp() const;
    // Earliest sample of any channel later than the stamp; a far-future stamp when none is.
    CKSTTimeStamp GetNextSampleTimeStamp(const CKSTTimeStamp& stamp) const;

    // Index of the header entry holding the recording date ("Datum", else "Date") or time
    // ("Zeit", else "Time"); -1 when neither exists.
    int FindDateColumn() const;
    int FindTimeColumn() const;

    // The header's title (visible entries first unless hiddenOnly), else the set's name
    // without folder and extension.
    CKSTString GetTitle(bool hiddenOnly = false) const;
    int SetTitle(const CKSTString& text);
    bool IsTitleHidden() const;
    // The hidden "Comment" entry, else a visible one; empty when there is none.
    CKSTString GetComment() const;
    int SetComment(const CKSTString& text, bool hidden);
    bool IsCommentHidden() const;

    bool HasWindowSettings() const { return m_windowSettings != nullptr; }
    // A copy; a default record when the set has none.
    CKSTCurveWndSettings GetWindowSettings() const;
    void SetWindowSettings(const CKSTCurveWndSettings& settings);

    // Adds the other set's channels: a channel with the name, group and unit of one of this
    // set's channels is appended to it (after its end with continueAfterEnd, else by time),
    // any other is copied in. Events follow their samples.
    void MergeChannels(const CKSTDataSet& other, bool continueAfterEnd);
    // Appends the samples of the other set's channels to this set's channels of the same group
    // and name and takes those channels, with their events, out of the other set, so that a
    // following MergeChannels adds only what is left.
    void AppendDataSet(CKSTDataSet& other, bool continueAfterEnd = false);
    // True when a channel of the other set has the name and group of one of this set.
    bool HasCommonChannelNames(const CKSTDataSet& other) const;
    // Renames the other set's channels whose name and group clash with a channel of this set
    // to name_2, name_3 ... (the first name free in that group in both sets), and the curve
    // records of the other set's window settings with them.
    void RenameClashingChannels(CKSTDataSet& other) const;

private:
    CKSTChannel* FindChannel(const CKSTChannel& like, int limit, bool sameUnit) const;
    bool HasChannelNamed(const CKSTString& name, const CKSTString& group) const;

    CKSTString m_name;
    CKSTTimeStamp m_startTimeStamp;
    CKSTChannelList m_channels;
    CKSTHeaderInfoList m_header;
    std::unique_ptr<CKSTCurveWndSettings> m_windowSettings;
    CKSTFFTSettings m_fftSettings;
};
