
// HTN intro: every GPU program of the intro. One vertex shader draws a full-screen triangle for
// all passes; ScenePS draws background, logo and scroller at half size, EndPS the end card at full
// size, CompositePS stretches the half-size scene onto the screen.

// Written once per frame; every pass of a frame sees the same values.
cbuffer CB : register(b0)
{
    float2 resolution;    // offscreen target size in pixels (half the client size), in every pass
    float2 invResolution;
    float time;           // seconds since the main loop began
    float scroll;         // mask column at the target's left edge
    float2 _pad0;
    float2 maskTexel;     // one mask texel in texture units: (1 / maskWidth, 1 / 128)
    float exitMode;
    float exitT;          // seconds since Escape
    float4 _pad1;
};

Texture2D scrollerMask : register(t0);
SamplerState sampLinear : register(s0);
SamplerState sampMask : register(s1);   // border addressing: reads outside the mask give 0
Texture2D inputTex : register(t1);

static const float T_FADEIN = 2.5;
static const float T_SCROLL = 5.0;

struct VSOut
{
    float4 pos : SV_Position;
    float2 uv : T0;
};

// One triangle over the whole viewport. uv grows upward, so a sampled target shows mirrored
// top to bottom; the scene pass draws for that mirror.
VSOut VS(uint id : SV_VertexID)
{
    float2 p = float2(id == 2 ? 3.0 : -1.0, id == 1 ? 3.0 : -1.0);
    VSOut o;
    o.pos = float4(p.x, p.y, 0.0, 1.0);
    o.uv = 0.5 * p + 0.5;
    return o;
}

float3 plasma(float2 p, float t)
{
    float nx = 0.015 * p.x;
    float ny = 0.02 * p.y;
    float v = (sin(nx + 1.30 * t) + sin(ny - 1.10 * t) + sin(0.7 * (nx + ny) + 0.70 * t)) / 3.0;
    float a = 6.2831853 * v;
    float3 c = 0.5 + 0.5 * float3(sin(a + 0.0), sin(a + 2.0943951), sin(a + 4.1887902));
    // saturate keeps an approximate sine that overshoots 1 from feeding pow a negative base.
    return pow(saturate(c), 0.9);
}

float2 rot2(float2 p, float a)
{
    float s = sin(a);
    float c = cos(a);
    return float2(c * p.x - s * p.y, s * p.x + c * p.y);
}

// Polynomial smooth minimum: min(a, b) once |a - b| >= k, a rounded seam closer than that.
float smin(float a, float b, float k)
{
    float h = clamp(0.5 + 0.5 * (b - a) / k, 0.0, 1.0);
    return lerp(b, a, h) - k * h * (1.0 - h);
}

float sdBox2(float2 p, float2 b)
{
    float2 d = abs(p) - b;
    return length(max(d, 0.0)) + min(max(d.x, d.y), 0.0);
}

float sdExtrude(float d2, float z, float halfT)
{
    return max(d2, abs(z) - halfT);
}

float3x3 rotX(float a)
{
    float s = sin(a);
    float c = cos(a);
    return float3x3(1.0, 0.0, 0.0,
                    0.0, c, -s,
                    0.0, s, c);
}

float3x3 rotY(float a)
{
    float s = sin(a);
    float c = cos(a);
    return float3x3(c, 0.0, s,
                    0.0, 1.0, 0.0,
                    -s, 0.0, c);
}

float3x3 rotZ(float a)
{
    float s = sin(a);
    float c = cos(a);
    return float3x3(c, -s, 0.0,
                    s, c, 0.0,
                    0.0, 0.0, 1.0);
}

// Block letters from rectangles, centred at the origin, x right and y up.
float sdGlyphN(float2 q, float w, float h, float bar)
{
    float k = 0.35 * bar;
    float d = sdBox2(q - float2(0.5 * w - 0.5 * bar, 0.0), float2(0.5 * bar, 0.5 * h));
    d = smin(d, sdBox2(q - float2(-0.5 * w + 0.5 * bar, 0.0), float2(0.5 * bar, 0.5 * h)), k);
    // The diagonal runs from the lower-left to the upper-right corner of the glyph box.
    float a = atan2(h, w);
    float2 r = rot2(q, -a);
    float diagHalf = 0.5 * sqrt(w * w + h * h) * 1.02;
    d = smin(d, sdBox2(r, float2(diagHalf, 0.5 * bar)), k);
    return d;
}

float sdGlyphT(float2 q, float w, float h, float bar)
{
    float k = 0.35 * bar;
    float d = sdBox2(q - float2(0.0, 0.5 * h - 0.5 * bar), float2(0.5 * w, 0.5 * bar));
    d = smin(d, sdBox2(q, float2(0.5 * bar, 0.5 * h)), k);
    return d;
}

float sdGlyphE(float2 q, float w, float h, float bar)
{
    float k = 0.35 * bar;
    float d = sdBox2(q - float2(-0.5 * w + 0.5 * bar, 0.0), float2(0.5 * bar, 0.5 * h));
    d = smin(d, sdBox2(q - float2(0.0, 0.5 * h - 0.5 * bar), float2(0.5 * w, 0.5 * bar)), k);
    d = smin(d, sdBox2(q - float2(-0.1 * w, 0.0), float2(0.4 * w, 0.5 * bar)), k);
    d = smin(d, sdBox2(q - float2(0.0, -0.5 * h + 0.5 * bar), float2(0.5 * w, 0.5 * bar)), k);
    return d;
}

float sdGlyphI(float2 q, float w, float h, float bar)
{
    float k = 0.35 * bar;
    float d = sdBox2(q, float2(0.5 * bar, 0.5 * h));
    d = smin(d, sdBox2(q - float2(0.0, 0.5 * h - 0.5 * bar), float2(0.35 * w, 0.5 * bar)), k);
    d = smin(d, sdBox2(q - float2(0.0, -0.5 * h + 0.5 * bar), float2(0.35 * w, 0.5 * bar)), k);
    return d;
}

float sdGlyphH(float2 q, float w, float h, float bar)
{
    float k = 0.35 * bar;
    float d = sdBox2(q - float2(0.5 * w - 0.5 * bar, 0.0), float2(0.5 * bar, 0.5 * h));
    d = smin(d, sdBox2(q - float2(-0.5 * w + 0.5 * bar, 0.0), float2(0.5 * bar, 0.5 * h)), k);
    d = smin(d, sdBox2(q, float2(0.40 * w, 0.5 * bar)), k);
    return d;
}

// The HTN logo in its own frame: three slabs side by side, joined by a hard minimum.
float mapModel(float3 p)
{
    const float w = 1.20;
    const float h = 1.60;
    const float bar = 0.28;
    const float halfT = 0.18;
    const float off = w + 0.30;
    float d = 1e9;
    d = min(d, sdExtrude(sdGlyphH(float2(p.x + off, p.y), w, h, bar), p.z, halfT));
    d = min(d, sdExtrude(sdGlyphT(float2(p.x, p.y), w, h, bar), p.z, halfT));
    d = min(d, sdExtrude(sdGlyphN(float2(p.x - off, p.y), w, h, bar), p.z, halfT));
    return d;
}

float mapOnly(float3 p)
{
    return mapModel(p);
}

float3 calcNormal(float3 p)
{
    const float e = 0.0015;
    float3 n = float3(mapOnly(p + float3(e, 0.0, 0.0)) - mapOnly(p - float3(e, 0.0, 0.0)),
                      mapOnly(p + float3(0.0, e, 0.0)) - mapOnly(p - float3(0.0, e, 0.0)),
                      mapOnly(p + float3(0.0, 0.0, e)) - mapOnly(p - float3(0.0, 0.0, e)));
    return normalize(n);
}

// Scene pass into the half-size target: background, tumbling logo, then the sine scroller.
// The composite pass shows this target mirrored top to bottom, so world y points down here.
float4 ScenePS(VSOut i) : SV_Target
{
    float2 res = resolution;
    float2 frag = i.pos.xy;
    float t = time;

    if (t < T_FADEIN)
        return float4(0.0, 0.0, 0.0, 1.0);

    float2 cc = (frag - 0.5 * res) / res.y;
    float dd = length(cc);
    float bg = 0.06 + 0.25 * (1.0 - saturate(1.6 * dd));
    float fade = smoothstep(T_FADEIN, T_FADEIN + 1.5, t);
    float3 col = float3(0.08 * bg, 0.16 * bg, 0.32 * bg) * fade;

    float2 uv = cc;
    float3 roW = float3(0.0, 0.0, 6.6);
    float3 rdW = normalize(float3(uv.x, uv.y, -4.0));

    // The ray is turned into the logo's frame; the logo itself never moves.
    float3x3 R = mul(rotZ(0.55 * t), mul(rotY(1.10 * t), rotX(0.70 * t)));
    float3x3 Ri = transpose(R);
    float3 ro = mul(Ri, roW);
    float3 rd = mul(Ri, rdW);

    float tt = 0.0;
    bool hit = false;
    [loop]
    for (int iter = 0; iter < 92; iter++)
    {
        float h = mapModel(ro + tt * rd);
        if (h < 0.0015)
        {
            hit = true;
            break;
        }
        tt += h;
        if (tt > 28.0)
            break;
    }

    if (hit)
    {
        float3 pM = ro + tt * rd;
        float3 nM = calcNormal(pM);
        float3 pW = mul(R, pM);
        float3 nW = normalize(mul(R, nM));
        float3 Lpos = float3(2.2 * sin(0.7 * t), 1.2, 2.8 * cos(0.9 * t) + 4.0);
        float3 L = normalize(Lpos - pW);
        float ndl = saturate(dot(nW, L));
        float3 base = plasma(float2(420.0 * pW.x + 0.02 * res.x, 420.0 * pW.z + 0.02 * res.y), t);
        col = base * (0.22 + 0.78 * ndl) * fade;
    }

    if (t >= T_SCROLL)
    {
        const float ampMain = 16.0;
        const float freq = 6.2831853 / 240.0;
        const float shadowPx = 6.0;
        float2 d = maskTexel;
        float baseline = (float)(int(0.5 * res.y) - 128 / 2);
        float mv = (frag.y - baseline) - ampMain * sin((frag.x + scroll) * freq + 1.2 * t);

        if (mv > -1.0 && mv < 129.0)
        {
            // Band rows run backwards through the mask; the composite pass turns them upright.
            float2 uvS = float2((frag.x + scroll) * d.x, 1.0 - saturate(mv * d.y));
            // Each read counts only where its own x lies on the text, which keeps the
            // one-texel neighbour reads inside the mask.
            float gateMax = 1.0 - 1.5 * d.x;
            float inside0 = step(0.0, uvS.x) * step(uvS.x, gateMax);
            float insideL = step(0.0, uvS.x - d.x) * step(uvS.x - d.x, gateMax);
            float insideR = step(0.0, uvS.x + d.x) * step(uvS.x + d.x, gateMax);
            // Every read is at level 0 (the mask has no mips) so it stays valid in these branches.
            float a = scrollerMask.SampleLevel(sampMask, uvS, 0.0).r * inside0;

            float2 uvSh = float2(uvS.x, 1.0 - saturate((mv + shadowPx) * d.y));
            float aSh = scrollerMask.SampleLevel(sampMask, uvSh, 0.0).r * inside0;
            col = lerp(col, 0.55 * col, 0.35 * aSh);

            if (a > 0.02)
            {
                float mR = scrollerMask.SampleLevel(sampMask, uvS + float2(d.x, 0.0), 0.0).r * insideR;
                float mL = scrollerMask.SampleLevel(sampMask, uvS - float2(d.x, 0.0), 0.0).r * insideL;
                float mD = scrollerMask.SampleLevel(sampMask, uvS + float2(0.0, d.y), 0.0).r * inside0;
                float mU = scrollerMask.SampleLevel(sampMask, uvS - float2(0.0, d.y), 0.0).r * inside0;
                float gx = mR - mL;
                float gy = mD - mU;

                float3 N = normalize(float3(-gx, -gy, 0.85));
                float3 V = float3(0.0, 0.0, 1.0);
                float3 Lkey = normalize(float3(-0.45, -0.65, 0.62));
                float3 Lfill = normalize(float3(0.40, 0.20, 0.70));
                float diffK = max(0.0, dot(N, Lkey));
                float diffF = 0.40 * max(0.0, dot(N, Lfill));
                float rim = 0.55 * pow(saturate(1.0 - dot(N, V)), 2.3);

                // The four direct neighbours are the gradient's reads; the diagonals complete the eight.
                float aMax = max(max(max(0.0, mR), max(mL, mD)), mU);
                aMax = max(aMax, scrollerMask.SampleLevel(sampMask, uvS + float2(d.x, d.y), 0.0).r * insideR);
                aMax = max(aMax, scrollerMask.SampleLevel(sampMask, uvS + float2(d.x, -d.y), 0.0).r * insideR);
                aMax = max(aMax, scrollerMask.SampleLevel(sampMask, uvS + float2(-d.x, d.y), 0.0).r * insideL);
                aMax = max(aMax, scrollerMask.SampleLevel(sampMask, uvS + float2(-d.x, -d.y), 0.0).r * insideL);
                float outline = saturate(aMax - a);
                col = lerp(col, float3(0.06, 0.06, 0.07), 0.65 * outline);

                const float amb = 0.35;
                const float3 baseGrey = float3(0.83, 0.85, 0.87);
                float3 lit = baseGrey * (amb + 0.95 * diffK + diffF) + 0.28 * rim;
                col = lerp(col, saturate(lit), a);
            }
        }
    }

    return float4(saturate(col), 1.0);
}

float sdLetter(int idx, float2 q, float w, float h, float bar)
{
    if (idx == 0) return sdGlyphH(q, w, h, bar);
    if (idx == 1) return sdGlyphI(q, w, h, bar);
    if (idx == 2) return sdGlyphT(q, w, h, bar);
    if (idx == 3) return sdGlyphT(q, w, h, bar);
    if (idx == 4) return sdGlyphE(q, w, h, bar);
    return sdGlyphN(q, w, h, bar);
}

// 1 until delay, then eases to 0 over dur seconds.
float slotWeight(float t, float delay, float dur)
{
    float s = saturate((t - delay) / dur);
    return 1.0 - smoothstep(0.0, 1.0, s);
}

// One reel of HITTEN: letter i spins about its vertical axis until its delay, then unwinds to rest
// facing the camera. Keeps the nearest letter's distance and slot; on a tie the lower slot stays.
void hittenSlot(int i, float3 p, inout float dMin, inout int lid)
{
    const float w = 1.05;
    const float h = 1.60;
    const float bar = 0.28;
    const float halfT = 0.18;
    const float spacing = 0.26;
    const float LETTERS = 6.0;
    const float centerShift = 3.30;
    const float off = w + spacing;
    float xi = (float(i) - (LETTERS - 1.0) * 0.5) * off + centerShift;
    float wgt = slotWeight(exitT, 0.45 + 0.45 * float(i), 1.10);
    float ang = 18.0 * exitT * wgt;
    float3 q3 = mul(transpose(rotY(ang)), p - float3(xi, 0.0, 0.0));
    float de = sdExtrude(sdLetter(i, q3.xy, w, h, bar), q3.z, halfT);
    if (de < dMin) { dMin = de; lid = i; }
}

// The six reels are called one by one: this runs inside the end card's ray march, where Wine's
// compiler cannot unroll a loop.
float mapHitten(float3 p, out int lid)
{
    float dMin = 1e9;
    lid = -1;
    hittenSlot(0, p, dMin, lid);
    hittenSlot(1, p, dMin, lid);
    hittenSlot(2, p, dMin, lid);
    hittenSlot(3, p, dMin, lid);
    hittenSlot(4, p, dMin, lid);
    hittenSlot(5, p, dMin, lid);
    return dMin;
}

float mapOnlyHitten(float3 p)
{
    int lid;
    return mapHitten(p, lid);
}

float3 normalHitten(float3 p)
{
    const float e = 0.0012;
    float3 n = float3(mapOnlyHitten(p + float3(e, 0.0, 0.0)) - mapOnlyHitten(p - float3(e, 0.0, 0.0)),
                      mapOnlyHitten(p + float3(0.0, e, 0.0)) - mapOnlyHitten(p - float3(0.0, e, 0.0)),
                      mapOnlyHitten(p + float3(0.0, 0.0, e)) - mapOnlyHitten(p - float3(0.0, 0.0, e)));
    return normalize(n);
}

// End card, drawn straight to the back buffer at full size. Its layout still works from the
// half-size resolution, so frag runs over about twice res in each direction.
float4 EndPS(VSOut i) : SV_Target
{
    float2 res = resolution;
    float2 frag = i.pos.xy;

    float2 uv = frag / res;
    float3 col = lerp(float3(0.02, 0.02, 0.03), float3(0.10, 0.06, 0.03), smoothstep(0.55, 1.0, uv.y));

    float2 scr = (frag - 0.5 * res) / res.y;
    scr.y = -scr.y;
    float3 ro = float3(0.0, 0.0, 9.6);
    float3 rd = normalize(float3(scr.x, scr.y, -4.0));

    float kcam = 0.04 * slotWeight(exitT, 0.0, 1.0);
    ro.x += sin(0.8 * time) * kcam;
    ro.y += cos(0.6 * time) * kcam;

    const float S = 0.62;
    const float yOff = -0.26;
    float tt = 0.0;
    int lid = -1;
    bool hit = false;
    [loop]
    for (int iter = 0; iter < 100; iter++)
    {
        float3 ps = (ro + tt * rd) / S;
        ps.y += yOff;
        float h = S * mapHitten(ps, lid);
        if (h < 0.0012)
        {
            hit = true;
            break;
        }
        tt += h;
        if (tt > 36.0)
            break;
    }

    if (hit)
    {
        float3 p = ro + tt * rd;
        float3 ps = p / S;
        ps.y += yOff;
        float3 n = normalHitten(ps);
        float3 Lpos = float3(2.3 * sin(0.7 * time), 1.3, 3.1 * cos(0.9 * time) + 4.2);
        float3 L = normalize(Lpos - p);
        float ndl = saturate(dot(n, L));
        float phase = 7.3 * lid;
        float3 base = plasma(float2(420.0 * ps.x + phase, 420.0 * ps.z + phase), time);
        col = base * (0.22 + 0.78 * ndl);
    }

    col *= saturate(exitT / 0.6);
    return float4(saturate(col), 1.0);
}

// Stretches the half-size scene over the screen, mirrored top to bottom, with scan lines one
// target row high and a faint vignette.
float4 CompositePS(VSOut i) : SV_Target
{
    float3 base = inputTex.Sample(sampLinear, i.uv).rgb;
    float3 col = base;
    if (fmod(i.uv.y * resolution.y, 2.0) < 1.0)
        col = 0.97 * base;
    float2 p = i.uv - 0.5;
    float v = 0.96 + 0.04 * (1.0 - saturate((length(p) - 0.25) * 1.4));
    col = v * col;
    return float4(saturate(col), 1.0);
}
