#pragma once

#include <cstddef>
#include <cstdint>

// The values of the one buffer handed to the source voice, apart from the data pointer.
struct LoopBufferFields {
    uint32_t flags = 0;
    uint32_t audioBytes = 0;
    uint32_t playBegin = 0;
    uint32_t playLength = 0;
    uint32_t loopBegin = 0;
    uint32_t loopLength = 0;
    uint32_t loopCount = 0;
};

// The engine's "loop forever" count.
constexpr uint32_t kLoopForever = 255;

// The whole track played from its start and repeated without end; the loop is counted in whole
// frames of blockAlign bytes. Flags stay 0: the buffer never marks an end of stream.
LoopBufferFields MusicLoopBuffer(std::size_t trackBytes, uint16_t blockAlign);
