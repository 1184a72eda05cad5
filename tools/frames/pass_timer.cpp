#include "tools/frames/pass_timer.h"

#include <windows.h>

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

// Spins until the query's data is there; S_FALSE means not yet, anything negative is a failure.
template <typename T>
bool WaitForData(ID3D11DeviceContext* context, ID3D11Query* query, T* data)
{
    for (;;) {
        const HRESULT result = context->GetData(query, data, sizeof(T), 0);
        if (result == S_OK) return true;
        if (FAILED(result)) return false;
    }
}

long long CounterNow()
{
    LARGE_INTEGER now = {};
    QueryPerformanceCounter(&now);
    return now.QuadPart;
}

}  // namespace

PassTimer::~PassTimer()
{
    for (ID3D11Query*& query : ends) Release(query);
    for (ID3D11Query*& query : starts) Release(query);
    Release(idle);
    Release(disjoint);
}

bool PassTimer::Create(ID3D11Device* device, int passes, std::string* error)
{
    starts.assign(static_cast<size_t>(passes), nullptr);
    ends.assign(static_cast<size_t>(passes), nullptr);
    wallStarts.assign(static_cast<size_t>(passes), 0);
    wallEnds.assign(static_cast<size_t>(passes), 0);
    if (!CreateQuery(device, D3D11_QUERY_TIMESTAMP_DISJOINT, &disjoint, "disjoint", error) ||
        !CreateQuery(device, D3D11_QUERY_EVENT, &idle, "event", error)) {
        return false;
    }
    for (size_t pass = 0; pass < starts.size(); ++pass) {
        if (!CreateQuery(device, D3D11_QUERY_TIMESTAMP, &starts[pass], "timestamp", error) ||
            !CreateQuery(device, D3D11_QUERY_TIMESTAMP, &ends[pass], "timestamp", error)) {
            return false;
        }
    }
    return true;
}

void PassTimer::BeginFrame(ID3D11DeviceContext* context) { context->Begin(disjoint); }

void PassTimer::WaitIdle(ID3D11DeviceContext* context)
{
    context->End(idle);
    BOOL done = FALSE;
    WaitForData(context, idle, &done);
}

void PassTimer::BeginPass(ID3D11DeviceContext* context, int pass)
{
    const size_t index = static_cast<size_t>(pass);
    WaitIdle(context);
    wallStarts[index] = CounterNow();
    context->End(starts[index]);
}

void PassTimer::EndPass(ID3D11DeviceContext* context, int pass)
{
    const size_t index = static_cast<size_t>(pass);
    context->End(ends[index]);
    WaitIdle(context);
    wallEnds[index] = CounterNow();
}

void PassTimer::EndFrame(ID3D11DeviceContext* context) { context->End(disjoint); }

bool PassTimer::Collect(ID3D11DeviceContext* context, std::vector<double>* gpuMilliseconds,
                        std::vector<double>* wallMilliseconds, std::string* error)
{
    LARGE_INTEGER counterFrequency = {};
    QueryPerformanceFrequency(&counterFrequency);
    wallMilliseconds->assign(starts.size(), 0.0);
    for (size_t pass = 0; pass < starts.size(); ++pass) {
        (*wallMilliseconds)[pass] = static_cast<double>(wallEnds[pass] - wallStarts[pass]) * 1000.0 /
                                    static_cast<double>(counterFrequency.QuadPart);
    }

    D3D11_QUERY_DATA_TIMESTAMP_DISJOINT clock = {};
    if (!WaitForData(context, disjoint, &clock)) {
        *error = "the disjoint query gave no data";
        return false;
    }
    if (clock.Disjoint || clock.Frequency == 0) {
        *error = "the GPU clock was disjoint during the frame";
        return false;
    }
    gpuMilliseconds->assign(starts.size(), 0.0);
    for (size_t pass = 0; pass < starts.size(); ++pass) {
        UINT64 start = 0;
        UINT64 end = 0;
        if (!WaitForData(context, starts[pass], &start) || !WaitForData(context, ends[pass], &end)) {
            *error = "a timestamp query gave no data";
            return false;
        }
        (*gpuMilliseconds)[pass] = static_cast<double>(end - start) * 1000.0 / static_cast<double>(clock.Frequency);
    }
    return true;
}
