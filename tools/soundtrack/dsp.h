#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>

// Small signal-processing building blocks shared by the instruments.
namespace dsp {

constexpr double kSampleRate = 44100.0;
constexpr double kPi = 3.14159265358979323846;

inline double NoteFrequency(double midiNote) { return 440.0 * std::pow(2.0, (midiNote - 69.0) / 12.0); }

// Band-limiting correction for a step at phase 0 (polyBLEP), so saws and pulses do not alias.
inline double PolyBlep(double phase, double increment) {
    if (phase < increment) {
        const double x = phase / increment;
        return x + x - x * x - 1.0;
    }
    if (phase > 1.0 - increment) {
        const double x = (phase - 1.0) / increment;
        return x * x + x + x + 1.0;
    }
    return 0.0;
}

struct SawOscillator {
    double phase = 0.0;
    double Next(double frequency) {
        const double increment = frequency / kSampleRate;
        const double value = 2.0 * phase - 1.0 - PolyBlep(phase, increment);
        phase += increment;
        phase -= std::floor(phase);
        return value;
    }
};

struct PulseOscillator {
    double phase = 0.0;
    double Next(double frequency, double duty) {
        const double increment = frequency / kSampleRate;
        double shifted = phase + 1.0 - duty;
        shifted -= std::floor(shifted);
        double value = (phase < duty ? 1.0 : -1.0) + PolyBlep(phase, increment) - PolyBlep(shifted, increment);
        phase += increment;
        phase -= std::floor(phase);
        return value;
    }
};

// Deterministic white noise, so every build of the track is byte-identical.
struct Noise {
    uint32_t state = 0x9E3779B9u;
    double Next() {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return static_cast<double>(state) / 2147483648.0 - 1.0;
    }
};

// Trapezoidal state-variable filter (stable at any cutoff); resonance 0 is gentle, towards 1 it rings.
struct StateVariableFilter {
    double low = 0.0;
    double band = 0.0;
    double high = 0.0;
    double state1 = 0.0;
    double state2 = 0.0;
    void Process(double input, double cutoff, double resonance) {
        cutoff = std::min(cutoff, kSampleRate * 0.45);
        const double g = std::tan(kPi * cutoff / kSampleRate);
        const double k = 2.0 * (1.0 - 0.95 * resonance);
        const double a1 = 1.0 / (1.0 + g * (g + k));
        const double a2 = g * a1;
        const double a3 = g * a2;
        const double v3 = input - state2;
        band = a1 * state1 + a2 * v3;
        low = state2 + a2 * state1 + a3 * v3;
        high = input - k * band - low;
        state1 = 2.0 * band - state1;
        state2 = 2.0 * low - state2;
    }
};

// Linear attack then exponential decay towards the sustain level, and an exponential release.
inline double Envelope(double t, double length, double attack, double decay, double sustain, double release) {
    auto held = [&](double at) {
        if (at < attack) {
            return at / attack;
        }
        return sustain + (1.0 - sustain) * std::exp(-(at - attack) / decay);
    };
    if (t < length) {
        return held(t);
    }
    return held(length) * std::exp(-(t - length) / release);
}

}  // namespace dsp
