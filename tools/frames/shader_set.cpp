#include "tools/frames/shader_set.h"

#include <d3dcompiler.h>

#include "core/intro_state.h"
#include "shaders/shader_source.h"
#include "tools/frames/call_failure.h"

namespace {

// The renderer's own flags: strictness and full optimisation.
constexpr UINT kCompileFlags = D3DCOMPILE_ENABLE_STRICTNESS | D3DCOMPILE_OPTIMIZATION_LEVEL3;

ID3DBlob* CompileText(const std::string& text, const char* entry, const char* profile, std::string* error)
{
    ID3DBlob* code = nullptr;
    ID3DBlob* messages = nullptr;
    const HRESULT result = D3DCompile(text.data(), text.size(), nullptr, nullptr, nullptr, entry, profile,
                                      kCompileFlags, 0, &code, &messages);
    if (FAILED(result) || !code) {
        *error = CallFailure((std::string("D3DCompile(") + entry + ")").c_str(), result);
        if (messages) *error += std::string(": ") + static_cast<const char*>(messages->GetBufferPointer());
        if (code) code->Release();
        code = nullptr;
    }
    if (messages) messages->Release();
    return code;
}

template <typename T>
void Release(T*& object)
{
    if (object) object->Release();
    object = nullptr;
}

}  // namespace

ShaderSet::~ShaderSet()
{
    for (ID3D11PixelShader*& shader : pixel) Release(shader);
    Release(vertex);
}

bool ShaderSet::Compile(const std::string& text, std::string* error)
{
    ID3D11Device* device = intro.renderer.device;
    const ShaderProfiles profiles = ChooseShaderProfiles(static_cast<uint32_t>(intro.renderer.featureLevel));
    ID3DBlob* code = CompileText(text, "VS", profiles.vertex, error);
    if (!code) return false;
    HRESULT result = device->CreateVertexShader(code->GetBufferPointer(), code->GetBufferSize(), nullptr, &vertex);
    code->Release();
    if (FAILED(result) || !vertex) {
        *error = CallFailure("CreateVertexShader", result);
        return false;
    }
    for (int pass = 0; pass < kPassCount; ++pass) {
        code = CompileText(text, kPasses[pass].entry, profiles.pixel, error);
        if (!code) return false;
        result = device->CreatePixelShader(code->GetBufferPointer(), code->GetBufferSize(), nullptr, &pixel[pass]);
        code->Release();
        if (FAILED(result) || !pixel[pass]) {
            *error = CallFailure((std::string("CreatePixelShader(") + kPasses[pass].name + ")").c_str(), result);
            return false;
        }
    }
    return true;
}

ShaderLoan::ShaderLoan(const ShaderSet& set)
{
    RendererState& renderer = intro.renderer;
    ownVertex = renderer.vertexShader;
    renderer.vertexShader = set.vertex;
    for (int pass = 0; pass < kPassCount; ++pass) {
        ownPixel[pass] = renderer.pixelShaders[pass];
        renderer.pixelShaders[pass] = set.pixel[pass];
    }
}

ShaderLoan::~ShaderLoan()
{
    RendererState& renderer = intro.renderer;
    renderer.vertexShader = ownVertex;
    for (int pass = 0; pass < kPassCount; ++pass) renderer.pixelShaders[pass] = ownPixel[pass];
}

std::string CurrentShaderText() { return std::string(ShaderSource, ShaderSourceSize); }
