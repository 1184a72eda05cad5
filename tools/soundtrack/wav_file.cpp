#include "wav_file.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <fstream>

namespace {

void PutLittleEndian(std::ofstream& out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        out.put(static_cast<char>((value >> (8 * i)) & 0xFF));
    }
}

int16_t ToPcm16(float sample) {
    const float clamped = std::clamp(sample, -1.0f, 1.0f);
    return static_cast<int16_t>(std::lround(clamped * 32767.0f));
}

}  // namespace

bool WriteWav16(const std::string& path, const StereoBuffer& audio) {
    std::ofstream out(path, std::ios::binary);
    if (!out) {
        return false;
    }
    const uint32_t dataBytes = static_cast<uint32_t>(audio.Frames() * 4);
    out.write("RIFF", 4);
    PutLittleEndian(out, 36 + dataBytes, 4);
    out.write("WAVEfmt ", 8);
    PutLittleEndian(out, 16, 4);
    PutLittleEndian(out, 1, 2);
    PutLittleEndian(out, 2, 2);
    PutLittleEndian(out, 44100, 4);
    PutLittleEndian(out, 176400, 4);
    PutLittleEndian(out, 4, 2);
    PutLittleEndian(out, 16, 2);
    out.write("data", 4);
    PutLittleEndian(out, dataBytes, 4);
    for (std::size_t i = 0; i < audio.Frames(); ++i) {
        PutLittleEndian(out, static_cast<uint16_t>(ToPcm16(audio.left[i])), 2);
        PutLittleEndian(out, static_cast<uint16_t>(ToPcm16(audio.right[i])), 2);
    }
    return static_cast<bool>(out);
}
