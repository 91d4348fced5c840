// A reply message of the acquisition node as the node client takes it apart: the FIFO-values
// reply (property list, error code, read counter and the samples under their budget) and the
// FIFO list and recording status read from the same property list.
#include <cstddef>
#include <cstdint>

#include "acquisition/NodeProtocol.h"
#include "data/Channel.h"
#include "data/DocFile.h"
#include "fuzz_memory.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CKSTMemBuffer message;
    message.Write(data, 1, static_cast<uint32_t>(size));
    message.SetPosition(0);

    int64_t readCounter = 0;
    CKSTChannel samples;
    kst_node::ParseFifoValuesReply(message, readCounter, samples);

    CKSTHeaderInfoList reply;
    CKSTDocFile file;
    if (file.ReadPropertyListFromMemory(reply, message) == 0) {
        kst_node::ListFifos(reply);
        kst_node::KstNodeRecordingStatus status;
        kst_node::ParseRecordingStatusReply(reply, status);
        kst_node::TakeErrorCode(reply);
    }
    return 0;
}
