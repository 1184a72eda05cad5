#include "support/shader_bench.h"

#include <windows.h>
#include <d3d11.h>
#include <d3dcompiler.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <utility>

#include "shaders/shader_source.h"

namespace {

// Holds one counted reference and releases it when it goes.
template <typename T>
class ComRef {
public:
    ComRef() = default;
    ~ComRef() { Reset(); }
    ComRef(const ComRef&) = delete;
    ComRef& operator=(const ComRef&) = delete;
    ComRef(ComRef&& other) noexcept : ptr(other.ptr) { other.ptr = nullptr; }
    ComRef& operator=(ComRef&& other) noexcept {
        if (this != &other) {
            Reset();
            ptr = other.ptr;
            other.ptr = nullptr;
        }
        return *this;
    }

    T* Get() const { return ptr; }
    T* operator->() const { return ptr; }
    T** Out() {
        Reset();
        return &ptr;
    }
    void Reset() {
        if (ptr) {
            ptr->Release();
            ptr = nullptr;
        }
    }

private:
    T* ptr = nullptr;
};

std::string HexCode(HRESULT code) {
    char text[16];
    std::snprintf(text, sizeof text, "%08lX", static_cast<unsigned long>(code));
    return text;
}

bool Failed(const char* what, HRESULT code, std::string* error) {
    if (SUCCEEDED(code)) return false;
    *error = std::string(what) + " failed: 0x" + HexCode(code);
    return true;
}

D3D11_SAMPLER_DESC SamplerDesc(D3D11_TEXTURE_ADDRESS_MODE address) {
    D3D11_SAMPLER_DESC desc = {};
    desc.Filter = D3D11_FILTER_MIN_MAG_MIP_LINEAR;
    desc.AddressU = address;
    desc.AddressV = address;
    desc.AddressW = address;
    desc.MaxLOD = D3D11_FLOAT32_MAX;
    return desc;
}

}  // namespace

BenchConstants MakeBenchConstants(int width, int height, float time) {
    BenchConstants constants = {};
    constants.resolution[0] = static_cast<float>(width);
    constants.resolution[1] = static_cast<float>(height);
    constants.invResolution[0] = 1.0f / constants.resolution[0];
    constants.invResolution[1] = 1.0f / constants.resolution[1];
    constants.time = time;
    return constants;
}

const char* VertexProfile(ProfileFamily family) { return family == ProfileFamily::Sm5 ? "vs_5_0" : "vs_4_0"; }
const char* PixelProfile(ProfileFamily family) { return family == ProfileFamily::Sm5 ? "ps_5_0" : "ps_4_0"; }

struct ShaderBench::Objects {
    std::string deviceError;
    ComRef<ID3D11Device> device;
    ComRef<ID3D11DeviceContext> context;
    ComRef<ID3D11SamplerState> linearSampler;
    ComRef<ID3D11SamplerState> maskSampler;
    std::map<std::string, ComRef<ID3D11VertexShader>> vertexShaders;
    std::map<std::string, ComRef<ID3D11PixelShader>> pixelShaders;

    bool CompileBlob(const std::string& entry, const char* profile, const std::string& extraSource,
                     ComRef<ID3DBlob>* code, std::string* message);
    ID3D11VertexShader* VertexShader(ProfileFamily family, const std::string& extraSource, std::string* error);
    ID3D11PixelShader* PixelShader(const BenchPass& pass, std::string* error);
};

bool ShaderBench::Objects::CompileBlob(const std::string& entry, const char* profile,
                                       const std::string& extraSource, ComRef<ID3DBlob>* code,
                                       std::string* message) {
    std::string text(ShaderSource, ShaderSourceSize);
    text += extraSource;
    ComRef<ID3DBlob> errors;
    const UINT flags = D3DCOMPILE_ENABLE_STRICTNESS | D3DCOMPILE_OPTIMIZATION_LEVEL3;
    HRESULT result = D3DCompile(text.data(), text.size(), nullptr, nullptr, nullptr, entry.c_str(), profile,
                                flags, 0, code->Out(), errors.Out());
    message->clear();
    if (errors.Get()) {
        message->assign(static_cast<const char*>(errors->GetBufferPointer()), errors->GetBufferSize());
    }
    if (FAILED(result) || !code->Get()) {
        *message = entry + " " + profile + ": D3DCompile 0x" + HexCode(result) + "\n" + *message;
        return false;
    }
    return true;
}

ID3D11VertexShader* ShaderBench::Objects::VertexShader(ProfileFamily family, const std::string& extraSource,
                                                       std::string* error) {
    const char* profile = VertexProfile(family);
    std::string key = std::string(profile) + "|" + extraSource;
    auto found = vertexShaders.find(key);
    if (found != vertexShaders.end()) return found->second.Get();

    ComRef<ID3DBlob> code;
    if (!CompileBlob("VS", profile, extraSource, &code, error)) return nullptr;
    ComRef<ID3D11VertexShader> shader;
    if (Failed("CreateVertexShader",
               device->CreateVertexShader(code->GetBufferPointer(), code->GetBufferSize(), nullptr, shader.Out()),
               error)) {
        return nullptr;
    }
    return vertexShaders.emplace(key, std::move(shader)).first->second.Get();
}

ID3D11PixelShader* ShaderBench::Objects::PixelShader(const BenchPass& pass, std::string* error) {
    const char* profile = PixelProfile(pass.profiles);
    std::string key = pass.entry + "|" + profile + "|" + pass.extraSource;
    auto found = pixelShaders.find(key);
    if (found != pixelShaders.end()) return found->second.Get();

    ComRef<ID3DBlob> code;
    if (!CompileBlob(pass.entry, profile, pass.extraSource, &code, error)) return nullptr;
    ComRef<ID3D11PixelShader> shader;
    if (Failed("CreatePixelShader",
               device->CreatePixelShader(code->GetBufferPointer(), code->GetBufferSize(), nullptr, shader.Out()),
               error)) {
        return nullptr;
    }
    return pixelShaders.emplace(key, std::move(shader)).first->second.Get();
}

ShaderBench::ShaderBench() : objects(new Objects) {
    const D3D_FEATURE_LEVEL levels[] = {D3D_FEATURE_LEVEL_11_0, D3D_FEATURE_LEVEL_10_0};
    D3D_FEATURE_LEVEL level = {};
    std::string& error = objects->deviceError;
    if (Failed("D3D11CreateDevice",
               D3D11CreateDevice(nullptr, D3D_DRIVER_TYPE_HARDWARE, nullptr, 0, levels, 2, D3D11_SDK_VERSION,
                                 objects->device.Out(), &level, objects->context.Out()),
               &error)) {
        return;
    }
    D3D11_SAMPLER_DESC linear = SamplerDesc(D3D11_TEXTURE_ADDRESS_CLAMP);
    if (Failed("CreateSamplerState(linear)",
               objects->device->CreateSamplerState(&linear, objects->linearSampler.Out()), &error)) {
        return;
    }
    D3D11_SAMPLER_DESC border = SamplerDesc(D3D11_TEXTURE_ADDRESS_BORDER);
    Failed("CreateSamplerState(maskBorder)", objects->device->CreateSamplerState(&border, objects->maskSampler.Out()),
           &error);
}

// Shaders first, then samplers, the context and last the device.
ShaderBench::~ShaderBench() {
    if (objects->context.Get()) objects->context->ClearState();
    objects->pixelShaders.clear();
    objects->vertexShaders.clear();
    objects->maskSampler.Reset();
    objects->linearSampler.Reset();
    objects->context.Reset();
    objects->device.Reset();
}

const std::string& ShaderBench::DeviceError() const { return objects->deviceError; }

bool ShaderBench::Compile(const std::string& entry, const char* profile, const std::string& extraSource,
                          std::string* message) {
    ComRef<ID3DBlob> code;
    return objects->CompileBlob(entry, profile, extraSource, &code, message);
}

namespace {

bool MakeTexture(ID3D11Device* device, const char* tag, const BenchTexture& image, DXGI_FORMAT format,
                 ComRef<ID3D11Texture2D>* texture, ComRef<ID3D11ShaderResourceView>* view, std::string* error) {
    if (image.width <= 0 || image.height <= 0 ||
        image.pixels.size() != static_cast<size_t>(image.width) * image.height * 4) {
        *error = std::string(tag) + ": pixels do not match the texture size";
        return false;
    }
    D3D11_TEXTURE2D_DESC desc = {};
    desc.Width = static_cast<UINT>(image.width);
    desc.Height = static_cast<UINT>(image.height);
    desc.MipLevels = 1;
    desc.ArraySize = 1;
    desc.Format = format;
    desc.SampleDesc.Count = 1;
    desc.Usage = D3D11_USAGE_IMMUTABLE;
    desc.BindFlags = D3D11_BIND_SHADER_RESOURCE;
    D3D11_SUBRESOURCE_DATA data = {};
    data.pSysMem = image.pixels.data();
    data.SysMemPitch = static_cast<UINT>(image.width) * 4;
    if (Failed(tag, device->CreateTexture2D(&desc, &data, texture->Out()), error)) return false;
    return !Failed(tag, device->CreateShaderResourceView(texture->Get(), nullptr, view->Out()), error);
}

}  // namespace

bool ShaderBench::Render(const BenchPass& pass, BenchFrame* frame, std::string* error) {
    if (!objects->deviceError.empty()) {
        *error = objects->deviceError;
        return false;
    }
    ID3D11Device* device = objects->device.Get();
    ID3D11DeviceContext* context = objects->context.Get();

    ID3D11VertexShader* vertexShader = objects->VertexShader(pass.profiles, pass.extraSource, error);
    if (!vertexShader) return false;
    ID3D11PixelShader* pixelShader = objects->PixelShader(pass, error);
    if (!pixelShader) return false;

    D3D11_TEXTURE2D_DESC targetDesc = {};
    targetDesc.Width = static_cast<UINT>(pass.width);
    targetDesc.Height = static_cast<UINT>(pass.height);
    targetDesc.MipLevels = 1;
    targetDesc.ArraySize = 1;
    targetDesc.Format = DXGI_FORMAT_R8G8B8A8_UNORM;
    targetDesc.SampleDesc.Count = 1;
    targetDesc.Usage = D3D11_USAGE_DEFAULT;
    targetDesc.BindFlags = D3D11_BIND_RENDER_TARGET;
    ComRef<ID3D11Texture2D> target;
    if (Failed("CreateTexture2D(RT)", device->CreateTexture2D(&targetDesc, nullptr, target.Out()), error)) return false;
    ComRef<ID3D11RenderTargetView> targetView;
    if (Failed("CreateRenderTargetView", device->CreateRenderTargetView(target.Get(), nullptr, targetView.Out()),
               error)) {
        return false;
    }

    D3D11_BUFFER_DESC bufferDesc = {};
    bufferDesc.ByteWidth = sizeof(BenchConstants);
    bufferDesc.Usage = D3D11_USAGE_DEFAULT;
    bufferDesc.BindFlags = D3D11_BIND_CONSTANT_BUFFER;
    D3D11_SUBRESOURCE_DATA constantData = {};
    constantData.pSysMem = &pass.constants;
    ComRef<ID3D11Buffer> constants;
    if (Failed("CreateBuffer(CB)", device->CreateBuffer(&bufferDesc, &constantData, constants.Out()), error)) {
        return false;
    }

    ComRef<ID3D11Texture2D> maskTexture, inputTexture;
    ComRef<ID3D11ShaderResourceView> maskView, inputView;
    if (pass.mask &&
        !MakeTexture(device, "mask texture", *pass.mask, DXGI_FORMAT_B8G8R8A8_UNORM, &maskTexture, &maskView, error)) {
        return false;
    }
    if (pass.input &&
        !MakeTexture(device, "input texture", *pass.input, DXGI_FORMAT_R8G8B8A8_UNORM, &inputTexture, &inputView, error)) {
        return false;
    }

    D3D11_VIEWPORT viewport = {};
    viewport.Width = static_cast<float>(pass.width);
    viewport.Height = static_cast<float>(pass.height);
    viewport.MaxDepth = 1.0f;
    const float black[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    ID3D11RenderTargetView* targetViews[] = {targetView.Get()};
    ID3D11SamplerState* samplers[] = {objects->linearSampler.Get(), objects->maskSampler.Get()};
    ID3D11ShaderResourceView* views[] = {maskView.Get(), inputView.Get()};
    ID3D11Buffer* buffers[] = {constants.Get()};

    context->RSSetViewports(1, &viewport);
    context->OMSetRenderTargets(1, targetViews, nullptr);
    context->ClearRenderTargetView(targetView.Get(), black);
    context->IASetInputLayout(nullptr);
    context->IASetPrimitiveTopology(D3D11_PRIMITIVE_TOPOLOGY_TRIANGLELIST);
    context->VSSetShader(vertexShader, nullptr, 0);
    context->PSSetShader(pixelShader, nullptr, 0);
    context->PSSetSamplers(0, 2, samplers);
    context->PSSetShaderResources(0, 2, views);
    context->VSSetConstantBuffers(0, 1, buffers);
    context->PSSetConstantBuffers(0, 1, buffers);
    context->Draw(3, 0);

    ID3D11ShaderResourceView* noViews[] = {nullptr, nullptr};
    context->PSSetShaderResources(0, 2, noViews);
    context->OMSetRenderTargets(0, nullptr, nullptr);

    D3D11_TEXTURE2D_DESC stagingDesc = targetDesc;
    stagingDesc.Usage = D3D11_USAGE_STAGING;
    stagingDesc.BindFlags = 0;
    stagingDesc.CPUAccessFlags = D3D11_CPU_ACCESS_READ;
    ComRef<ID3D11Texture2D> staging;
    if (Failed("CreateTexture2D(staging)", device->CreateTexture2D(&stagingDesc, nullptr, staging.Out()), error)) {
        return false;
    }
    context->CopyResource(staging.Get(), target.Get());
    D3D11_MAPPED_SUBRESOURCE mapped = {};
    if (Failed("Map(staging)", context->Map(staging.Get(), 0, D3D11_MAP_READ, 0, &mapped), error)) return false;

    frame->width = pass.width;
    frame->height = pass.height;
    frame->rgba.resize(static_cast<size_t>(pass.width) * pass.height * 4);
    const size_t rowBytes = static_cast<size_t>(pass.width) * 4;
    for (int y = 0; y < pass.height; ++y) {
        std::memcpy(frame->rgba.data() + y * rowBytes, static_cast<const uint8_t*>(mapped.pData) + y * mapped.RowPitch,
                    rowBytes);
    }
    context->Unmap(staging.Get(), 0);
    return true;
}

ShaderBench& SharedShaderBench() {
    static ShaderBench bench;
    return bench;
}
