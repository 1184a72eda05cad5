#include "arrangement.h"

#include "instruments.h"

namespace {

enum class Section { Intro, Groove, Theme, Breakdown, Build, Reprise };

// Bars 0-3 intro, 4-11 groove, 12-19 theme, 20-23 breakdown, 24-27 build, 28-35 reprise.
Section SectionOf(int bar) {
    if (bar < 4) return Section::Intro;
    if (bar < 12) return Section::Groove;
    if (bar < 20) return Section::Theme;
    if (bar < 24) return Section::Breakdown;
    if (bar < 28) return Section::Build;
    return Section::Reprise;
}

struct Chord {
    int bassNote;
    std::vector<int> voicing;
};

// A minor: Am F C G for the main parts, Dm F Am E under the breakdown and build.
const Chord kMainChords[] = {{33, {57, 60, 64}}, {29, {57, 60, 65}}, {36, {55, 60, 64}}, {31, {55, 59, 62}}};
const Chord kBreakChords[] = {{38, {57, 62, 65}}, {29, {57, 60, 65}}, {33, {57, 60, 64}}, {28, {56, 59, 64}}};

const Chord& ChordOf(int bar) {
    const Section section = SectionOf(bar);
    if (section == Section::Breakdown || section == Section::Build) {
        return kBreakChords[bar % 4];
    }
    return kMainChords[bar % 4];
}

struct MelodyNote {
    int bar;
    int step;
    int note;
    int steps;
};

const MelodyNote kTheme[] = {
    {0, 0, 76, 6}, {0, 6, 74, 2}, {0, 8, 72, 4}, {0, 12, 76, 4},
    {1, 0, 77, 6}, {1, 6, 76, 2}, {1, 8, 72, 4}, {1, 12, 69, 4},
    {2, 0, 79, 6}, {2, 6, 76, 2}, {2, 8, 72, 2}, {2, 10, 74, 2}, {2, 12, 76, 4},
    {3, 0, 74, 10}, {3, 10, 71, 2}, {3, 12, 74, 4},
    {4, 0, 76, 4}, {4, 4, 81, 4}, {4, 8, 79, 2}, {4, 10, 76, 2}, {4, 12, 72, 4},
    {5, 0, 77, 4}, {5, 4, 81, 4}, {5, 8, 79, 4}, {5, 12, 77, 4},
    {6, 0, 76, 4}, {6, 4, 79, 4}, {6, 8, 84, 4}, {6, 12, 83, 4},
    {7, 0, 74, 4}, {7, 4, 79, 4}, {7, 8, 83, 8},
};

const MelodyNote kBreakMelody[] = {
    {0, 0, 77, 8}, {0, 8, 76, 4}, {0, 12, 74, 4},
    {1, 0, 72, 8}, {1, 8, 69, 8},
    {2, 0, 76, 8}, {2, 8, 72, 4}, {2, 12, 76, 4},
    {3, 0, 80, 8}, {3, 8, 83, 4}, {3, 12, 80, 4},
};

constexpr double kStepSeconds = static_cast<double>(kStepFrames) / 44100.0;

std::size_t FrameOf(int bar, int step) {
    return (static_cast<std::size_t>(bar) * kStepsPerBar + static_cast<std::size_t>(step)) * kStepFrames;
}

template <std::size_t N>
void PlayMelody(Buses& buses, const MelodyNote (&melody)[N], int firstBar, int transpose) {
    for (const MelodyNote& note : melody) {
        RenderLead(buses.lead, FrameOf(firstBar + note.bar, note.step), note.note + transpose,
                   note.steps * kStepSeconds * 0.92);
    }
}

void PlayKick(Buses& buses, int bar, int step, double velocity) {
    RenderKick(buses.kick, FrameOf(bar, step), velocity);
    buses.kickFrames.push_back(FrameOf(bar, step));
}

// The last bar of a phrase: a snare run that hands over to the next section.
void PlayFill(Buses& buses, int bar, int firstStep, int lastStep) {
    for (int step = firstStep; step <= lastStep; ++step) {
        RenderSnare(buses.snare, FrameOf(bar, step), 0.35 + 0.5 * (step - firstStep) / (lastStep - firstStep + 1));
    }
}

void PlayDrums(Buses& buses, int bar) {
    const Section section = SectionOf(bar);
    const bool fillBar = bar == 11 || bar == 19 || bar == 35;
    // The track's last sixteenth stays empty so the loop seam falls on a breath.
    const int lastKickStep = bar == 35 ? 8 : 12;
    if (section != Section::Breakdown && bar != 27) {
        for (int step = 0; step <= lastKickStep; step += 4) {
            PlayKick(buses, bar, step, 0.95);
        }
    }
    if (bar == 27) {
        for (int step = 0; step < 8; step += 4) {
            PlayKick(buses, bar, step, 0.95);
        }
        for (int step = 0; step < 8; step += 2) {
            RenderSnare(buses.snare, FrameOf(bar, step), 0.2 + 0.04 * step);
        }
        PlayFill(buses, bar, 8, 15);
        RenderRiser(buses.effects, FrameOf(bar, 0), 16 * kStepSeconds);
        return;
    }
    if (section == Section::Intro) {
        for (int step = 2; step < 16; step += 4) {
            RenderHat(buses.hats, FrameOf(bar, step), 0.3, false);
        }
        if (bar == 3) {
            RenderRiser(buses.effects, FrameOf(bar, 0), 16 * kStepSeconds);
        }
        return;
    }
    if (section == Section::Breakdown) {
        for (int step = 2; step < 16; step += 4) {
            RenderHat(buses.hats, FrameOf(bar, step), 0.12, false);
        }
        return;
    }
    if (section == Section::Build) {
        RenderSnare(buses.snare, FrameOf(bar, 8), 0.7);
        for (int step = 2; step < 16; step += 4) {
            RenderHat(buses.hats, FrameOf(bar, step), 0.3, false);
        }
        return;
    }
    const int lastStep = bar == 35 ? 14 : 15;
    for (int step = 0; step <= lastStep; ++step) {
        const bool offbeat = step % 4 == 2;
        const bool open = offbeat && section == Section::Reprise;
        RenderHat(buses.hats, FrameOf(bar, step), offbeat ? 0.35 : 0.12, open);
    }
    if (fillBar) {
        RenderSnare(buses.snare, FrameOf(bar, 4), 0.8);
        PlayFill(buses, bar, bar == 35 ? 8 : 12, lastStep);
    } else {
        RenderSnare(buses.snare, FrameOf(bar, 4), 0.8);
        RenderSnare(buses.snare, FrameOf(bar, 12), 0.8);
    }
    if (bar == 4 || bar == 12 || bar == 28) {
        RenderCrash(buses.hats, FrameOf(bar, 0), 0.5);
    }
}

void PlayBass(Buses& buses, int bar) {
    const Section section = SectionOf(bar);
    const int root = ChordOf(bar).bassNote;
    if (section == Section::Breakdown) {
        RenderBass(buses.bass, FrameOf(bar, 0), root, 15 * kStepSeconds, 260.0);
        return;
    }
    if (section == Section::Build) {
        for (int step = 2; step < 16; step += 4) {
            RenderBass(buses.bass, FrameOf(bar, step), root, 1.5 * kStepSeconds, 300.0 + 120.0 * (bar - 24));
        }
        return;
    }
    const double cutoff = section == Section::Intro ? 220.0 + 150.0 * bar : 650.0;
    const int lastStep = bar == 35 ? 14 : 15;
    for (int beat = 0; beat < 4; ++beat) {
        const int offsets[] = {0, 12, 0};
        for (int i = 0; i < 3; ++i) {
            const int step = beat * 4 + 1 + i;
            if (step <= lastStep) {
                RenderBass(buses.bass, FrameOf(bar, step), root + offsets[i], 0.8 * kStepSeconds, cutoff);
            }
        }
    }
}

void PlayArp(Buses& buses, int bar) {
    const Section section = SectionOf(bar);
    if (section == Section::Intro) {
        return;
    }
    const std::vector<int>& voicing = ChordOf(bar).voicing;
    const int tones[] = {voicing[0], voicing[1], voicing[2], voicing[0] + 12, voicing[1] + 12, voicing[2] + 12};
    const int order[] = {0, 1, 2, 3, 4, 5, 4, 3, 1, 2, 3, 4, 5, 4, 3, 2};
    const int transpose = section == Section::Reprise ? 24 : 12;
    const double velocity = section == Section::Breakdown ? 0.5 : 1.0;
    const int lastStep = bar == 35 ? 14 : 15;
    for (int step = 0; step <= lastStep; ++step) {
        RenderArp(buses.arp, FrameOf(bar, step), tones[order[step]] + transpose, velocity, step % 2 ? 0.4 : -0.4);
    }
}

void PlayPad(Buses& buses, int bar) {
    const double length = (bar == 35 ? 14 : 16) * kStepSeconds;
    RenderPad(buses.pad, FrameOf(bar, 0), ChordOf(bar).voicing, length);
}

}  // namespace

Buses RenderArrangement() {
    Buses buses;
    for (int bar = 0; bar < kBars; ++bar) {
        PlayDrums(buses, bar);
        PlayBass(buses, bar);
        PlayArp(buses, bar);
        PlayPad(buses, bar);
    }
    PlayMelody(buses, kTheme, 12, 0);
    PlayMelody(buses, kBreakMelody, 20, 0);
    PlayMelody(buses, kBreakMelody, 24, 0);
    PlayMelody(buses, kTheme, 28, 0);
    return buses;
}
