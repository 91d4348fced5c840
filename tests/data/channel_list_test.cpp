#include "data/ChannelList.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

CKSTChannel Equidistant(double t0, double dt, int count)
{
    CKSTChannel c;
    c.SetT0(t0);
    c.SetDt(dt);
    for (int i = 0; i < count; ++i) {
        c.AppendValue(i, false);
    }
    return c;
}

CKSTChannel TimeVector(const std::vector<double>& times)
{
    CKSTChannel c;
    for (double t : times) {
        c.AppendTimeValue(t, 1.0);
    }
    return c;
}

CKSTChannel Named(const char* name, const char* group = "")
{
    CKSTChannel c;
    c.SetName(name);
    c.SetGroup(group);
    return c;
}

std::vector<std::string> Names(const CKSTChannelList& list)
{
    std::vector<std::string> names;
    for (int i = 0; i < list.GetCount(); ++i) {
        names.push_back(list.GetAt(i)->GetName().c_str());
    }
    return names;
}

class CountingObserver : public IKSTChannelObserver {
public:
    void OnChannelDestroyed(CKSTChannel*) override { ++destroyed; }
    int destroyed = 0;
};

TEST(ChannelList, AddAndInsertOwnedCopies)
{
    CKSTChannelList list;
    EXPECT_EQ(list.AddNew(), 0);
    CKSTChannel source = Named("B");
    source.AppendValue(1.0, false);
    EXPECT_EQ(list.AddCopy(source), 1);
    EXPECT_EQ(list.InsertCopy(Named("A"), 0), 2);
    EXPECT_EQ(list.InsertCopy(Named("Z"), 99), 3);
    EXPECT_EQ(Names(list), std::vector<std::string>({"A", "", "B", "Z"}));
    for (int i = 0; i < list.GetCount(); ++i) {
        EXPECT_TRUE(list.IsOwned(i));
    }
    EXPECT_EQ(list.GetAt(4), nullptr);
    EXPECT_EQ(list.GetAt(-1), nullptr);

    source.SetValueAt(0, 5.0);
    EXPECT_NE(list.GetAt(2), &source);
    EXPECT_EQ(list.GetAt(2)->GetValue(0), 1.0);
}

TEST(ChannelList, RemovalDestroysOnlyOwnedChannels)
{
    CountingObserver window;
    CKSTChannel borrowed;
    borrowed.AddObserver(&window);
    {
        CKSTChannelList list;
        list.AddNew();
        list.AddPointer(&borrowed, false);
        list.AddNew();
        list.AddNew();
        for (int i : {0, 2, 3}) {
            list.GetAt(i)->AddObserver(&window);
        }
        EXPECT_FALSE(list.IsOwned(1));

        list.RemoveAt(1);
        EXPECT_EQ(window.destroyed, 0);
        EXPECT_EQ(list.GetCount(), 3);
        list.RemoveAt(0);
        EXPECT_EQ(window.destroyed, 1);
        list.RemoveAt(7);
        EXPECT_EQ(list.GetCount(), 2);

        list.AddPointer(&borrowed, false);
        list.DeleteAll();
        EXPECT_EQ(window.destroyed, 3);
        EXPECT_EQ(list.GetCount(), 0);

        list.AddNew();
        list.GetAt(0)->AddObserver(&window);
        list.AddPointer(&borrowed, false);
    }
    EXPECT_EQ(window.destroyed, 4);
    borrowed.RemoveObserver(&window);
}

TEST(ChannelList, RemoveEmptyKeepsChannelsWithSamples)
{
    CKSTChannelList list;
    list.AddCopy(Named("empty 1"));
    CKSTChannel full = Named("full");
    full.AppendValue(1.0, false);
    list.AddCopy(full);
    list.AddCopy(Named("empty 2"));
    list.RemoveEmpty();
    EXPECT_EQ(Names(list), std::vector<std::string>({"full"}));
}

TEST(ChannelList, CopiesWithAndWithoutSamples)
{
    CKSTChannelList source;
    CKSTChannel a = Equidistant(1.0, 0.5, 4);
    a.SetName("A");
    a.SetUnit("V");
    source.AddCopy(a);
    source.AddCopy(TimeVector({0, 2, 1}));

    source.CopyFrom(source);
    EXPECT_EQ(source.GetCount(), 2);
    EXPECT_EQ(source.GetAt(0)->GetCount(), 4u);

    CKSTChannelList full;
    full.AddNew();
    full.CopyFrom(source);
    ASSERT_EQ(full.GetCount(), 2);
    EXPECT_NE(full.GetAt(0), source.GetAt(0));
    EXPECT_EQ(full.GetAt(0)->GetCount(), 4u);
    EXPECT_FALSE(full.GetAt(1)->AreTimesAscending());

    CKSTChannelList described;
    described.CopyDeep(source);
    ASSERT_EQ(described.GetCount(), 2);
    EXPECT_TRUE(described.IsOwned(0));
    EXPECT_TRUE(described.GetAt(0)->GetUnit() == "V");
    EXPECT_EQ(described.GetAt(0)->GetDt(), 0.5);
    EXPECT_EQ(described.GetAt(0)->GetCount(), 0u);
    EXPECT_EQ(described.GetAt(1)->GetTimeBaseType(), CKSTChannel::kTimeVector);
    EXPECT_EQ(described.GetAt(1)->GetCount(), 0u);
}

TEST(ChannelList, Lookups)
{
    CKSTChannelList list;
    CKSTChannel numbered = Named("U", "Motor");
    numbered.SetNumber(3);
    list.AddCopy(numbered);
    list.AddCopy(Named("U", "motor"));
    list.AddCopy(Named("I", "Motor"));
    list.AddCopy(Named("U", "Motor"));

    EXPECT_EQ(list.FindByNumber(3), list.GetAt(0));
    EXPECT_EQ(list.FindByNumber(-1), list.GetAt(1));
    EXPECT_EQ(list.FindByNumber(9), nullptr);
    EXPECT_EQ(CKSTChannelList().FindByNumber(-1), nullptr);

    EXPECT_EQ(list.FindByGroupAndName("Motor", "U"), list.GetAt(0));
    EXPECT_EQ(list.FindByGroupAndName("motor", "U"), list.GetAt(1));
    EXPECT_EQ(list.FindByGroupAndName("Motor", "I"), list.GetAt(2));
    EXPECT_EQ(list.FindByGroupAndName("Motor", "u"), nullptr);
    EXPECT_EQ(list.FindByGroupAndName("", "U"), nullptr);
}

TEST(ChannelList, MakeUniqueNames)
{
    const struct {
        std::vector<const char*> names;
        std::vector<std::string> unique;
    } cases[] = {
        {{"A", "B", "A"}, {"A", "B", "A@1"}},
        {{"U", "U", "U"}, {"U", "U@1", "U@2"}},
        {{"", ""}, {"", "@1"}},
        // Only the names count: an earlier literal "U@1" does not push the next one on.
        {{"U@1", "U", "U"}, {"U@1", "U", "U@1"}},
        {{"a", "A"}, {"a", "A"}},
    };
    for (const auto& c : cases) {
        CKSTChannelList list;
        for (const char* name : c.names) {
            list.AddCopy(Named(name, "same group"));
            list.GetAt(list.GetCount() - 1)->SetUniqueName("stale");
        }
        list.MakeUniqueNames();
        std::vector<std::string> unique;
        for (int i = 0; i < list.GetCount(); ++i) {
            unique.push_back(list.GetAt(i)->GetUniqueName().c_str());
        }
        EXPECT_EQ(unique, c.unique);
    }
}

TEST(ChannelList, WholeListTimeQueries)
{
    // Equidistant 2.0 .. 3.0 s in ms, then a time vector 1 .. 9 s in s.
    CKSTChannelList mixed;
    CKSTChannel grid = Equidistant(2.0, 0.5, 3);
    grid.SetTimeUnit("ms");
    mixed.AddCopy(grid);
    mixed.AddCopy(TimeVector({1, 4, 9}));

    // Empty channels count for the start and end but not for the interval.
    CKSTChannelList partly;
    partly.AddCopy(Equidistant(-3.0, 5.0, 0));
    partly.AddCopy(Equidistant(1.0, 1.0, 4));

    CKSTChannelList allEmpty;
    allEmpty.AddCopy(Equidistant(7.0, 2.0, 0));
    allEmpty.AddCopy(Equidistant(3.0, 0.5, 0));

    const CKSTChannelList none;

    const struct {
        const char* what;
        const CKSTChannelList& list;
        double start;
        double end;
        double interval;
        double maxInterval;
        uint32_t maxCount;
        const char* timeUnit;
    } cases[] = {
        {"mixed kinds", mixed, 1.0, 9.0, 0.5, 3.0, 3, "s"},
        {"partly empty", partly, -3.0, 4.0, 1.0, 5.0, 4, "s"},
        {"all empty: the first channel's times", allEmpty, 7.0, 7.0, 1e300, 2.0, 0, "s"},
        {"no channels", none, 0.0, 0.0, 0.0, 0.0, 0, "s"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(c.list.GetStartTime(), c.start);
        EXPECT_EQ(c.list.GetEndTime(), c.end);
        EXPECT_EQ(c.list.GetSampleInterval(), c.interval);
        EXPECT_EQ(c.list.GetMaxSampleInterval(), c.maxInterval);
        EXPECT_EQ(c.list.GetMaxSampleCount(), c.maxCount);
        EXPECT_STREQ(c.list.GetTimeUnit().c_str(), c.timeUnit);
    }

    CKSTChannelList onlyGrid;
    onlyGrid.AddCopy(grid);
    EXPECT_TRUE(onlyGrid.GetTimeUnit() == "ms");
}

TEST(ChannelList, WholeListTimeStamps)
{
    const CKSTTimeStamp s(2010, 6, 7, 8, 0, 0.0);
    CKSTChannelList list;
    CKSTChannel grid = Equidistant(10.0, 1.0, 3);  // 10 .. 12 s after s
    grid.SetStartTimeStamp(s);
    CKSTChannel times = TimeVector({0.0, 20.0});  // 5 .. 25 s after s
    times.SetStartTimeStamp(s + 5.0);
    CKSTChannel empty;
    empty.SetStartTimeStamp(s - 100.0);
    list.AddCopy(grid);
    list.AddCopy(empty);
    list.AddCopy(times);

    EXPECT_TRUE(list.GetEarliestStartTimeStamp() == s - 100.0);
    EXPECT_TRUE(list.GetFirstSampleTimeStamp() == s + 5.0);
    EXPECT_TRUE(list.GetLastSampleTimeStamp() == s + 25.0);

    CKSTChannelList allEmpty;
    CKSTChannel first;
    first.SetStartTimeStamp(s);
    first.SetT0(2.0);
    allEmpty.AddCopy(first);
    allEmpty.AddCopy(empty);
    EXPECT_TRUE(allEmpty.GetFirstSampleTimeStamp() == s + 2.0);
    EXPECT_TRUE(allEmpty.GetLastSampleTimeStamp() == s + 2.0);

    const CKSTChannelList none;
    EXPECT_TRUE(none.GetEarliestStartTimeStamp() == CKSTTimeStamp());
    EXPECT_TRUE(none.GetFirstSampleTimeStamp() == CKSTTimeStamp());

    list.SetStartTimeStamp(s + 1.0);
    for (int i = 0; i < list.GetCount(); ++i) {
        EXPECT_TRUE(list.GetAt(i)->GetStartTimeStamp() == s + 1.0);
    }
}

TEST(ChannelList, FlagsOverAllChannels)
{
    CKSTChannelList list;
    list.AddCopy(Equidistant(0.0, 1.0, 3));
    list.AddCopy(Equidistant(0.0, 1.0, 3));
    EXPECT_TRUE(list.HasCommonTimeBase());
    EXPECT_FALSE(list.HasMissingSamples());

    list.GetAt(1)->AppendValue(0.0, true);
    EXPECT_TRUE(list.HasMissingSamples());
    EXPECT_FALSE(list.HasCommonTimeBase());

    list.SelectAll(true);
    EXPECT_TRUE(list.GetAt(0)->IsSelected() && list.GetAt(1)->IsSelected());
    list.SelectAll(false);
    EXPECT_FALSE(list.GetAt(0)->IsSelected() || list.GetAt(1)->IsSelected());

    list.FreeAllData();
    EXPECT_EQ(list.GetMaxSampleCount(), 0u);
    EXPECT_FALSE(list.HasMissingSamples());
    EXPECT_EQ(list.GetAt(0)->GetCapacity(), 0u);

    CKSTChannelList single;
    EXPECT_TRUE(single.HasCommonTimeBase());
    single.AddCopy(TimeVector({0, 1}));
    EXPECT_TRUE(single.HasCommonTimeBase());
}

TEST(ChannelList, MemorySizeCountsTextsAndArrays)
{
    CKSTChannelList list;
    list.AddNew();
    const uint64_t base = list.GetMemorySize();

    list.SetText("abcd");
    EXPECT_EQ(list.GetMemorySize(), base + 4);

    CKSTChannel* c = list.GetAt(0);
    c->SetName("Speed");
    c->SetUnit("m/s");
    c->SetUniqueName("not counted");
    EXPECT_EQ(list.GetMemorySize(), base + 4 + 5 + 3);

    c->Reserve(1000);  // values and missing flags
    EXPECT_EQ(list.GetMemorySize(), base + 4 + 5 + 3 + 9000);

    c->AddValueText("on", false);
    c->AddValueText("off", false);
    EXPECT_EQ(list.GetMemorySize(), base + 4 + 5 + 3 + 9000 + 5);

    // A time vector also holds its times; a second channel adds its own record.
    const uint64_t before = list.GetMemorySize();
    list.AddCopy(TimeVector({1.0}));
    const uint64_t emptyRecord = base - CKSTChannelList().GetMemorySize();
    EXPECT_EQ(list.GetMemorySize(), before + emptyRecord + 17000);

    EXPECT_DOUBLE_EQ(list.GetMemorySizeMB(), list.GetMemorySize() / 1048576.0);
}

TEST(ChannelList, OperationsOnEveryChannel)
{
    CKSTChannelList list;
    list.AddCopy(TimeVector({0.0, 0.5, 1.0, 1.5, 2.0, 2.5}));
    list.AddCopy(TimeVector({0.0, 1.0, 2.5}));
    list.AddCopy(Equidistant(0.0, 1.0, 7));
    list.FinishAll();
    EXPECT_EQ(list.GetAt(0)->GetTimeBaseType(), CKSTChannel::kEquidistant);
    EXPECT_EQ(list.GetAt(0)->GetDt(), 0.5);
    EXPECT_EQ(list.GetAt(1)->GetTimeBaseType(), CKSTChannel::kTimeVector);

    CKSTChannelList reduced;
    reduced.CopyFrom(list);
    reduced.Decimate(2);
    EXPECT_EQ(reduced.GetAt(0)->GetCount(), 3u);
    EXPECT_EQ(reduced.GetAt(1)->GetCount(), 1u);
    EXPECT_EQ(reduced.GetAt(2)->GetValues()[0], 1.0);

    const struct {
        void (CKSTChannelList::*reduce)(uint32_t);
        double first;  // first value of the ramp 0 .. 6 reduced by 3
    } reductions[] = {{&CKSTChannelList::ReduceByAverage, 1.0},
                      {&CKSTChannelList::ReduceByMinimum, 0.0},
                      {&CKSTChannelList::ReduceByMaximum, 2.0}};
    for (const auto& r : reductions) {
        reduced.CopyFrom(list);
        (reduced.*r.reduce)(3);
        EXPECT_EQ(reduced.GetAt(2)->GetCount(), 2u);
        EXPECT_EQ(reduced.GetAt(2)->GetValues()[0], r.first);
        EXPECT_EQ(reduced.GetAt(1)->GetCount(), 1u);
    }
}

TEST(ChannelList, CopyTimeWindowOfEveryChannel)
{
    CKSTChannelList list;
    const CKSTTimeStamp start(2024, 1, 2, 3, 4, 5.0);
    list.AddCopy(Equidistant(0.0, 1.0, 10));
    list.AddCopy(Equidistant(0.0, 0.5, 10));
    list.GetAt(1)->SetStartTimeStamp(start + 2.0);
    list.GetAt(0)->SetStartTimeStamp(start);

    CKSTChannelList window;
    window.CopyTimeWindow(list, start + 3.0, start + 5.0, false);
    ASSERT_EQ(window.GetCount(), 2);
    EXPECT_EQ(window.GetAt(0)->GetCount(), 2u);
    EXPECT_EQ(window.GetAt(0)->GetValues()[0], 3.0);
    EXPECT_EQ(window.GetAt(1)->GetCount(), 4u);
    EXPECT_EQ(window.GetAt(1)->GetValues()[0], 2.0);
    EXPECT_NEAR((window.GetAt(1)->GetStartTimeStamp() - start).GetSeconds(), 3.0, 1e-6);
    EXPECT_EQ(list.GetAt(0)->GetCount(), 10u);

    window.CopyTimeWindow(window, start, start + 1.0, false);
    EXPECT_EQ(window.GetCount(), 2);
}

}  // namespace
