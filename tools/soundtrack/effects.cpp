#include "effects.h"

#include <algorithm>
#include <cmath>

StereoBuffer PingPongDelay(const StereoBuffer& input, std::size_t delayFrames, double feedback) {
    StereoBuffer output(input.Frames());
    for (std::size_t i = delayFrames; i < input.Frames(); ++i) {
        const std::size_t j = i - delayFrames;
        output.right[i] = static_cast<float>(input.left[j] + feedback * output.left[j]);
        output.left[i] = static_cast<float>(input.right[j] + feedback * output.right[j]);
    }
    return output;
}

namespace {

struct Comb {
    std::vector<float> line;
    std::size_t index = 0;
    float store = 0.0f;
    explicit Comb(std::size_t length) : line(length, 0.0f) {}
    float Process(float input, float feedback, float damping) {
        const float output = line[index];
        store = output * (1.0f - damping) + store * damping;
        line[index] = input + store * feedback;
        index = (index + 1) % line.size();
        return output;
    }
};

struct AllPass {
    std::vector<float> line;
    std::size_t index = 0;
    explicit AllPass(std::size_t length) : line(length, 0.0f) {}
    float Process(float input) {
        const float delayed = line[index];
        line[index] = input + delayed * 0.5f;
        index = (index + 1) % line.size();
        return delayed - input;
    }
};

void ReverbChannel(const StereoBuffer& input, std::vector<float>& output, std::size_t spread, double roomSize,
                   double damping) {
    const std::size_t combLengths[] = {1116, 1188, 1277, 1356, 1422, 1491};
    std::vector<Comb> combs;
    for (std::size_t length : combLengths) {
        combs.emplace_back(length + spread);
    }
    AllPass allPasses[] = {AllPass(556 + spread), AllPass(441 + spread), AllPass(341 + spread)};
    for (std::size_t i = 0; i < input.Frames(); ++i) {
        const float mono = 0.5f * (input.left[i] + input.right[i]) * 0.015f;
        float sum = 0.0f;
        for (Comb& comb : combs) {
            sum += comb.Process(mono, static_cast<float>(roomSize), static_cast<float>(damping));
        }
        for (AllPass& allPass : allPasses) {
            sum = allPass.Process(sum);
        }
        output[i] = sum;
    }
}

}  // namespace

StereoBuffer Reverb(const StereoBuffer& input, double roomSize, double damping) {
    StereoBuffer output(input.Frames());
    ReverbChannel(input, output.left, 0, roomSize, damping);
    ReverbChannel(input, output.right, 23, roomSize, damping);
    return output;
}

std::vector<float> DuckingCurve(std::size_t frames, const std::vector<std::size_t>& kicks, double depth) {
    std::vector<float> gain(frames, 1.0f);
    for (std::size_t kick : kicks) {
        for (std::size_t i = kick; i < frames && i < kick + 22050; ++i) {
            const double t = static_cast<double>(i - kick) / 44100.0;
            const double dip = 1.0 - depth * std::exp(-t / 0.09);
            gain[i] = static_cast<float>(std::min<double>(gain[i], dip));
        }
    }
    return gain;
}

void ApplyGain(StereoBuffer& bus, const std::vector<float>& gain) {
    for (std::size_t i = 0; i < bus.Frames(); ++i) {
        bus.left[i] *= gain[i];
        bus.right[i] *= gain[i];
    }
}
