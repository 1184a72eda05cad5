#pragma once

#include <d3d11.h>

#include <string>
#include <vector>

// Times of the passes of one frame, two ways: on the GPU's clock from Direct3D 11 timestamp
// queries (a disjoint query around the frame, a pair of timestamps around each pass's draw), and
// on the CPU's clock from the moment the pipeline is idle before the draw until an event query
// says the draw is done. Renderers that draw only at a flush (software ones) give meaningful
// figures only for the second.
class PassTimer {
public:
    PassTimer() = default;
    ~PassTimer();
    PassTimer(const PassTimer&) = delete;
    PassTimer& operator=(const PassTimer&) = delete;

    bool Create(ID3D11Device* device, int passes, std::string* error);

    void BeginFrame(ID3D11DeviceContext* context);
    // Waits until the pipeline is idle, then starts the pass's clocks; EndPass waits for its draw.
    void BeginPass(ID3D11DeviceContext* context, int pass);
    void EndPass(ID3D11DeviceContext* context, int pass);
    void EndFrame(ID3D11DeviceContext* context);

    // Milliseconds per pass on the CPU clock, then, after waiting for the frame's queries, on the
    // GPU's. False when the frame's timestamps are unreliable (disjoint) or unavailable, error
    // saying which; the CPU clock's figures are there either way.
    bool Collect(ID3D11DeviceContext* context, std::vector<double>* gpuMilliseconds,
                 std::vector<double>* wallMilliseconds, std::string* error);

private:
    void WaitIdle(ID3D11DeviceContext* context);

    ID3D11Query* disjoint = nullptr;
    ID3D11Query* idle = nullptr;
    std::vector<ID3D11Query*> starts;
    std::vector<ID3D11Query*> ends;
    std::vector<long long> wallStarts;
    std::vector<long long> wallEnds;
};
