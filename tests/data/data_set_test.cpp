#include "data/DataSet.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const CKSTTimeStamp kStart(2021, 3, 4, 10, 0, 0.0);

struct ChannelSpec {
    const char* name;
    const char* group;
    const char* unit;
    double startOffset;  // seconds after kStart
    int count;
    double firstValue;
};

// A channel without samples, for name tests.
ChannelSpec Bare(const char* name, const char* group, const char* unit)
{
    return {name, group, unit, 0.0, 0, 0.0};
}

CKSTChannel MakeChannel(const ChannelSpec& spec)
{
    CKSTChannel c;
    c.SetName(spec.name);
    c.SetGroup(spec.group);
    c.SetUnit(spec.unit);
    c.SetStartTimeStamp(kStart + spec.startOffset);
    c.SetDt(1.0);
    for (int i = 0; i < spec.count; ++i) {
        c.AppendValue(spec.firstValue + i, false);
    }
    return c;
}

void AddChannels(CKSTDataSet& set, const std::vector<ChannelSpec>& specs)
{
    for (const ChannelSpec& spec : specs) {
        set.GetChannels().AddCopy(MakeChannel(spec));
    }
}

// A window showing every channel of the set, each curve with one event at `eventTime`.
CKSTCurveWndSettings WindowFor(const CKSTDataSet& set, double eventTime)
{
    CKSTCurveWndSettings settings;
    const CKSTChannelList& channels = set.GetChannels();
    for (int i = 0; i < channels.GetCount(); ++i) {
        const CKSTChannel& c = *channels.GetAt(i);
        const int curve = settings.AddCurveForChannel(c.GetName(), c.GetGroup(), c.GetUnit());
        CKSTMarkerSettings event;
        event.m_Text = c.GetName();
        event.m_Value = eventTime;
        settings.m_Curves[curve]->AddMarker(&event, -1);
    }
    return settings;
}

std::vector<std::string> Names(const CKSTDataSet& set)
{
    std::vector<std::string> names;
    for (int i = 0; i < set.GetChannels().GetCount(); ++i) {
        const CKSTChannel& c = *set.GetChannels().GetAt(i);
        names.push_back(std::string(c.GetGroup().c_str()) + "/" + c.GetName().c_str());
    }
    return names;
}

std::vector<double> Values(const CKSTChannel& c)
{
    std::vector<double> values;
    for (uint32_t i = 0; i < c.GetCount(); ++i) {
        values.push_back(c.GetValue(i));
    }
    return values;
}

// Event positions of every curve record showing the channel.
std::vector<double> EventTimes(const CKSTCurveWndSettings& settings, const char* name,
                               const char* group)
{
    std::vector<double> times;
    for (const auto& curve : settings.m_Curves) {
        if (curve->m_Name == name && curve->m_Group == group) {
            for (const auto& marker : curve->m_Markers) {
                times.push_back(marker->m_Value);
            }
        }
    }
    return times;
}

// --- Header table ---

TEST(DataSetHeader, DateAndTimeColumns)
{
    struct Case {
        std::vector<const char*> entries;
        int date;
        int time;
    };
    const Case cases[] = {
        {{}, -1, -1},
        {{"Date", "Time"}, 0, 1},
        {{"Date", "Datum", "Time", "Zeit"}, 1, 3},
        {{"Zeit", "Title"}, -1, 0},
        {{"Comment", "Datum"}, 1, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "case " << (&c - cases));
        CKSTDataSet set;
        for (const char* name : c.entries) {
            set.GetHeader().SetString(name, "x");
        }
        EXPECT_EQ(set.FindDateColumn(), c.date);
        EXPECT_EQ(set.FindTimeColumn(), c.time);
    }
}

TEST(DataSetHeader, TitleFallsBackToTheBareFileName)
{
    struct Case {
        const char* name;
        const char* title;
    };
    const Case cases[] = {
        {"C:\\Messung\\run.2021\\trace.qld", "trace"},
        {"C:/Messung/trace.v2.qld", "trace.v2"},
        {"trace", "trace"},
        {"", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CKSTDataSet set;
        set.SetName(c.name);
        EXPECT_STREQ(set.GetTitle().c_str(), c.title);
        EXPECT_FALSE(set.IsTitleHidden());
    }
}

TEST(DataSetHeader, TitleCommentAndVariables)
{
    CKSTDataSet set;
    set.SetName("C:\\data\\file.qld");
    set.GetHeader().SetString("TITEL", "visible title");
    ASSERT_GE(set.SetTitle("hidden title"), 0);
    EXPECT_TRUE(set.IsTitleHidden());
    EXPECT_STREQ(set.GetTitle(false).c_str(), "visible title");
    EXPECT_STREQ(set.GetTitle(true).c_str(), "hidden title");

    EXPECT_STREQ(set.GetComment().c_str(), "");
    ASSERT_GE(set.SetComment("seen by all", false), 0);
    EXPECT_FALSE(set.IsCommentHidden());
    EXPECT_STREQ(set.GetComment().c_str(), "seen by all");
    ASSERT_GE(set.SetComment("document comment", true), 0);
    EXPECT_TRUE(set.IsCommentHidden());
    EXPECT_STREQ(set.GetComment().c_str(), "document comment");

    set.GetHeader().SetString("LockPass", "secret");
    set.GetHeader().SetDouble("Temperature", 21.5);
    CKSTDataSet copy;
    copy = set;
    double temperature = 0.0;
    EXPECT_GE(copy.GetHeader().GetDouble("Temperature", temperature), 0);
    EXPECT_EQ(temperature, 21.5);
    EXPECT_STREQ(copy.GetComment().c_str(), "document comment");
    EXPECT_STREQ(copy.GetTitle(true).c_str(), "hidden title");
    EXPECT_EQ(copy.GetHeader().GetCount(true), set.GetHeader().GetCount(true));

    set.Clear(false);
    EXPECT_EQ(set.GetHeader().GetCount(true), 0);
    EXPECT_STREQ(set.GetName().c_str(), "");
}

// --- Assignment and clearing ---

TEST(DataSetAssign, WindowSettingsFollowTheSource)
{
    struct Case {
        bool targetHas;
        bool sourceHas;
    };
    const Case cases[] = {{false, false}, {false, true}, {true, false}, {true, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.targetHas << c.sourceHas);
        CKSTDataSet source;
        AddChannels(source, {{"U", "G", "V", 0.0, 3, 1.0}});
        source.SetName("source.qld");
        source.SetStartTimeStamp(kStart);
        source.GetFFTSettings().m_Power = 1;
        if (c.sourceHas) {
            CKSTCurveWndSettings settings;
            settings.m_BorderWidth = 9;
            settings.AddCurveForChannel("U", "G", "V");
            source.SetWindowSettings(settings);
        }
        CKSTDataSet target;
        AddChannels(target, {{"old", "", "", 0.0, 1, 0.0}});
        target.SetName("target.qld");
        if (c.targetHas) {
            target.SetWindowSettings(CKSTCurveWndSettings());
        }

        target = source;
        EXPECT_EQ(target.HasWindowSettings(), c.sourceHas);
        if (c.sourceHas) {
            const CKSTCurveWndSettings copy = target.GetWindowSettings();
            EXPECT_EQ(copy.m_BorderWidth, 9);
            EXPECT_EQ(copy.m_Curves.size(), 1u);
        }
        // Name and spectrum settings stay the target's.
        EXPECT_STREQ(target.GetName().c_str(), "target.qld");
        EXPECT_EQ(target.GetFFTSettings().m_Power, 0);
        EXPECT_EQ(Names(target), std::vector<std::string>({"G/U"}));

        // The channels are copies of their own.
        source.GetChannels().GetAt(0)->SetValueAt(0, 99.0);
        EXPECT_EQ(target.GetChannels().GetAt(0)->GetValue(0), 1.0);
    }
}

TEST(DataSetAssign, SelfAssignmentKeepsEverything)
{
    CKSTDataSet set;
    AddChannels(set, {{"U", "G", "V", 0.0, 3, 1.0}});
    set.SetWindowSettings(WindowFor(set, 0.5));
    set.SetComment("c", true);
    CKSTDataSet& same = set;
    set = same;
    EXPECT_EQ(set.GetChannels().GetCount(), 1);
    EXPECT_TRUE(set.HasWindowSettings());
    EXPECT_STREQ(set.GetComment().c_str(), "c");
}

TEST(DataSetAssign, ClearKeepsWindowSettingsOnlyWhenAsked)
{
    for (bool keep : {false, true}) {
        SCOPED_TRACE(keep);
        CKSTDataSet set;
        AddChannels(set, {{"U", "G", "V", 0.0, 3, 1.0}});
        set.SetName("a.qld");
        set.SetStartTimeStamp(kStart);
        set.SetWindowSettings(WindowFor(set, 0.0));
        set.Clear(keep);
        EXPECT_EQ(set.GetChannels().GetCount(), 0);
        EXPECT_STREQ(set.GetName().c_str(), "");
        EXPECT_EQ(set.GetEarliestStartTimeStamp(), CKSTTimeStamp());
        EXPECT_EQ(set.HasWindowSettings(), keep);
    }
    CKSTDataSet empty;
    EXPECT_EQ(empty.GetWindowSettings().m_Curves.size(), 0u);
}

// --- Time stamps over the channels ---

TEST(DataSetTime, StampsOverTheChannels)
{
    CKSTDataSet set;
    const CKSTTimeStamp own(2020, 1, 1, 0, 0, 0.0);
    set.SetStartTimeStamp(own);
    EXPECT_EQ(set.GetEarliestStartTimeStamp(), own);
    EXPECT_EQ(set.GetNextSampleTimeStamp(own), CKSTChannel::FarFutureTimeStamp());

    AddChannels(set, {{"A", "", "", 10.0, 3, 0.0},   // samples at 10, 11, 12
                      {"B", "", "", 5.0, 2, 0.0},    // samples at 5, 6
                      {"E", "", "", 1.0, 0, 0.0}});  // no samples, earliest start
    EXPECT_EQ(set.GetEarliestStartTimeStamp(), kStart + 1.0);
    EXPECT_EQ(set.GetStartTimeStamp(), kStart + 5.0);
    EXPECT_EQ(set.GetEndTimeStamp(), kStart + 12.0);

    struct Case {
        double after;
        double next;  // seconds after kStart; -1 for none
    };
    const Case cases[] = {{0.0, 5.0}, {5.0, 6.0}, {6.5, 10.0}, {11.0, 12.0}, {12.0, -1.0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.after);
        const CKSTTimeStamp expected =
            c.next < 0.0 ? CKSTChannel::FarFutureTimeStamp() : kStart + c.next;
        EXPECT_EQ(set.GetNextSampleTimeStamp(kStart + c.after), expected);
    }

    set.SetStartTimeStamp(own);
    for (int i = 0; i < set.GetChannels().GetCount(); ++i) {
        EXPECT_EQ(set.GetChannels().GetAt(i)->GetStartTimeStamp(), own);
    }
}

// --- Merging ---

TEST(DataSetMerge, MatchesByNameGroupAndUnit)
{
    CKSTDataSet set;
    AddChannels(set, {{"U", "G", "V", 0.0, 3, 0.0}, {"I", "G", "A", 0.0, 3, 0.0}});
    set.SetWindowSettings(WindowFor(set, 0.0));
    CKSTDataSet other;
    AddChannels(other, {{"U", "G", "V", 3.0, 2, 3.0},     // appended to U
                        {"U", "G", "mV", 3.0, 2, 7.0},    // other unit: a channel of its own
                        {"U", "H", "V", 3.0, 2, 9.0},     // other group: a channel of its own
                        {"T", "G", "K", 0.0, 1, 20.0}});  // new name

    set.MergeChannels(other, false);
    EXPECT_EQ(Names(set), std::vector<std::string>({"G/U", "G/I", "G/U", "H/U", "G/T"}));
    const CKSTChannel& u = *set.GetChannels().GetAt(0);
    EXPECT_EQ(u.GetTimeBaseType(), CKSTChannel::kEquidistant);
    EXPECT_EQ(Values(u), std::vector<double>({0, 1, 2, 3, 4}));
    EXPECT_STREQ(set.GetChannels().GetAt(2)->GetUnit().c_str(), "mV");
    EXPECT_EQ(Values(*set.GetChannels().GetAt(2)), std::vector<double>({7, 8}));

    // Every channel taken in gets a curve record; the merged one keeps its single record.
    const CKSTCurveWndSettings window = set.GetWindowSettings();
    ASSERT_EQ(window.m_Curves.size(), 5u);
    EXPECT_STREQ(window.m_Curves[2]->m_Unit.c_str(), "mV");
    EXPECT_STREQ(window.m_Curves[3]->m_Group.c_str(), "H");
    EXPECT_STREQ(window.m_Curves[4]->m_Name.c_str(), "T");
    // The other set is left as it was.
    EXPECT_EQ(other.GetChannels().GetCount(), 4);
}

TEST(DataSetMerge, EventsMoveWithTheirSamples)
{
    struct Case {
        const char* what;
        double otherStart;  // seconds after this set's start
        bool continueAfterEnd;
        std::vector<double> events;  // of the merged curve record, in record order
        double startShift;           // of the merged channel's start time stamp
    };
    // This channel: samples at 0, 1, 2 and an event at 1; the other's: an event at 0.5.
    const Case cases[] = {
        {"directly behind", 3.0, false, {1.0, 3.5}, 0.0},
        {"after a gap, by time", 10.0, false, {1.0, 10.5}, 0.0},
        {"after a gap, back to back", 10.0, true, {1.0, 3.5}, 0.0},
        {"before this channel", -10.0, false, {11.0, 0.5}, -10.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CKSTDataSet set;
        AddChannels(set, {{"U", "G", "V", 0.0, 3, 0.0}});
        set.SetWindowSettings(WindowFor(set, 1.0));
        CKSTDataSet other;
        AddChannels(other, {{"U", "G", "V", c.otherStart, 2, 10.0}});
        other.SetWindowSettings(WindowFor(other, 0.5));

        set.MergeChannels(other, c.continueAfterEnd);
        ASSERT_EQ(set.GetChannels().GetCount(), 1);
        const CKSTChannel& u = *set.GetChannels().GetAt(0);
        EXPECT_EQ(u.GetCount(), 5u);
        EXPECT_EQ(u.GetStartTimeStamp(), kStart + c.startShift);
        EXPECT_EQ(EventTimes(set.GetWindowSettings(), "U", "G"), c.events);
        EXPECT_EQ(EventTimes(other.GetWindowSettings(), "U", "G"), std::vector<double>({0.5}));
    }
}

TEST(DataSetMerge, ChannelsOfOneSetAreNotMergedWithEachOther)
{
    CKSTDataSet set;
    CKSTDataSet other;
    AddChannels(other, {{"U", "G", "V", 0.0, 2, 0.0}, {"U", "G", "V", 0.0, 2, 5.0}});
    set.MergeChannels(other, false);
    ASSERT_EQ(set.GetChannels().GetCount(), 2);
    EXPECT_EQ(Values(*set.GetChannels().GetAt(0)), std::vector<double>({0, 1}));
    EXPECT_EQ(Values(*set.GetChannels().GetAt(1)), std::vector<double>({5, 6}));
}

TEST(DataSetMerge, MergingASetIntoItselfAppendsACopy)
{
    CKSTDataSet set;
    AddChannels(set, {{"U", "G", "V", 0.0, 3, 0.0}});
    set.MergeChannels(set, true);
    ASSERT_EQ(set.GetChannels().GetCount(), 1);
    EXPECT_EQ(Values(*set.GetChannels().GetAt(0)), std::vector<double>({0, 1, 2, 0, 1, 2}));
}

// --- Clashing names ---

TEST(DataSetNames, CommonChannelNames)
{
    struct Case {
        std::vector<ChannelSpec> other;
        bool common;
    };
    const Case cases[] = {
        {{}, false},
        {{{"U", "H", "V", 0.0, 0, 0.0}}, false},
        {{{"X", "G", "V", 0.0, 0, 0.0}, {"U", "G", "mV", 0.0, 0, 0.0}}, true},
    };
    CKSTDataSet set;
    AddChannels(set, {{"U", "G", "V", 0.0, 0, 0.0}});
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "case " << (&c - cases));
        CKSTDataSet other;
        AddChannels(other, c.other);
        EXPECT_EQ(set.HasCommonChannelNames(other), c.common);
    }
}

TEST(DataSetNames, RenameClashingChannels)
{
    struct Case {
        const char* what;
        std::vector<ChannelSpec> here;
        std::vector<ChannelSpec> other;
        std::vector<std::string> renamed;
    };
    const Case cases[] = {
        {"clash",
         {Bare("U", "G", "V")},
         {Bare("U", "G", "V"), Bare("I", "G", "A")},
         {"G/U_2", "G/I"}},
        {"U_2 taken here",
         {Bare("U", "G", "V"), Bare("U_2", "G", "V")},
         {Bare("U", "G", "V")},
         {"G/U_3"}},
        {"U_2 taken here in another group",
         {Bare("U", "G", "V"), Bare("U_2", "H", "V")},
         {Bare("U", "G", "V")},
         {"G/U_2"}},
        {"other group", {Bare("U", "G", "V")}, {Bare("U", "H", "V")}, {"H/U"}},
        {"U_2 taken in the other set",
         {Bare("U", "G", "V")},
         {Bare("U", "G", "V"), Bare("U_2", "G", "V")},
         {"G/U_3", "G/U_2"}},
        {"two clashes",
         {Bare("U", "G", "V")},
         {Bare("U", "G", "V"), Bare("U", "G", "mV")},
         {"G/U_2", "G/U_3"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CKSTDataSet set;
        AddChannels(set, c.here);
        CKSTDataSet other;
        AddChannels(other, c.other);
        set.RenameClashingChannels(other);
        EXPECT_EQ(Names(other), c.renamed);
    }
}

TEST(DataSetNames, CurveRecordsFollowTheRenamedChannel)
{
    CKSTDataSet set;
    AddChannels(set, {Bare("U", "G", "V")});
    CKSTDataSet other;
    AddChannels(other, {Bare("U", "G", "V"), Bare("U", "H", "V")});
    other.SetWindowSettings(WindowFor(other, 0.0));
    set.RenameClashingChannels(other);

    const CKSTCurveWndSettings window = other.GetWindowSettings();
    ASSERT_EQ(window.m_Curves.size(), 2u);
    EXPECT_STREQ(window.m_Curves[0]->m_Name.c_str(), "U_2");
    // The curve of the channel in group H still shows that channel.
    EXPECT_STREQ(window.m_Curves[1]->m_Name.c_str(), "U");

    set.RenameClashingChannels(set);
    EXPECT_EQ(Names(set), std::vector<std::string>({"G/U"}));
}

// --- Appending one set to another ---

TEST(DataSetAppend, AppendThenMergeAddsEverySampleOnce)
{
    CKSTDataSet set;
    AddChannels(set, {{"U", "G", "V", 0.0, 3, 0.0}});
    set.SetWindowSettings(WindowFor(set, 1.0));
    CKSTDataSet other;
    AddChannels(other, {{"U", "G", "mV", 3.0, 2, 3.0}, {"T", "G", "K", 3.0, 2, 50.0}});
    other.SetWindowSettings(WindowFor(other, 0.5));
    ASSERT_TRUE(set.HasCommonChannelNames(other));

    // The document appends to existing channels, then merges what is left.
    set.AppendDataSet(other, false);
    EXPECT_EQ(Names(other), std::vector<std::string>({"G/T"}));
    set.MergeChannels(other, false);

    EXPECT_EQ(Names(set), std::vector<std::string>({"G/U", "G/T"}));
    EXPECT_EQ(Values(*set.GetChannels().GetAt(0)), std::vector<double>({0, 1, 2, 3, 4}));
    EXPECT_EQ(Values(*set.GetChannels().GetAt(1)), std::vector<double>({50, 51}));
    const CKSTCurveWndSettings window = set.GetWindowSettings();
    EXPECT_EQ(EventTimes(window, "U", "G"), std::vector<double>({1.0, 3.5}));
    EXPECT_EQ(EventTimes(window, "T", "G"), std::vector<double>({0.5}));
}

TEST(DataSetAppend, AppendingASetToItselfKeepsItsChannels)
{
    CKSTDataSet set;
    AddChannels(set, {{"U", "G", "V", 0.0, 2, 0.0}});
    set.AppendDataSet(set, true);
    ASSERT_EQ(set.GetChannels().GetCount(), 1);
    EXPECT_EQ(Values(*set.GetChannels().GetAt(0)), std::vector<double>({0, 1, 0, 1}));
}

}  // namespace
