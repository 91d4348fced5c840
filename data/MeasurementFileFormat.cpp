#include "data/MeasurementFileFormat.h"

#include <algorithm>
#include <atomic>

#include "data/ChannelList.h"
#include "data/DataSet.h"
#include "foundation/ErrorCodes.h"

namespace {

std::atomic<KstForeignFileFactory> g_factory{nullptr};

// Channels at positions whose selection entry is not selected go; positions beyond the
// selection list keep their channels.
void RemoveUnselected(CKSTChannelList& channels, const CKSTChannelList& selection)
{
    for (int i = std::min(channels.GetCount(), selection.GetCount()) - 1; i >= 0; --i) {
        const CKSTChannel* entry = selection.GetAt(i);
        if (entry != nullptr && !entry->IsSelected()) {
            channels.RemoveAt(i);
        }
    }
}

}  // namespace

int IKSTMeasurementFile::GetMemory(CKSTMemBuffer&)
{
    return KST_ERR_UNKNOWN_FILE_TYPE;
}

int IKSTMeasurementFile::CheckOpen() const
{
    return KST_OK;
}

int IKSTMeasurementFile::ReadDataSet(CKSTDataSet& dataSet, const CKSTChannelList* selection,
                                     bool textFlag, const CKSTTextFormat* textSettings)
{
    // Every read states its options, so none linger from an earlier call.
    SetReadSettings(textSettings);
    const int result = Read(dataSet, nullptr, textFlag);
    if (result == KST_OK && selection != nullptr) {
        RemoveUnselected(dataSet.GetChannels(), *selection);
    }
    return result;
}

int IKSTMeasurementFile::ReadChannelList(CKSTChannelList& list, const CKSTTextFormat* textSettings)
{
    CKSTDataSet dataSet;
    const int result = ReadDataSet(dataSet, nullptr, false, textSettings);
    if (result == KST_OK) {
        list.CopyDeep(dataSet.GetChannels());
    }
    return result;
}

void KstSetForeignFileFactory(KstForeignFileFactory factory)
{
    g_factory.store(factory);
}

std::unique_ptr<IKSTMeasurementFile> KstCreateForeignFile(int32_t type)
{
    const KstForeignFileFactory factory = g_factory.load();
    return factory != nullptr ? factory(type) : nullptr;
}
