#include "render_test_doubles.h"

#include <cstring>
#include <map>
#include <mutex>

#include "render/renderer.h"

namespace {

RenderScript script;
// Guards the script's injections and compile log, which a compile on a worker thread touches too.
std::mutex scriptLock;

// {1c9d3b2e-5f0a-4e47-9a61-7b2f0d8c4e15}
const GUID kWitnessGuid = {0x1c9d3b2e, 0x5f0a, 0x4e47, {0x9a, 0x61, 0x7b, 0x2f, 0x0d, 0x8c, 0x4e, 0x15}};

class DestructionWitness final : public IUnknown {
public:
    explicit DestructionWitness(const char* name) : name_(name) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override
    {
        if (riid == IID_IUnknown) {
            *object = this;
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override
    {
        const ULONG left = --references_;
        if (left == 0) {
            script.log.push_back(name_);
            delete this;
        }
        return left;
    }

private:
    std::string name_;
    ULONG references_ = 1;
};

// Forwards every call to the real device, failing the scripted ones with no object.
class DeviceDouble final : public ID3D11Device {
public:
    explicit DeviceDouble(ID3D11Device* real) : real_(real) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override
    {
        if (riid == IID_IUnknown || riid == IID_ID3D11Device) {
            *object = this;
            AddRef();
            return S_OK;
        }
        return real_->QueryInterface(riid, object);
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override
    {
        script.log.push_back("device");
        if (script.onDeviceRelease) script.onDeviceRelease();
        const ULONG left = --references_;
        if (left == 0) {
            real_->Release();
            delete this;
        }
        return left;
    }

    HRESULT STDMETHODCALLTYPE CreateBuffer(const D3D11_BUFFER_DESC* desc, const D3D11_SUBRESOURCE_DATA* data,
                                           ID3D11Buffer** buffer) override
    {
        HRESULT result = S_OK;
        if (script.ShouldFail("CreateBuffer", result)) return Refuse(result, buffer);
        return real_->CreateBuffer(desc, data, buffer);
    }
    HRESULT STDMETHODCALLTYPE CreateTexture1D(const D3D11_TEXTURE1D_DESC* desc, const D3D11_SUBRESOURCE_DATA* data,
                                              ID3D11Texture1D** texture) override
    {
        return real_->CreateTexture1D(desc, data, texture);
    }
    HRESULT STDMETHODCALLTYPE CreateTexture2D(const D3D11_TEXTURE2D_DESC* desc, const D3D11_SUBRESOURCE_DATA* data,
                                              ID3D11Texture2D** texture) override
    {
        HRESULT result = S_OK;
        if (script.ShouldFail("CreateTexture2D", result)) return Refuse(result, texture);
        result = real_->CreateTexture2D(desc, data, texture);
        if (script.witnessTextures && SUCCEEDED(result) && *texture) WitnessDestruction(*texture, "texture");
        return result;
    }
    HRESULT STDMETHODCALLTYPE CreateTexture3D(const D3D11_TEXTURE3D_DESC* desc, const D3D11_SUBRESOURCE_DATA* data,
                                              ID3D11Texture3D** texture) override
    {
        return real_->CreateTexture3D(desc, data, texture);
    }
    HRESULT STDMETHODCALLTYPE CreateShaderResourceView(ID3D11Resource* resource,
                                                       const D3D11_SHADER_RESOURCE_VIEW_DESC* desc,
                                                       ID3D11ShaderResourceView** view) override
    {
        HRESULT result = S_OK;
        if (script.ShouldFail("CreateShaderResourceView", result)) return Refuse(result, view);
        return real_->CreateShaderResourceView(resource, desc, view);
    }
    HRESULT STDMETHODCALLTYPE CreateUnorderedAccessView(ID3D11Resource* resource,
                                                        const D3D11_UNORDERED_ACCESS_VIEW_DESC* desc,
                                                        ID3D11UnorderedAccessView** view) override
    {
        return real_->CreateUnorderedAccessView(resource, desc, view);
    }
    HRESULT STDMETHODCALLTYPE CreateRenderTargetView(ID3D11Resource* resource,
                                                     const D3D11_RENDER_TARGET_VIEW_DESC* desc,
                                                     ID3D11RenderTargetView** view) override
    {
        HRESULT result = S_OK;
        if (script.ShouldFail("CreateRenderTargetView", result)) return Refuse(result, view);
        return real_->CreateRenderTargetView(resource, desc, view);
    }
    HRESULT STDMETHODCALLTYPE CreateDepthStencilView(ID3D11Resource* resource,
                                                     const D3D11_DEPTH_STENCIL_VIEW_DESC* desc,
                                                     ID3D11DepthStencilView** view) override
    {
        return real_->CreateDepthStencilView(resource, desc, view);
    }
    HRESULT STDMETHODCALLTYPE CreateInputLayout(const D3D11_INPUT_ELEMENT_DESC* elements, UINT count,
                                                const void* code, SIZE_T length,
                                                ID3D11InputLayout** layout) override
    {
        return real_->CreateInputLayout(elements, count, code, length, layout);
    }
    HRESULT STDMETHODCALLTYPE CreateVertexShader(const void* code, SIZE_T length, ID3D11ClassLinkage* linkage,
                                                 ID3D11VertexShader** shader) override
    {
        HRESULT result = S_OK;
        if (script.ShouldFail("CreateVertexShader", result)) return Refuse(result, shader);
        return real_->CreateVertexShader(code, length, linkage, shader);
    }
    HRESULT STDMETHODCALLTYPE CreateGeometryShader(const void* code, SIZE_T length, ID3D11ClassLinkage* linkage,
                                                   ID3D11GeometryShader** shader) override
    {
        return real_->CreateGeometryShader(code, length, linkage, shader);
    }
    HRESULT STDMETHODCALLTYPE CreateGeometryShaderWithStreamOutput(
        const void* code, SIZE_T length, const D3D11_SO_DECLARATION_ENTRY* entries, UINT entryCount,
        const UINT* strides, UINT strideCount, UINT stream, ID3D11ClassLinkage* linkage,
        ID3D11GeometryShader** shader) override
    {
        return real_->CreateGeometryShaderWithStreamOutput(code, length, entries, entryCount, strides, strideCount,
                                                           stream, linkage, shader);
    }
    HRESULT STDMETHODCALLTYPE CreatePixelShader(const void* code, SIZE_T length, ID3D11ClassLinkage* linkage,
                                                ID3D11PixelShader** shader) override
    {
        HRESULT result = S_OK;
        if (script.ShouldFail("CreatePixelShader", result)) return Refuse(result, shader);
        return real_->CreatePixelShader(code, length, linkage, shader);
    }
    HRESULT STDMETHODCALLTYPE CreateHullShader(const void* code, SIZE_T length, ID3D11ClassLinkage* linkage,
                                               ID3D11HullShader** shader) override
    {
        return real_->CreateHullShader(code, length, linkage, shader);
    }
    HRESULT STDMETHODCALLTYPE CreateDomainShader(const void* code, SIZE_T length, ID3D11ClassLinkage* linkage,
                                                 ID3D11DomainShader** shader) override
    {
        return real_->CreateDomainShader(code, length, linkage, shader);
    }
    HRESULT STDMETHODCALLTYPE CreateComputeShader(const void* code, SIZE_T length, ID3D11ClassLinkage* linkage,
                                                  ID3D11ComputeShader** shader) override
    {
        return real_->CreateComputeShader(code, length, linkage, shader);
    }
    HRESULT STDMETHODCALLTYPE CreateClassLinkage(ID3D11ClassLinkage** linkage) override
    {
        return real_->CreateClassLinkage(linkage);
    }
    HRESULT STDMETHODCALLTYPE CreateBlendState(const D3D11_BLEND_DESC* desc, ID3D11BlendState** state) override
    {
        HRESULT result = S_OK;
        if (script.ShouldFail("CreateBlendState", result)) return Refuse(result, state);
        return real_->CreateBlendState(desc, state);
    }
    HRESULT STDMETHODCALLTYPE CreateDepthStencilState(const D3D11_DEPTH_STENCIL_DESC* desc,
                                                      ID3D11DepthStencilState** state) override
    {
        return real_->CreateDepthStencilState(desc, state);
    }
    HRESULT STDMETHODCALLTYPE CreateRasterizerState(const D3D11_RASTERIZER_DESC* desc,
                                                    ID3D11RasterizerState** state) override
    {
        return real_->CreateRasterizerState(desc, state);
    }
    HRESULT STDMETHODCALLTYPE CreateSamplerState(const D3D11_SAMPLER_DESC* desc, ID3D11SamplerState** state) override
    {
        HRESULT result = S_OK;
        if (script.ShouldFail("CreateSamplerState", result)) return Refuse(result, state);
        return real_->CreateSamplerState(desc, state);
    }
    HRESULT STDMETHODCALLTYPE CreateQuery(const D3D11_QUERY_DESC* desc, ID3D11Query** query) override
    {
        return real_->CreateQuery(desc, query);
    }
    HRESULT STDMETHODCALLTYPE CreatePredicate(const D3D11_QUERY_DESC* desc, ID3D11Predicate** predicate) override
    {
        return real_->CreatePredicate(desc, predicate);
    }
    HRESULT STDMETHODCALLTYPE CreateCounter(const D3D11_COUNTER_DESC* desc, ID3D11Counter** counter) override
    {
        return real_->CreateCounter(desc, counter);
    }
    HRESULT STDMETHODCALLTYPE CreateDeferredContext(UINT flags, ID3D11DeviceContext** context) override
    {
        return real_->CreateDeferredContext(flags, context);
    }
    HRESULT STDMETHODCALLTYPE OpenSharedResource(HANDLE handle, REFIID riid, void** resource) override
    {
        return real_->OpenSharedResource(handle, riid, resource);
    }
    HRESULT STDMETHODCALLTYPE CheckFormatSupport(DXGI_FORMAT format, UINT* support) override
    {
        return real_->CheckFormatSupport(format, support);
    }
    HRESULT STDMETHODCALLTYPE CheckMultisampleQualityLevels(DXGI_FORMAT format, UINT count, UINT* levels) override
    {
        return real_->CheckMultisampleQualityLevels(format, count, levels);
    }
    void STDMETHODCALLTYPE CheckCounterInfo(D3D11_COUNTER_INFO* info) override { real_->CheckCounterInfo(info); }
    HRESULT STDMETHODCALLTYPE CheckCounter(const D3D11_COUNTER_DESC* desc, D3D11_COUNTER_TYPE* type, UINT* active,
                                           LPSTR name, UINT* nameLength, LPSTR units, UINT* unitsLength,
                                           LPSTR description, UINT* descriptionLength) override
    {
        return real_->CheckCounter(desc, type, active, name, nameLength, units, unitsLength, description,
                                   descriptionLength);
    }
    HRESULT STDMETHODCALLTYPE CheckFeatureSupport(D3D11_FEATURE feature, void* data, UINT size) override
    {
        return real_->CheckFeatureSupport(feature, data, size);
    }
    HRESULT STDMETHODCALLTYPE GetPrivateData(REFGUID guid, UINT* size, void* data) override
    {
        return real_->GetPrivateData(guid, size, data);
    }
    HRESULT STDMETHODCALLTYPE SetPrivateData(REFGUID guid, UINT size, const void* data) override
    {
        return real_->SetPrivateData(guid, size, data);
    }
    HRESULT STDMETHODCALLTYPE SetPrivateDataInterface(REFGUID guid, const IUnknown* data) override
    {
        return real_->SetPrivateDataInterface(guid, data);
    }
    D3D_FEATURE_LEVEL STDMETHODCALLTYPE GetFeatureLevel() override { return real_->GetFeatureLevel(); }
    UINT STDMETHODCALLTYPE GetCreationFlags() override { return real_->GetCreationFlags(); }
    HRESULT STDMETHODCALLTYPE GetDeviceRemovedReason() override { return real_->GetDeviceRemovedReason(); }
    void STDMETHODCALLTYPE GetImmediateContext(ID3D11DeviceContext** context) override
    {
        real_->GetImmediateContext(context);
    }
    HRESULT STDMETHODCALLTYPE SetExceptionMode(UINT flags) override { return real_->SetExceptionMode(flags); }
    UINT STDMETHODCALLTYPE GetExceptionMode() override { return real_->GetExceptionMode(); }

private:
    template <typename T>
    static HRESULT Refuse(HRESULT result, T** object)
    {
        *object = nullptr;
        return result;
    }

    ID3D11Device* real_;
    ULONG references_ = 1;
};

// Forwards every call to the real swap chain; fails the scripted ones, refuses a resize while a
// render target is bound (as Windows does when a view of the buffers is still referenced), and
// can copy buffer 0 at every Present.
class SwapChainDouble final : public IDXGISwapChain {
public:
    SwapChainDouble(IDXGISwapChain* real, ID3D11Device* device) : real_(real), device_(device) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override
    {
        if (riid == IID_IUnknown || riid == IID_IDXGIObject || riid == IID_IDXGIDeviceSubObject ||
            riid == IID_IDXGISwapChain) {
            *object = this;
            AddRef();
            return S_OK;
        }
        return real_->QueryInterface(riid, object);
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override
    {
        script.log.push_back("swapChain");
        const ULONG left = --references_;
        if (left == 0) {
            real_->Release();
            delete this;
        }
        return left;
    }

    HRESULT STDMETHODCALLTYPE SetPrivateData(REFGUID guid, UINT size, const void* data) override
    {
        return real_->SetPrivateData(guid, size, data);
    }
    HRESULT STDMETHODCALLTYPE SetPrivateDataInterface(REFGUID guid, const IUnknown* object) override
    {
        return real_->SetPrivateDataInterface(guid, object);
    }
    HRESULT STDMETHODCALLTYPE GetPrivateData(REFGUID guid, UINT* size, void* data) override
    {
        return real_->GetPrivateData(guid, size, data);
    }
    HRESULT STDMETHODCALLTYPE GetParent(REFIID riid, void** parent) override { return real_->GetParent(riid, parent); }
    HRESULT STDMETHODCALLTYPE GetDevice(REFIID riid, void** device) override { return real_->GetDevice(riid, device); }

    HRESULT STDMETHODCALLTYPE Present(UINT interval, UINT flags) override
    {
        HRESULT result = S_OK;
        if (!script.ShouldFail("Present", result)) {
            if (script.presentMilliseconds > 0) Sleep(static_cast<DWORD>(script.presentMilliseconds));
            ++script.presents;
            if (script.capturePresents && !(flags & DXGI_PRESENT_TEST)) Capture();
            result = real_->Present(interval, flags);
        }
        script.presentCalls.push_back(RenderScript::PresentCall{interval, flags, result});
        if (script.onPresent) script.onPresent();
        return result;
    }
    HRESULT STDMETHODCALLTYPE GetBuffer(UINT index, REFIID riid, void** surface) override
    {
        HRESULT result = S_OK;
        if (script.ShouldFail("GetBuffer", result)) {
            *surface = nullptr;
            return result;
        }
        return real_->GetBuffer(index, riid, surface);
    }
    HRESULT STDMETHODCALLTYPE SetFullscreenState(WINBOOL fullscreen, IDXGIOutput* target) override
    {
        return real_->SetFullscreenState(fullscreen, target);
    }
    HRESULT STDMETHODCALLTYPE GetFullscreenState(WINBOOL* fullscreen, IDXGIOutput** target) override
    {
        return real_->GetFullscreenState(fullscreen, target);
    }
    HRESULT STDMETHODCALLTYPE GetDesc(DXGI_SWAP_CHAIN_DESC* desc) override { return real_->GetDesc(desc); }
    HRESULT STDMETHODCALLTYPE ResizeBuffers(UINT count, UINT width, UINT height, DXGI_FORMAT format,
                                            UINT flags) override
    {
        HRESULT result = S_OK;
        ++script.resizes;
        if (script.ShouldFail("ResizeBuffers", result)) return result;
        if (TargetBound()) {
            ++script.resizesWithBoundTarget;
            return DXGI_ERROR_INVALID_CALL;
        }
        return real_->ResizeBuffers(count, width, height, format, flags);
    }
    HRESULT STDMETHODCALLTYPE ResizeTarget(const DXGI_MODE_DESC* mode) override { return real_->ResizeTarget(mode); }
    HRESULT STDMETHODCALLTYPE GetContainingOutput(IDXGIOutput** output) override
    {
        return real_->GetContainingOutput(output);
    }
    HRESULT STDMETHODCALLTYPE GetFrameStatistics(DXGI_FRAME_STATISTICS* stats) override
    {
        return real_->GetFrameStatistics(stats);
    }
    HRESULT STDMETHODCALLTYPE GetLastPresentCount(UINT* count) override { return real_->GetLastPresentCount(count); }

private:
    bool TargetBound()
    {
        ID3D11DeviceContext* context = nullptr;
        device_->GetImmediateContext(&context);
        ID3D11RenderTargetView* bound = nullptr;
        context->OMGetRenderTargets(1, &bound, nullptr);
        context->Release();
        if (!bound) return false;
        bound->Release();
        return true;
    }

    void Capture()
    {
        ID3D11Texture2D* buffer = nullptr;
        if (FAILED(real_->GetBuffer(0, IID_ID3D11Texture2D, reinterpret_cast<void**>(&buffer)))) return;
        D3D11_TEXTURE2D_DESC desc = {};
        buffer->GetDesc(&desc);
        desc.Usage = D3D11_USAGE_STAGING;
        desc.BindFlags = 0;
        desc.CPUAccessFlags = D3D11_CPU_ACCESS_READ;
        desc.MiscFlags = 0;
        ID3D11Texture2D* staging = nullptr;
        ID3D11DeviceContext* context = nullptr;
        device_->GetImmediateContext(&context);
        if (SUCCEEDED(device_->CreateTexture2D(&desc, nullptr, &staging))) {
            context->CopyResource(staging, buffer);
            D3D11_MAPPED_SUBRESOURCE mapped = {};
            if (SUCCEEDED(context->Map(staging, 0, D3D11_MAP_READ, 0, &mapped))) {
                script.presentedWidth = desc.Width;
                script.presentedHeight = desc.Height;
                script.presented.resize(static_cast<size_t>(desc.Width) * desc.Height * 4);
                for (UINT row = 0; row < desc.Height; ++row) {
                    std::memcpy(&script.presented[static_cast<size_t>(row) * desc.Width * 4],
                                static_cast<const uint8_t*>(mapped.pData) + static_cast<size_t>(row) * mapped.RowPitch,
                                static_cast<size_t>(desc.Width) * 4);
                }
                context->Unmap(staging, 0);
            }
            staging->Release();
        }
        context->Release();
        buffer->Release();
    }

    IDXGISwapChain* real_;
    ID3D11Device* device_;  // the real device, held through the swap chain's own reference
    ULONG references_ = 1;
};

HRESULT WINAPI CreateWrapped(IDXGIAdapter* adapter, D3D_DRIVER_TYPE driverType, HMODULE software, UINT flags,
                             const D3D_FEATURE_LEVEL* levels, UINT levelCount, UINT sdkVersion,
                             const DXGI_SWAP_CHAIN_DESC* desc, IDXGISwapChain** swapChain, ID3D11Device** device,
                             D3D_FEATURE_LEVEL* featureLevel, ID3D11DeviceContext** context)
{
    HRESULT result = S_OK;
    if (script.ShouldFail("D3D11CreateDeviceAndSwapChain", result)) {
        *swapChain = nullptr;
        *device = nullptr;
        *context = nullptr;
        return result;
    }
    const D3D_FEATURE_LEVEL level10[] = {D3D_FEATURE_LEVEL_10_0};
    if (script.onlyFeatureLevel10) {
        levels = level10;
        levelCount = 1;
    }
    ID3D11Device* realDevice = nullptr;
    IDXGISwapChain* realSwapChain = nullptr;
    result = D3D11CreateDeviceAndSwapChain(adapter, driverType, software, flags, levels, levelCount, sdkVersion, desc,
                                           &realSwapChain, &realDevice, featureLevel, context);
    if (FAILED(result)) return result;
    *swapChain = new SwapChainDouble(realSwapChain, realDevice);
    *device = new DeviceDouble(realDevice);
    return result;
}

HRESULT WINAPI CompileScripted(LPCVOID source, SIZE_T size, LPCSTR name, const D3D_SHADER_MACRO* defines,
                               ID3DInclude* include, LPCSTR entry, LPCSTR profile, UINT flags, UINT effectFlags,
                               ID3DBlob** code, ID3DBlob** messages)
{
    {
        // The end card may compile on its own thread beside the others.
        const std::lock_guard<std::mutex> hold(scriptLock);
        script.compiledProfiles.push_back(std::string(entry) + ":" + profile);
    }
    HRESULT result = S_OK;
    if (script.ShouldFail(std::string("D3DCompile:") + entry, result)) {
        *code = nullptr;
        static const char text[] = "injected compile error";
        if (messages && SUCCEEDED(D3DCreateBlob(sizeof(text), messages))) {
            std::memcpy((*messages)->GetBufferPointer(), text, sizeof(text));
        }
        return result;
    }
    return D3DCompile(source, size, name, defines, include, entry, profile, flags, effectFlags, code, messages);
}

}  // namespace

void RenderScript::Fail(const std::string& call, int occurrence, HRESULT result)
{
    injections.push_back(Injection{call, occurrence, result});
}

bool RenderScript::ShouldFail(const std::string& call, HRESULT& result)
{
    const std::lock_guard<std::mutex> hold(scriptLock);
    bool fail = false;
    for (Injection& injection : injections) {
        if (injection.call != call || injection.remaining <= 0) continue;
        if (--injection.remaining == 0) {
            fail = true;
            result = injection.result;
        }
    }
    return fail;
}

RenderScript& Script() { return script; }

void InstallRenderDoubles()
{
    script = RenderScript();
    rendererPlatform = RendererPlatform{&CreateWrapped, &CompileScripted};
}

void RemoveRenderDoubles() { rendererPlatform = SystemRendererPlatform(); }

ID3D11Device* WrapDevice(ID3D11Device* real) { return new DeviceDouble(real); }

void WitnessDestruction(ID3D11DeviceChild* object, const char* name)
{
    DestructionWitness* witness = new DestructionWitness(name);
    object->SetPrivateDataInterface(kWitnessGuid, witness);
    witness->Release();
}

namespace {

// Release watching: the Release slot of each watched object's table of methods is pointed at
// WatchingRelease, which logs the calls that come from this executable (the program under test)
// and passes every call on. Calls from inside the graphics runtime (a view dropping its texture,
// say) are not the program's and go unlogged, as do calls on other threads.
using ReleaseEntry = ULONG(STDMETHODCALLTYPE*)(IUnknown*);
constexpr size_t kReleaseSlot = 2;  // IUnknown: QueryInterface, AddRef, Release

struct ReleaseWatch {
    DWORD thread = 0;
    std::map<IUnknown*, std::string> names;
    std::map<void**, ReleaseEntry> originals;  // per patched method table
};

ReleaseWatch watch;

void** MethodTable(IUnknown* object) { return *reinterpret_cast<void***>(object); }

void WriteReleaseSlot(void** table, void* entry)
{
    DWORD protection = 0;
    VirtualProtect(&table[kReleaseSlot], sizeof(void*), PAGE_READWRITE, &protection);
    table[kReleaseSlot] = entry;
    DWORD unused = 0;
    VirtualProtect(&table[kReleaseSlot], sizeof(void*), protection, &unused);
    FlushInstructionCache(GetCurrentProcess(), &table[kReleaseSlot], sizeof(void*));
}

bool CalledFromThisExecutable(const void* returnAddress)
{
    const auto* base = reinterpret_cast<const uint8_t*>(GetModuleHandleW(nullptr));
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const auto* address = static_cast<const uint8_t*>(returnAddress);
    return address >= base && address < base + nt->OptionalHeader.SizeOfImage;
}

ULONG STDMETHODCALLTYPE WatchingRelease(IUnknown* self)
{
    const ReleaseEntry original = watch.originals.at(MethodTable(self));
    if (GetCurrentThreadId() == watch.thread && CalledFromThisExecutable(__builtin_return_address(0))) {
        const auto named = watch.names.find(self);
        if (named != watch.names.end()) script.log.push_back(named->second);
    }
    return original(self);
}

}  // namespace

void WatchReleases(IUnknown* object, const char* name)
{
    watch.thread = GetCurrentThreadId();
    watch.names[object] = name;
    void** table = MethodTable(object);
    if (watch.originals.count(table)) return;
    watch.originals[table] = reinterpret_cast<ReleaseEntry>(table[kReleaseSlot]);
    WriteReleaseSlot(table, reinterpret_cast<void*>(&WatchingRelease));
}

void StopWatchingReleases()
{
    for (const auto& [table, original] : watch.originals) WriteReleaseSlot(table, reinterpret_cast<void*>(original));
    watch = ReleaseWatch();
}
