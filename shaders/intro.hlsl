
// HTN intro: every GPU program of the intro. One vertex shader draws a full-screen triangle for
// all passes; ScenePS draws background, logo and scroller at half size, EndPS the end card at full
// size, CompositePS stretches the half-size scene onto the screen, SignaturePS blends the signature
// over the finished picture.

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

// Logo model: glyph size and slab thickness in model units.
static const float LOGO_W = 1.20;
static const float LOGO_H = 1.60;
static const float LOGO_BAR = 0.28;         // stroke thickness
static const float LOGO_HALF_T = 0.18;      // half the slab's depth
static const float LOGO_SPACING = 0.30;     // gap between neighbouring glyphs
static const float LOGO_NORMAL_STEP = 0.0015;

// Bounds that let a march skip work without changing a single distance it takes. A glyph's
// rectangles lie within a half extent, and each smooth minimum dents their union outward by at
// most a quarter of its k, so no glyph distance lies below glyphFloor taken with the dented extent
// (the glyph's "reach"). Any one rectangle of a glyph bounds that glyph's distance from above; with
// BOUND_SLACK added it lies strictly above the nearest distance. A glyph whose floor is not below
// both that limit and the nearest distance so far cannot be the (first) nearest, and is skipped.
static const float BOUND_SLACK = 0.001;     // rounding room above a distance bound

float glyphFloor(float2 q, float z, float2 reach, float halfT)
{
    return max(max(abs(q.x) - reach.x, abs(q.y) - reach.y), abs(z) - halfT);
}

// Where rd from ro is inside an axis-aligned box: (entry, exit); entry > exit for a miss.
float2 rayBox(float3 ro, float3 rd, float3 boxMin, float3 boxMax)
{
    float3 inv = 1.0 / rd;
    float3 t0 = (boxMin - ro) * inv;
    float3 t1 = (boxMax - ro) * inv;
    float3 tNear = min(t0, t1);
    float3 tFar = max(t0, t1);
    return float2(max(max(tNear.x, tNear.y), tNear.z), min(min(tFar.x, tFar.y), tFar.z));
}

// Each glyph's reach: its half extent (the N's diagonal overhangs the glyph box) plus 0.0245 per
// smooth minimum, rounded up.
static const float2 LOGO_REACH_H = float2(0.655, 0.855);
static const float2 LOGO_REACH_T = float2(0.630, 0.830);
static const float2 LOGO_REACH_N = float2(0.780, 0.955);
static const float LOGO_POST_X = 0.46;      // the H's and N's posts stand this far from the glyph's centre
static const float2 LOGO_POST_HALF = float2(0.14, 0.80);
// The whole logo's reach, hit distance included: a ray that never enters this box cannot hit.
static const float3 LOGO_BOX_MAX = float3(2.29, 0.97, 0.19);
static const float3 LOGO_BOX_MIN = float3(-2.17, -0.97, -0.19);

// The HTN logo in its own frame: three slabs side by side, joined by a hard minimum. Only glyphs
// that can be the nearest are evaluated, and none where the point is farther from the slab's face
// than (across the slab) from the post of the glyph nearest in x: every glyph's distance is at
// least the face's there, and that glyph's is exactly it.
float mapModel(float3 p)
{
    const float off = LOGO_W + LOGO_SPACING;
    float cx = p.x < -0.5 * off ? -off : (p.x > 0.5 * off ? off : 0.0);
    float postX = cx == 0.0 ? 0.0 : LOGO_POST_X;
    float post = sdBox2(float2(abs(p.x - cx) - postX, p.y), LOGO_POST_HALF);
    float face = abs(p.z) - LOGO_HALF_T;
    [branch] if (face >= post)
        return face;
    float limit = post + BOUND_SLACK;

    float d = 1e9;
    float2 qH = float2(p.x + off, p.y);
    [branch] if (glyphFloor(qH, p.z, LOGO_REACH_H, LOGO_HALF_T) < min(limit, d))
        d = min(d, sdExtrude(sdGlyphH(qH, LOGO_W, LOGO_H, LOGO_BAR), p.z, LOGO_HALF_T));
    float2 qT = float2(p.x, p.y);
    [branch] if (glyphFloor(qT, p.z, LOGO_REACH_T, LOGO_HALF_T) < min(limit, d))
        d = min(d, sdExtrude(sdGlyphT(qT, LOGO_W, LOGO_H, LOGO_BAR), p.z, LOGO_HALF_T));
    float2 qN = float2(p.x - off, p.y);
    [branch] if (glyphFloor(qN, p.z, LOGO_REACH_N, LOGO_HALF_T) < min(limit, d))
        d = min(d, sdExtrude(sdGlyphN(qN, LOGO_W, LOGO_H, LOGO_BAR), p.z, LOGO_HALF_T));
    return d;
}

float mapOnly(float3 p)
{
    return mapModel(p);
}

float3 calcNormal(float3 p)
{
    const float e = LOGO_NORMAL_STEP;
    float3 n = float3(mapOnly(p + float3(e, 0.0, 0.0)) - mapOnly(p - float3(e, 0.0, 0.0)),
                      mapOnly(p + float3(0.0, e, 0.0)) - mapOnly(p - float3(0.0, e, 0.0)),
                      mapOnly(p + float3(0.0, 0.0, e)) - mapOnly(p - float3(0.0, 0.0, e)));
    return normalize(n);
}

// Background and logo of the scene pass. Times in seconds, rates in radians per second.
static const float T_FADE_LEN = 1.5;        // full brightness at T_FADEIN + T_FADE_LEN
static const float BG_FLOOR = 0.06;         // brightness far from the centre
static const float BG_GLOW = 0.25;          // extra brightness at the centre
static const float BG_FALLOFF = 1.6;        // the glow is gone 1 / BG_FALLOFF target heights out
static const float3 BG_TINT = float3(0.08, 0.16, 0.32);
static const float LOGO_CAM_Z = 6.6;
static const float LOGO_IMAGE_PLANE = 4.0;  // in target heights
static const float LOGO_TUMBLE_X = 0.70;
static const float LOGO_TUMBLE_Y = 1.10;
static const float LOGO_TUMBLE_Z = 0.55;
static const int LOGO_MAX_STEPS = 92;
static const float LOGO_HIT = 0.0015;       // march distance that counts as the surface
static const float LOGO_FAR = 28.0;         // distance travelled that counts as a miss
// The light circles the logo on an ellipse in the world frame.
static const float LOGO_LIGHT_SWING_X = 2.2;
static const float LOGO_LIGHT_Y = 1.2;
static const float LOGO_LIGHT_SWING_Z = 2.8;
static const float LOGO_LIGHT_Z = 4.0;
static const float LOGO_LIGHT_RATE_X = 0.7;
static const float LOGO_LIGHT_RATE_Z = 0.9;
static const float LOGO_AMBIENT = 0.22;
static const float LOGO_DIFFUSE = 0.78;
static const float LOGO_PLASMA_SCALE = 420.0;
static const float LOGO_PLASMA_SHIFT = 0.02; // per pixel of the target: the colouring follows the window size

// Scroller layer, over the scene from T_SCROLL. Lengths in target rows and mask texels.
static const float WAVE_AMP = 16.0;
static const float WAVE_PERIOD = 240.0;     // mask columns per wave
static const float WAVE_NUMBER = 6.2831853 / WAVE_PERIOD;
static const float WAVE_SPEED = 1.2;
static const int BAND_ROWS = 128;           // the band reads the 128-row mask one to one
static const float BAND_EDGE = 1.0;         // rows beyond the band that still read its edge rows, half faded
static const float GATE_MARGIN = 1.5;       // keeps the one-texel neighbour reads inside the mask
static const float SHADOW_ROWS = 6.0;
static const float SHADOW_SHADE = 0.55;
static const float SHADOW_WEIGHT = 0.35;
static const float COVERAGE_MIN = 0.02;     // thinner coverage gets the shadow but no shading
static const float BEVEL_Z = 0.85;          // smaller tilts the edges' normals further
static const float3 TEXT_KEY_DIR = float3(-0.45, -0.65, 0.62);
static const float TEXT_KEY_WEIGHT = 0.95;
static const float3 TEXT_FILL_DIR = float3(0.40, 0.20, 0.70);
static const float TEXT_FILL_WEIGHT = 0.40;
static const float RIM_WEIGHT = 0.55;
static const float RIM_POWER = 2.3;
static const float RIM_GAIN = 0.28;
static const float3 OUTLINE_COLOUR = float3(0.06, 0.06, 0.07);
static const float OUTLINE_WEIGHT = 0.65;
static const float TEXT_AMBIENT = 0.35;
static const float3 TEXT_GREY = float3(0.83, 0.85, 0.87);

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
    float bg = BG_FLOOR + BG_GLOW * (1.0 - saturate(BG_FALLOFF * dd));
    float fade = smoothstep(T_FADEIN, T_FADEIN + T_FADE_LEN, t);
    float3 col = float3(BG_TINT.r * bg, BG_TINT.g * bg, BG_TINT.b * bg) * fade;

    float2 uv = cc;
    float3 roW = float3(0.0, 0.0, LOGO_CAM_Z);
    float3 rdW = normalize(float3(uv.x, uv.y, -LOGO_IMAGE_PLANE));

    // The ray is turned into the logo's frame; the logo itself never moves.
    float3x3 R = mul(rotZ(LOGO_TUMBLE_Z * t), mul(rotY(LOGO_TUMBLE_Y * t), rotX(LOGO_TUMBLE_X * t)));
    float3x3 Ri = transpose(R);
    float3 ro = mul(Ri, roW);
    float3 rd = mul(Ri, rdW);

    // Every march starts at the camera, as the hit points (and so the plasma) depend on it; a ray
    // that misses the logo's box is not marched, one that leaves it stops there.
    float tt = 0.0;
    bool hit = false;
    float2 span = rayBox(ro, rd, LOGO_BOX_MIN, LOGO_BOX_MAX);
    [branch] if (span.x <= span.y && span.y > 0.0)
    {
        float tStop = min(LOGO_FAR, span.y);
        [loop]
        for (int iter = 0; iter < LOGO_MAX_STEPS; iter++)
        {
            float h = mapModel(ro + tt * rd);
            if (h < LOGO_HIT)
            {
                hit = true;
                break;
            }
            tt += h;
            if (tt > tStop)
                break;
        }
    }

    if (hit)
    {
        float3 pM = ro + tt * rd;
        float3 nM = calcNormal(pM);
        float3 pW = mul(R, pM);
        float3 nW = normalize(mul(R, nM));
        float3 Lpos = float3(LOGO_LIGHT_SWING_X * sin(LOGO_LIGHT_RATE_X * t), LOGO_LIGHT_Y,
                             LOGO_LIGHT_SWING_Z * cos(LOGO_LIGHT_RATE_Z * t) + LOGO_LIGHT_Z);
        float3 L = normalize(Lpos - pW);
        float ndl = saturate(dot(nW, L));
        float3 base = plasma(float2(LOGO_PLASMA_SCALE * pW.x + LOGO_PLASMA_SHIFT * res.x,
                                    LOGO_PLASMA_SCALE * pW.z + LOGO_PLASMA_SHIFT * res.y), t);
        col = base * (LOGO_AMBIENT + LOGO_DIFFUSE * ndl) * fade;
    }

    if (t >= T_SCROLL)
    {
        float2 d = maskTexel;
        float baseline = (float)(int(0.5 * res.y) - BAND_ROWS / 2);
        float mv = (frag.y - baseline) - WAVE_AMP * sin((frag.x + scroll) * WAVE_NUMBER + WAVE_SPEED * t);

        if (mv > -BAND_EDGE && mv < BAND_ROWS + BAND_EDGE)
        {
            // Band rows run backwards through the mask; the composite pass turns them upright.
            float2 uvS = float2((frag.x + scroll) * d.x, 1.0 - saturate(mv * d.y));
            // Each read counts only where its own x lies on the text, which keeps the
            // one-texel neighbour reads inside the mask.
            float gateMax = 1.0 - GATE_MARGIN * d.x;
            float inside0 = step(0.0, uvS.x) * step(uvS.x, gateMax);
            float insideL = step(0.0, uvS.x - d.x) * step(uvS.x - d.x, gateMax);
            float insideR = step(0.0, uvS.x + d.x) * step(uvS.x + d.x, gateMax);
            // Every read is at level 0 (the mask has no mips) so it stays valid in these branches.
            float a = scrollerMask.SampleLevel(sampMask, uvS, 0.0).r * inside0;

            float2 uvSh = float2(uvS.x, 1.0 - saturate((mv + SHADOW_ROWS) * d.y));
            float aSh = scrollerMask.SampleLevel(sampMask, uvSh, 0.0).r * inside0;
            col = lerp(col, SHADOW_SHADE * col, SHADOW_WEIGHT * aSh);

            if (a > COVERAGE_MIN)
            {
                float mR = scrollerMask.SampleLevel(sampMask, uvS + float2(d.x, 0.0), 0.0).r * insideR;
                float mL = scrollerMask.SampleLevel(sampMask, uvS - float2(d.x, 0.0), 0.0).r * insideL;
                float mD = scrollerMask.SampleLevel(sampMask, uvS + float2(0.0, d.y), 0.0).r * inside0;
                float mU = scrollerMask.SampleLevel(sampMask, uvS - float2(0.0, d.y), 0.0).r * inside0;
                float gx = mR - mL;
                float gy = mD - mU;

                float3 N = normalize(float3(-gx, -gy, BEVEL_Z));
                float3 V = float3(0.0, 0.0, 1.0);
                float3 Lkey = normalize(TEXT_KEY_DIR);
                float3 Lfill = normalize(TEXT_FILL_DIR);
                float diffK = max(0.0, dot(N, Lkey));
                float diffF = TEXT_FILL_WEIGHT * max(0.0, dot(N, Lfill));
                float rim = RIM_WEIGHT * pow(saturate(1.0 - dot(N, V)), RIM_POWER);

                // The four direct neighbours are the gradient's reads; the diagonals complete the eight.
                float aMax = max(max(max(0.0, mR), max(mL, mD)), mU);
                aMax = max(aMax, scrollerMask.SampleLevel(sampMask, uvS + float2(d.x, d.y), 0.0).r * insideR);
                aMax = max(aMax, scrollerMask.SampleLevel(sampMask, uvS + float2(d.x, -d.y), 0.0).r * insideR);
                aMax = max(aMax, scrollerMask.SampleLevel(sampMask, uvS + float2(-d.x, d.y), 0.0).r * insideL);
                aMax = max(aMax, scrollerMask.SampleLevel(sampMask, uvS + float2(-d.x, -d.y), 0.0).r * insideL);
                float outline = saturate(aMax - a);
                col = lerp(col, OUTLINE_COLOUR, OUTLINE_WEIGHT * outline);

                float3 lit = TEXT_GREY * (TEXT_AMBIENT + TEXT_KEY_WEIGHT * diffK + diffF) + RIM_GAIN * rim;
                col = lerp(col, saturate(lit), a);
            }
        }
    }

    return float4(saturate(col), 1.0);
}

// End card. T_ values are seconds of exitT; rates are radians per second of time, the spin's of exitT.
static const float LETTERS = 6.0;           // H I T T E N
static const float LETTER_W = 1.05;         // narrower than the logo's glyphs
static const float LETTER_H = 1.60;
static const float LETTER_BAR = 0.28;
static const float LETTER_HALF_T = 0.18;
static const float LETTER_SPACING = 0.26;   // gap between neighbouring glyphs
static const float ROW_SHIFT = 3.30;        // model x of the row's middle
// Letter i begins to stop at T_STOP_FIRST + i * T_STOP_STAGGER and rests from T_STOP_LEN later,
// that is from 1.55 + 0.45 i.
static const float T_STOP_FIRST = 0.45;
static const float T_STOP_STAGGER = 0.45;
static const float T_STOP_LEN = 1.10;
static const float SPIN_SPEED = 18.0;       // about 2.9 turns a second until a letter stops
static const float T_END_FADEIN = 0.6;
static const float SWAY_AMP = 0.04;
static const float T_SWAY_FADE = 1.0;
static const float SWAY_RATE_X = 0.8;
static const float SWAY_RATE_Y = 0.6;
static const float END_CAM_Z = 9.6;
static const float END_IMAGE_PLANE = 4.0;
static const float END_SCALE = 0.62;        // world units per model unit
static const float END_Y_OFF = -0.26;       // model y shift: the row sits above the middle
static const int END_MAX_STEPS = 100;
static const float END_HIT = 0.0012;
static const float END_FAR = 36.0;
static const float END_NORMAL_STEP = 0.0012;
// The light circles on an ellipse with time, as the logo's does.
static const float END_LIGHT_SWING_X = 2.3;
static const float END_LIGHT_Y = 1.3;
static const float END_LIGHT_SWING_Z = 3.1;
static const float END_LIGHT_Z = 4.2;
static const float END_LIGHT_RATE_X = 0.7;
static const float END_LIGHT_RATE_Z = 0.9;
static const float END_AMBIENT = 0.22;
static const float END_DIFFUSE = 0.78;
static const float END_PLASMA_SCALE = 420.0;
static const float LETTER_PHASE = 7.3;      // per slot, so neighbouring letters differ in colour
static const float3 END_BG_TOP = float3(0.02, 0.02, 0.03);
static const float3 END_BG_LOW = float3(0.10, 0.06, 0.03);
static const float END_BG_FROM = 0.55;      // the gradient's span in half-size target heights
static const float END_BG_TO = 1.0;

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

// Each letter's reach (see glyphFloor) and the post or stem it contains, in the letter's frame.
static const float2 LETTER_REACH_H = float2(0.580, 0.855);
static const float2 LETTER_REACH_I = float2(0.420, 0.855);
static const float2 LETTER_REACH_T = float2(0.555, 0.830);
static const float2 LETTER_REACH_E = float2(0.605, 0.880);
static const float2 LETTER_REACH_N = float2(0.710, 0.950);
static const float LETTER_POST_X = 0.385;   // the H's and N's right post, the E's left one
static const float2 LETTER_POST_HALF = float2(0.14, 0.80);
// The row's reach in the model frame, turning letters and hit distance included: each letter
// stays within a cylinder of radius ROW_REACH_XZ about its vertical axis.
static const float ROW_REACH_XZ = 0.75;
static const float ROW_REACH_Y = 0.96;
static const float ROW_FIRST_X = ROW_SHIFT - (LETTERS - 1.0) * 0.5 * (LETTER_W + LETTER_SPACING);
static const float ROW_LAST_X = ROW_SHIFT + (LETTERS - 1.0) * 0.5 * (LETTER_W + LETTER_SPACING);
static const float3 ROW_BOX_MIN = float3(ROW_FIRST_X - ROW_REACH_XZ, -ROW_REACH_Y, -ROW_REACH_XZ);
static const float3 ROW_BOX_MAX = float3(ROW_LAST_X + ROW_REACH_XZ, ROW_REACH_Y, ROW_REACH_XZ);

// What a pixel's march needs of the frame: each letter's turn as (cos, sin), the same at every
// step, and the letter nearest to where the ray crosses the row's middle plane, whose post bounds
// the row's distance from above.
struct RowView
{
    float2 turn0;
    float2 turn1;
    float2 turn2;
    float2 turn3;
    float2 turn4;
    float2 turn5;
    float nearX;
    float2 nearTurn;
    float nearPostX;
};

float letterX(float i)
{
    return (i - (LETTERS - 1.0) * 0.5) * (LETTER_W + LETTER_SPACING) + ROW_SHIFT;
}

// Letter i spins about its vertical axis until its delay, then unwinds to rest facing the camera.
float2 letterTurn(int i)
{
    float wgt = slotWeight(exitT, T_STOP_FIRST + T_STOP_STAGGER * float(i), T_STOP_LEN);
    float ang = SPIN_SPEED * exitT * wgt;
    return float2(cos(ang), sin(ang));
}

// p in the frame of the letter at x that is turned by turn: transpose(rotY(ang)) applied to it.
float3 letterFrame(float3 p, float x, float2 turn)
{
    float3x3 r = float3x3(turn.x, 0.0, turn.y,
                          0.0, 1.0, 0.0,
                          -turn.y, 0.0, turn.x);
    return mul(transpose(r), p - float3(x, 0.0, 0.0));
}

RowView rowView(float3 ro, float3 rd)
{
    RowView v;
    v.turn0 = letterTurn(0);
    v.turn1 = letterTurn(1);
    v.turn2 = letterTurn(2);
    v.turn3 = letterTurn(3);
    v.turn4 = letterTurn(4);
    v.turn5 = letterTurn(5);
    float xMid = ro.x - ro.z / rd.z * rd.x;
    float k = clamp(round((xMid - ROW_FIRST_X) / (LETTER_W + LETTER_SPACING)), 0.0, LETTERS - 1.0);
    v.nearX = letterX(k);
    v.nearTurn = k < 0.5 ? v.turn0 : (k < 1.5 ? v.turn1 : (k < 2.5 ? v.turn2 :
                 (k < 3.5 ? v.turn3 : (k < 4.5 ? v.turn4 : v.turn5))));
    v.nearPostX = k > 3.5 && k < 4.5 ? -LETTER_POST_X : (k < 0.5 || k > 4.5 ? LETTER_POST_X : 0.0);
    return v;
}

// One reel of HITTEN. Keeps the nearest letter's distance and slot; on a tie the lower slot stays.
// A letter whose floor is not below limit and the nearest so far cannot change either.
void hittenSlot(int i, float3 p, float2 turn, float2 reach, float limit, inout float dMin, inout int lid)
{
    float3 q3 = letterFrame(p, letterX(float(i)), turn);
    [branch] if (glyphFloor(q3.xy, q3.z, reach, LETTER_HALF_T) < min(limit, dMin))
    {
        float de = sdExtrude(sdLetter(i, q3.xy, LETTER_W, LETTER_H, LETTER_BAR), q3.z, LETTER_HALF_T);
        if (de < dMin) { dMin = de; lid = i; }
    }
}

// The six reels are called one by one: this runs inside the end card's ray march, where Wine's
// compiler cannot unroll a loop. The nearest letter's post limits which letters are evaluated.
float mapHitten(float3 p, RowView v, out int lid)
{
    float3 qn = letterFrame(p, v.nearX, v.nearTurn);
    float limit = sdExtrude(sdBox2(qn.xy - float2(v.nearPostX, 0.0), LETTER_POST_HALF), qn.z, LETTER_HALF_T)
                  + BOUND_SLACK;
    float dMin = 1e9;
    lid = -1;
    hittenSlot(0, p, v.turn0, LETTER_REACH_H, limit, dMin, lid);
    hittenSlot(1, p, v.turn1, LETTER_REACH_I, limit, dMin, lid);
    hittenSlot(2, p, v.turn2, LETTER_REACH_T, limit, dMin, lid);
    hittenSlot(3, p, v.turn3, LETTER_REACH_T, limit, dMin, lid);
    hittenSlot(4, p, v.turn4, LETTER_REACH_E, limit, dMin, lid);
    hittenSlot(5, p, v.turn5, LETTER_REACH_N, limit, dMin, lid);
    return dMin;
}

float mapOnlyHitten(float3 p, RowView v)
{
    int lid;
    return mapHitten(p, v, lid);
}

float3 normalHitten(float3 p, RowView v)
{
    const float e = END_NORMAL_STEP;
    float3 n = float3(mapOnlyHitten(p + float3(e, 0.0, 0.0), v) - mapOnlyHitten(p - float3(e, 0.0, 0.0), v),
                      mapOnlyHitten(p + float3(0.0, e, 0.0), v) - mapOnlyHitten(p - float3(0.0, e, 0.0), v),
                      mapOnlyHitten(p + float3(0.0, 0.0, e), v) - mapOnlyHitten(p - float3(0.0, 0.0, e), v));
    return normalize(n);
}

// End card, drawn straight to the back buffer at full size. Its layout still works from the
// half-size resolution, so frag runs over about twice res in each direction.
float4 EndPS(VSOut i) : SV_Target
{
    float2 res = resolution;
    float2 frag = i.pos.xy;

    float2 uv = frag / res;
    float3 col = lerp(END_BG_TOP, END_BG_LOW, smoothstep(END_BG_FROM, END_BG_TO, uv.y));

    float2 scr = (frag - 0.5 * res) / res.y;
    scr.y = -scr.y;
    float3 ro = float3(0.0, 0.0, END_CAM_Z);
    float3 rd = normalize(float3(scr.x, scr.y, -END_IMAGE_PLANE));

    float kcam = SWAY_AMP * slotWeight(exitT, 0.0, T_SWAY_FADE);
    ro.x += sin(SWAY_RATE_X * time) * kcam;
    ro.y += cos(SWAY_RATE_Y * time) * kcam;

    // Every march starts at the camera, as the hit points (and so the plasma) depend on it; a ray
    // that misses the row's box is not marched, one that leaves it stops there.
    float3 roM = ro / END_SCALE + float3(0.0, END_Y_OFF, 0.0);
    float3 rdM = rd / END_SCALE;
    float2 span = rayBox(roM, rdM, ROW_BOX_MIN, ROW_BOX_MAX);
    [branch] if (span.x <= span.y && span.y > 0.0)
    {
        RowView v = rowView(roM, rdM);
        float tStop = min(END_FAR, span.y);
        float tt = 0.0;
        int lid = -1;
        bool hit = false;
        [loop]
        for (int iter = 0; iter < END_MAX_STEPS; iter++)
        {
            float3 ps = (ro + tt * rd) / END_SCALE;
            ps.y += END_Y_OFF;
            float h = END_SCALE * mapHitten(ps, v, lid);
            if (h < END_HIT)
            {
                hit = true;
                break;
            }
            tt += h;
            if (tt > tStop)
                break;
        }

        if (hit)
        {
            float3 p = ro + tt * rd;
            float3 ps = p / END_SCALE;
            ps.y += END_Y_OFF;
            float3 n = normalHitten(ps, v);
            float3 Lpos = float3(END_LIGHT_SWING_X * sin(END_LIGHT_RATE_X * time), END_LIGHT_Y,
                                 END_LIGHT_SWING_Z * cos(END_LIGHT_RATE_Z * time) + END_LIGHT_Z);
            float3 L = normalize(Lpos - p);
            float ndl = saturate(dot(n, L));
            float phase = LETTER_PHASE * lid;
            float3 base = plasma(float2(END_PLASMA_SCALE * ps.x + phase, END_PLASMA_SCALE * ps.z + phase), time);
            col = base * (END_AMBIENT + END_DIFFUSE * ndl);
        }
    }

    col *= saturate(exitT / T_END_FADEIN);
    return float4(saturate(col), 1.0);
}

// Composite pass: scan-line shade, and a vignette in uv units that dims only beyond its radius.
static const float SCAN_SHADE = 0.97;
static const float VIGNETTE_FLOOR = 0.96;
static const float VIGNETTE_DEPTH = 0.04;
static const float VIGNETTE_RADIUS = 0.25;
static const float VIGNETTE_FALLOFF = 1.4;

// Stretches the half-size scene over the screen, mirrored top to bottom, with scan lines one
// target row high and a faint vignette.
float4 CompositePS(VSOut i) : SV_Target
{
    float3 base = inputTex.Sample(sampLinear, i.uv).rgb;
    float3 col = base;
    if (fmod(i.uv.y * resolution.y, 2.0) < 1.0)
        col = SCAN_SHADE * base;
    float2 p = i.uv - 0.5;
    float v = VIGNETTE_FLOOR + VIGNETTE_DEPTH * (1.0 - saturate((length(p) - VIGNETTE_RADIUS) * VIGNETTE_FALLOFF));
    col = v * col;
    return float4(saturate(col), 1.0);
}

// --- Signature: "dorv" as GDI wrote it, white on black, drawn through a viewport over its
// rectangle with a blend of one and one minus source colour. That is GDI's own blend of smoothed
// white text over the picture, channel by channel: coverage + (1 - coverage) * picture.

Texture2D signatureTex : register(t2);

float4 SignaturePS(VSOut i) : SV_Target
{
    uint width;
    uint height;
    signatureTex.GetDimensions(width, height);
    // uv grows upward over the viewport, the texture's rows downward.
    int2 texel = int2(i.uv.x * width, (1.0 - i.uv.y) * height);
    return float4(signatureTex.Load(int3(texel, 0)).rgb, 0.0);
}
