// Renders the intro's soundtrack to a 16-bit stereo 44,100 Hz WAV file named on the command line.
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "arrangement.h"
#include "effects.h"
#include "wav_file.h"

namespace {

void MixInto(StereoBuffer& mix, const StereoBuffer& bus, double gain) {
    for (std::size_t i = 0; i < mix.Frames(); ++i) {
        mix.left[i] += static_cast<float>(bus.left[i] * gain);
        mix.right[i] += static_cast<float>(bus.right[i] * gain);
    }
}

// Everything fades to nothing over the track's last sixteenth: whatever gap the MP3 encoder adds at
// the loop seam then falls into silence instead of cutting a sound off.
void FadeOutLastStep(StereoBuffer& mix) {
    const std::size_t start = mix.Frames() - kStepFrames;
    for (std::size_t i = start; i < mix.Frames(); ++i) {
        const double x = static_cast<double>(i - start) / kStepFrames;
        const float gain = static_cast<float>(0.5 + 0.5 * std::cos(x * 3.14159265358979323846));
        mix.left[i] *= gain;
        mix.right[i] *= gain;
    }
}

// Soft saturation, then a gain that puts the loudest sample at 0.9.
void Master(StereoBuffer& mix) {
    float peak = 0.0f;
    for (std::size_t i = 0; i < mix.Frames(); ++i) {
        mix.left[i] = std::tanh(mix.left[i] * 1.3f);
        mix.right[i] = std::tanh(mix.right[i] * 1.3f);
        peak = std::max({peak, std::fabs(mix.left[i]), std::fabs(mix.right[i])});
    }
    const float gain = peak > 0.0f ? 0.9f / peak : 1.0f;
    for (std::size_t i = 0; i < mix.Frames(); ++i) {
        mix.left[i] *= gain;
        mix.right[i] *= gain;
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT.wav\n", argv[0]);
        return 2;
    }
    Buses buses = RenderArrangement();

    ApplyGain(buses.pad, DuckingCurve(kTrackFrames, buses.kickFrames, 0.65));
    ApplyGain(buses.bass, DuckingCurve(kTrackFrames, buses.kickFrames, 0.4));
    ApplyGain(buses.arp, DuckingCurve(kTrackFrames, buses.kickFrames, 0.3));
    ApplyGain(buses.effects, DuckingCurve(kTrackFrames, buses.kickFrames, 0.3));

    StereoBuffer echoSend(kTrackFrames);
    MixInto(echoSend, buses.arp, 1.0);
    MixInto(echoSend, buses.lead, 0.6);
    const StereoBuffer echoes = PingPongDelay(echoSend, 3 * kStepFrames, 0.4);

    StereoBuffer reverbSend(kTrackFrames);
    MixInto(reverbSend, buses.pad, 0.8);
    MixInto(reverbSend, buses.lead, 0.7);
    MixInto(reverbSend, buses.snare, 1.2);
    MixInto(reverbSend, echoes, 0.5);
    const StereoBuffer reverb = Reverb(reverbSend, 0.86, 0.3);

    StereoBuffer mix(kTrackFrames);
    MixInto(mix, buses.kick, 0.75);
    MixInto(mix, buses.snare, 1.6);
    MixInto(mix, buses.hats, 1.5);
    MixInto(mix, buses.bass, 0.45);
    MixInto(mix, buses.arp, 0.16);
    MixInto(mix, buses.lead, 0.2);
    MixInto(mix, buses.pad, 0.06);
    MixInto(mix, buses.effects, 0.12);
    MixInto(mix, echoes, 0.1);
    MixInto(mix, reverb, 0.5);
    FadeOutLastStep(mix);
    Master(mix);

    if (!WriteWav16(argv[1], mix)) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    std::printf("%s: %zu frames, %.2f s\n", argv[1], mix.Frames(), mix.Frames() / 44100.0);
    return 0;
}
