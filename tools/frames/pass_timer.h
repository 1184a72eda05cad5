#pragma once

#include <d3d11.h>

#include <functional>
#include <string>
#include <vector>

// How a wait for a query ended.
enum class QueryWait { Done, Failed, Stalled };

// Polls until poll gives S_OK (Done), a failure code (Failed), or limitSeconds have passed on the
// CPU clock with only S_FALSE (Stalled). Polls at least once, however small the limit.
QueryWait WaitForQuery(const std::function<HRESULT()>& poll, double limitSeconds);

// What a stalled wait reports: "stalled: <query> of <slot> gave no answer in <limit> s".
std::string StallText(const std::string& query, const std::string& slot, double limitSeconds);

// A wait longer than this is taken for a query that will never answer. The slowest draw timed
// (the end card at 3840x2160 on the software renderer of a busy 2-core machine) takes a few
// seconds; a query that has not answered in two minutes is stuck.
constexpr double kDefaultQueryWaitSeconds = 120.0;

// Times of the passes of one frame on the CPU's clock, from the moment the pipeline is idle before
// a draw until an event query says the draw is done; with gpuTimestamps also on the GPU's clock,
// from Direct3D 11 timestamp queries (a disjoint query around the frame, a pair of timestamps
// around each draw). Renderers that draw only at a flush (software ones) give meaningful figures
// only on the CPU's clock, and there no timestamp query is made: DXVK on lavapipe can leave a
// disjoint query unanswered for good.
//
// Every wait ends after the wait limit; a stalled query spoils the frame, and the calls return
// false with error naming the slot and the query.
class PassTimer {
public:
    PassTimer() = default;
    ~PassTimer();
    PassTimer(const PassTimer&) = delete;
    PassTimer& operator=(const PassTimer&) = delete;

    // One slot per timed draw of a frame; slotNames say what each one draws, for the reports.
    bool Create(ID3D11Device* device, const std::vector<std::string>& slotNames, bool gpuTimestamps,
                double waitLimitSeconds, std::string* error);

    void BeginFrame(ID3D11DeviceContext* context);
    // Waits until the pipeline is idle, then starts the slot's clocks; EndPass waits for its draw.
    bool BeginPass(ID3D11DeviceContext* context, int slot, std::string* error);
    bool EndPass(ID3D11DeviceContext* context, int slot, std::string* error);
    void EndFrame(ID3D11DeviceContext* context);

    // Milliseconds per slot on the CPU clock, then, with GPU timestamps, after waiting for the
    // frame's queries, on the GPU's. False when the GPU's figures are missing: the frame's
    // timestamps were unreliable (disjoint) or a query stalled (stalled then set), error saying
    // which; the CPU clock's figures are there either way.
    bool Collect(ID3D11DeviceContext* context, std::vector<double>* gpuMilliseconds,
                 std::vector<double>* wallMilliseconds, bool* stalled, std::string* error);

private:
    // Ends the event query and waits for it; what names the wait in a stall report.
    bool WaitIdle(ID3D11DeviceContext* context, int slot, const char* what, std::string* error);
    template <typename T>
    bool Wait(ID3D11DeviceContext* context, ID3D11Query* query, T* data, const std::string& what,
              const std::string& slot, bool* stalled, std::string* error);

    double waitLimit = kDefaultQueryWaitSeconds;
    std::vector<std::string> names;
    ID3D11Query* disjoint = nullptr;
    ID3D11Query* idle = nullptr;
    std::vector<ID3D11Query*> starts;
    std::vector<ID3D11Query*> ends;
    std::vector<long long> wallStarts;
    std::vector<long long> wallEnds;
};
