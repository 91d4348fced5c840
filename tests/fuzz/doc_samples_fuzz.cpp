// The samples of one channel of a container message, as the database archive and the
// controller client decode them: every block encoding (raw, packed, differences, segments,
// missing runs, time vectors) is reachable.
#include <cstddef>
#include <cstdint>

#include "data/Channel.h"
#include "data/DocFile.h"
#include "fuzz_memory.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1) {
        return 0;
    }
    // The first byte chooses the channel.
    const uint32_t index = data[0] & 7;
    CKSTMemBuffer message;
    message.Write(data + 1, 1, static_cast<uint32_t>(size - 1));
    message.SetPosition(0);
    CKSTChannel channel;
    CKSTDocFile file;
    // Any result will do: the read must only stay within its bytes.
    static_cast<void>(file.ReadSamplesFromMemory(channel, index, message));
    return 0;
}
