#include "render/shader_compile.h"

#include "render/creation_check.h"
#include "render/render_platform.h"
#include "shaders/shader_source.h"

// Strictness and full optimisation.
constexpr UINT kCompileFlags = D3DCOMPILE_ENABLE_STRICTNESS | D3DCOMPILE_OPTIMIZATION_LEVEL3;

ShaderProfiles ChooseShaderProfiles(D3D_FEATURE_LEVEL featureLevel)
{
    if (featureLevel >= D3D_FEATURE_LEVEL_11_0) return ShaderProfiles{"vs_5_0", "ps_5_0"};
    return ShaderProfiles{"vs_4_0", "ps_4_0"};
}

ID3DBlob* CompileEntry(const char* entry, const char* profile)
{
    ID3DBlob* code = nullptr;
    ID3DBlob* messages = nullptr;
    const HRESULT result = rendererPlatform.compile(ShaderSource, ShaderSourceSize, nullptr, nullptr, nullptr,
                                                    entry, profile, kCompileFlags, 0, &code, &messages);
    const bool compiled = SUCCEEDED(result) && code;
    // Warnings of a successful compile are dropped unseen; errors go to an attached debugger.
    if (messages) {
        if (!compiled) OutputDebugStringA(static_cast<const char*>(messages->GetBufferPointer()));
        messages->Release();
    }
    if (!CheckCreated(result, code, L"D3DCompile")) {
        ReleaseField(code);
        return nullptr;
    }
    return code;
}
