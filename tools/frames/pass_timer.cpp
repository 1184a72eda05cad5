#include "tools/frames/pass_timer.h"

#include <windows.h>

#include <cstdio>
#include <string>

#include "tools/frames/call_failure.h"

namespace {

void Release(ID3D11Query*& query)
{
    if (query) query->Release();
    query = nullptr;
}

bool CreateQuery(ID3D11Device* device, D3D11_QUERY kind, ID3D11Query** query, const char* what, std::string* error)
{
    D3D11_QUERY_DESC desc = {};
    desc.Query = kind;
    const HRESULT result = device->CreateQuery(&desc, query);
    if (SUCCEEDED(result) && *query) return true;
    *error = CallFailure((std::string("CreateQuery(") + what + ")").c_str(), result);
    return false;
}

long long CounterNow()
{
    LARGE_INTEGER now = {};
    QueryPerformanceCounter(&now);
    return now.QuadPart;
}

double CounterSeconds(long long ticks)
{
    LARGE_INTEGER frequency = {};
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(ticks) / static_cast<double>(frequency.QuadPart);
}

long long CounterTicks(double seconds)
{
    LARGE_INTEGER frequency = {};
    QueryPerformanceFrequency(&frequency);
    return static_cast<long long>(seconds * static_cast<double>(frequency.QuadPart));
}

}  // namespace

QueryWait WaitForQuery(const std::function<HRESULT()>& poll, double limitSeconds)
{
    const long long deadline = CounterNow() + CounterTicks(limitSeconds);
    for (;;) {
        // The clock is read before the poll, so an answer that comes with the last poll counts.
        const bool late = CounterNow() >= deadline;
        const HRESULT result = poll();
        if (result == S_OK) return QueryWait::Done;
        if (FAILED(result)) return QueryWait::Failed;
        if (late) return QueryWait::Stalled;
    }
}

std::string StallText(const std::string& query, const std::string& slot, double limitSeconds)
{
    char limit[32];
    std::snprintf(limit, sizeof limit, "%g", limitSeconds);
    return "stalled: " + query + " of " + slot + " gave no answer in " + limit + " s";
}

PassTimer::~PassTimer()
{
    for (ID3D11Query*& query : ends) Release(query);
    for (ID3D11Query*& query : starts) Release(query);
    Release(idle);
    Release(disjoint);
}

bool PassTimer::Create(ID3D11Device* device, const std::vector<std::string>& slotNames, bool gpuTimestamps,
                       double waitLimitSeconds, std::string* error)
{
    waitLimit = waitLimitSeconds;
    names = slotNames;
    wallStarts.assign(names.size(), 0);
    wallEnds.assign(names.size(), 0);
    if (!CreateQuery(device, D3D11_QUERY_EVENT, &idle, "event", error)) return false;
    if (!gpuTimestamps) return true;
    starts.assign(names.size(), nullptr);
    ends.assign(names.size(), nullptr);
    if (!CreateQuery(device, D3D11_QUERY_TIMESTAMP_DISJOINT, &disjoint, "disjoint", error)) return false;
    for (size_t slot = 0; slot < names.size(); ++slot) {
        if (!CreateQuery(device, D3D11_QUERY_TIMESTAMP, &starts[slot], "timestamp", error) ||
            !CreateQuery(device, D3D11_QUERY_TIMESTAMP, &ends[slot], "timestamp", error)) {
            return false;
        }
    }
    return true;
}

template <typename T>
bool PassTimer::Wait(ID3D11DeviceContext* context, ID3D11Query* query, T* data, const std::string& what,
                     const std::string& slot, bool* stalled, std::string* error)
{
    // GetData without DONOTFLUSH lets the runtime flush what the query waits for.
    const QueryWait outcome =
        WaitForQuery([&] { return context->GetData(query, data, sizeof(T), 0); }, waitLimit);
    if (outcome == QueryWait::Done) return true;
    *stalled = outcome == QueryWait::Stalled;
    *error = *stalled ? StallText(what, slot, waitLimit) : what + " of " + slot + " failed";
    return false;
}

bool PassTimer::WaitIdle(ID3D11DeviceContext* context, int slot, const char* what, std::string* error)
{
    context->End(idle);
    BOOL done = FALSE;
    bool stalled = false;
    return Wait(context, idle, &done, what, names[static_cast<size_t>(slot)], &stalled, error);
}

void PassTimer::BeginFrame(ID3D11DeviceContext* context)
{
    if (disjoint) context->Begin(disjoint);
}

bool PassTimer::BeginPass(ID3D11DeviceContext* context, int slot, std::string* error)
{
    const size_t index = static_cast<size_t>(slot);
    if (!WaitIdle(context, slot, "the event query before the draw", error)) return false;
    wallStarts[index] = CounterNow();
    if (!starts.empty()) context->End(starts[index]);
    return true;
}

bool PassTimer::EndPass(ID3D11DeviceContext* context, int slot, std::string* error)
{
    const size_t index = static_cast<size_t>(slot);
    if (!ends.empty()) context->End(ends[index]);
    if (!WaitIdle(context, slot, "the event query after the draw", error)) return false;
    wallEnds[index] = CounterNow();
    return true;
}

void PassTimer::EndFrame(ID3D11DeviceContext* context)
{
    if (disjoint) context->End(disjoint);
}

bool PassTimer::Collect(ID3D11DeviceContext* context, std::vector<double>* gpuMilliseconds,
                        std::vector<double>* wallMilliseconds, bool* stalled, std::string* error)
{
    *stalled = false;
    wallMilliseconds->assign(names.size(), 0.0);
    for (size_t slot = 0; slot < names.size(); ++slot) {
        (*wallMilliseconds)[slot] = CounterSeconds(wallEnds[slot] - wallStarts[slot]) * 1000.0;
    }
    if (!disjoint) {
        *error = "no GPU timestamps were taken";
        return false;
    }

    D3D11_QUERY_DATA_TIMESTAMP_DISJOINT clock = {};
    const std::string frame = "the frame's " + std::to_string(names.size()) + " timed draws";
    if (!Wait(context, disjoint, &clock, "the disjoint query", frame, stalled, error)) return false;
    if (clock.Disjoint || clock.Frequency == 0) {
        *error = "the GPU clock was disjoint during the frame";
        return false;
    }
    gpuMilliseconds->assign(names.size(), 0.0);
    for (size_t slot = 0; slot < names.size(); ++slot) {
        UINT64 start = 0;
        UINT64 end = 0;
        if (!Wait(context, starts[slot], &start, "the start timestamp", names[slot], stalled, error) ||
            !Wait(context, ends[slot], &end, "the end timestamp", names[slot], stalled, error)) {
            return false;
        }
        (*gpuMilliseconds)[slot] = static_cast<double>(end - start) * 1000.0 / static_cast<double>(clock.Frequency);
    }
    return true;
}
