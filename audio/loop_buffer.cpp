#include "audio/loop_buffer.h"

LoopBufferFields MusicLoopBuffer(std::size_t trackBytes, uint16_t blockAlign)
{
    LoopBufferFields buffer;
    buffer.audioBytes = static_cast<uint32_t>(trackBytes);
    buffer.loopLength = blockAlign == 0 ? 0 : static_cast<uint32_t>(trackBytes / blockAlign);
    buffer.loopCount = kLoopForever;
    return buffer;
}
