#include "instruments.h"

#include <algorithm>
#include <cmath>

#include "dsp.h"

namespace {

std::size_t Frames(double seconds) { return static_cast<std::size_t>(seconds * dsp::kSampleRate); }
double Seconds(std::size_t frames) { return static_cast<double>(frames) / dsp::kSampleRate; }

}  // namespace

void RenderKick(StereoBuffer& bus, std::size_t start, double velocity) {
    double phase = 0.0;
    dsp::Noise click;
    for (std::size_t i = 0; i < Frames(0.45); ++i) {
        const double t = Seconds(i);
        const double frequency = 46.0 + 110.0 * std::exp(-t / 0.035);
        phase += frequency / dsp::kSampleRate;
        const double body = std::sin(2.0 * dsp::kPi * phase) * std::exp(-t / 0.18);
        const double attack = click.Next() * std::exp(-t / 0.002) * 0.1;
        const double value = std::tanh(1.6 * (body + attack)) * velocity;
        bus.Add(start + i, value, 0.0);
    }
}

void RenderSnare(StereoBuffer& bus, std::size_t start, double velocity) {
    dsp::Noise noise;
    dsp::StateVariableFilter filter;
    double phase = 0.0;
    for (std::size_t i = 0; i < Frames(0.3); ++i) {
        const double t = Seconds(i);
        filter.Process(noise.Next(), 5200.0, 0.2);
        phase += (185.0 + 60.0 * std::exp(-t / 0.01)) / dsp::kSampleRate;
        const double tone = std::sin(2.0 * dsp::kPi * phase) * std::exp(-t / 0.05);
        const double rattle = (filter.band + 0.5 * filter.high) * std::exp(-t / 0.09);
        bus.Add(start + i, (0.55 * tone + 0.7 * rattle) * velocity, 0.05);
    }
}

void RenderHat(StereoBuffer& bus, std::size_t start, double velocity, bool open) {
    dsp::Noise noise;
    dsp::StateVariableFilter filter;
    const double decay = open ? 0.16 : 0.028;
    for (std::size_t i = 0; i < Frames(decay * 6.0); ++i) {
        const double t = Seconds(i);
        filter.Process(noise.Next(), 7000.0, 0.1);
        bus.Add(start + i, filter.high * std::exp(-t / decay) * velocity, 0.3);
    }
}

void RenderCrash(StereoBuffer& bus, std::size_t start, double velocity) {
    dsp::Noise noiseLeft;
    dsp::Noise noiseRight;
    noiseRight.state = 0x1234567u;
    dsp::StateVariableFilter left;
    dsp::StateVariableFilter right;
    for (std::size_t i = 0; i < Frames(2.2); ++i) {
        const double t = Seconds(i);
        left.Process(noiseLeft.Next(), 6000.0, 0.3);
        right.Process(noiseRight.Next(), 6300.0, 0.3);
        const double envelope = std::exp(-t / 0.55) * velocity;
        bus.Add(start + i, left.high * envelope, -1.0);
        bus.Add(start + i, right.high * envelope, 1.0);
    }
}

void RenderBass(StereoBuffer& bus, std::size_t start, int note, double length, double cutoff) {
    dsp::SawOscillator saw;
    dsp::PulseOscillator sub;
    dsp::StateVariableFilter filter;
    const double frequency = dsp::NoteFrequency(note);
    for (std::size_t i = 0; i < Frames(length + 0.08); ++i) {
        const double t = Seconds(i);
        const double raw = 0.6 * saw.Next(frequency) + 0.5 * sub.Next(frequency * 0.5, 0.5);
        filter.Process(raw, cutoff + 2200.0 * std::exp(-t / 0.07), 0.55);
        const double envelope = dsp::Envelope(t, length, 0.003, 0.2, 0.7, 0.02);
        bus.Add(start + i, filter.low * envelope, 0.0);
    }
}

void RenderArp(StereoBuffer& bus, std::size_t start, int note, double velocity, double pan) {
    dsp::PulseOscillator pulse;
    dsp::StateVariableFilter filter;
    const double frequency = dsp::NoteFrequency(note);
    for (std::size_t i = 0; i < Frames(0.25); ++i) {
        const double t = Seconds(i);
        filter.Process(pulse.Next(frequency, 0.25 + 0.1 * std::sin(t * 9.0)), 2500.0 + 4000.0 * std::exp(-t / 0.05), 0.3);
        const double envelope = dsp::Envelope(t, 0.06, 0.002, 0.05, 0.35, 0.04);
        bus.Add(start + i, filter.low * envelope * velocity, pan);
    }
}

void RenderLead(StereoBuffer& bus, std::size_t start, int note, double length) {
    dsp::SawOscillator sawLeft;
    dsp::SawOscillator sawRight;
    dsp::SawOscillator sawCentre;
    dsp::PulseOscillator pulse;
    dsp::StateVariableFilter filterLeft;
    dsp::StateVariableFilter filterRight;
    sawRight.phase = 0.37;
    pulse.phase = 0.61;
    for (std::size_t i = 0; i < Frames(length + 0.3); ++i) {
        const double t = Seconds(i);
        const double vibratoDepth = 0.18 * std::min(1.0, std::max(0.0, (t - 0.18) / 0.25));
        const double bend = vibratoDepth * std::sin(2.0 * dsp::kPi * 5.5 * t);
        const double frequency = dsp::NoteFrequency(note + bend);
        const double centre = 0.45 * sawCentre.Next(frequency) + 0.35 * pulse.Next(frequency * 2.0, 0.5);
        const double cutoff = 2400.0 + 2600.0 * std::exp(-t / 0.12);
        filterLeft.Process(centre + 0.6 * sawLeft.Next(frequency * 0.9948), cutoff, 0.25);
        filterRight.Process(centre + 0.6 * sawRight.Next(frequency * 1.0052), cutoff, 0.25);
        const double envelope = dsp::Envelope(t, length, 0.012, 0.25, 0.75, 0.09);
        bus.Add(start + i, filterLeft.low * envelope, -1.0);
        bus.Add(start + i, filterRight.low * envelope, 1.0);
    }
}

void RenderPad(StereoBuffer& bus, std::size_t start, const std::vector<int>& notes, double length) {
    for (std::size_t n = 0; n < notes.size(); ++n) {
        dsp::SawOscillator left[2];
        dsp::SawOscillator right[2];
        right[0].phase = 0.25;
        left[1].phase = 0.5;
        right[1].phase = 0.75;
        dsp::StateVariableFilter filterLeft;
        dsp::StateVariableFilter filterRight;
        const double frequency = dsp::NoteFrequency(notes[n]);
        for (std::size_t i = 0; i < Frames(length + 0.5); ++i) {
            const double t = Seconds(i);
            const double l = left[0].Next(frequency * 0.996) + left[1].Next(frequency * 1.003);
            const double r = right[0].Next(frequency * 1.004) + right[1].Next(frequency * 0.997);
            const double cutoff = 900.0 + 500.0 * std::sin(2.0 * dsp::kPi * 0.25 * t + n);
            filterLeft.Process(l, cutoff, 0.2);
            filterRight.Process(r, cutoff, 0.2);
            const double envelope = dsp::Envelope(t, length, 0.25, 0.6, 0.8, 0.35);
            bus.Add(start + i, filterLeft.low * envelope, -1.0);
            bus.Add(start + i, filterRight.low * envelope, 1.0);
        }
    }
}

void RenderRiser(StereoBuffer& bus, std::size_t start, double length) {
    dsp::Noise noise;
    dsp::StateVariableFilter filter;
    for (std::size_t i = 0; i < Frames(length); ++i) {
        const double progress = Seconds(i) / length;
        filter.Process(noise.Next(), 300.0 * std::pow(30.0, progress), 0.6);
        const double value = filter.band * progress * progress;
        bus.Add(start + i, value, std::sin(progress * 12.0) * 0.5);
    }
}
