#pragma once

#include <string>
#include <vector>

#include "tools/frames/frame_time.h"

// One picture to write.
struct FrameJob {
    FrameTime time;
    std::string outputPath;
};

// What htn_frames is asked to do: frames at one client size listed one by one, or the whole
// reference set (every reference size) written into a folder.
struct FramesOptions {
    FrameSize size{960, 540};
    std::vector<FrameJob> jobs;
    std::string referenceFolder;  // set by --reference-set
};

// The usage text.
extern const char kFramesUsage[];

// Reads the arguments (without the program name). Each --out ends one frame and takes the --t and
// --exit-t given since the previous one; --exit-t alone means an Escape at the reference time.
// False, with the reason in error, for anything malformed or incomplete.
bool ParseFramesOptions(const std::vector<std::string>& args, FramesOptions* options, std::string* error);
