#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "shaders/shader_source.h"

// The marches' bounds in the HLSL text against the glyphs they bound, worked out here from the
// glyph constants and the recipes' rectangles: a bound that falls short of its glyph would make a
// march skip a letter it should draw, or stop before it.
namespace {

const std::string& Source()
{
    static const std::string source(ShaderSource, ShaderSourceSize);
    return source;
}

// The components of the static const named name: "= 0.5;", "= float2(0.5, 1.0);" and so on.
std::vector<double> Constant(const std::string& name)
{
    const std::regex declaration("static const float[234]? " + name + " = (float[234]\\()?([^;)]*)");
    std::smatch match;
    if (!std::regex_search(Source(), match, declaration)) {
        ADD_FAILURE() << "no static const " << name;
        return {};
    }
    std::vector<double> values;
    std::istringstream list(match[2].str());
    for (std::string item; std::getline(list, item, ',');) values.push_back(std::stod(item));
    return values;
}

double Scalar(const std::string& name) { return Constant(name).at(0); }

// A recipe's body: how many smooth minima it takes, and its k as a multiple of bar.
struct Merges {
    int count = 0;
    double kPerBar = 0.0;
};

Merges RecipeMerges(const std::string& recipe)
{
    const std::size_t begin = Source().find("float " + recipe + "(");
    const std::size_t end = Source().find("\n}", begin);
    EXPECT_NE(begin, std::string::npos) << recipe;
    const std::string body = Source().substr(begin, end - begin);
    Merges merges;
    for (std::size_t at = body.find("smin("); at != std::string::npos; at = body.find("smin(", at + 1)) ++merges.count;
    const std::size_t k = body.find("float k = ");
    EXPECT_NE(k, std::string::npos) << recipe;
    if (k != std::string::npos) merges.kPerBar = std::strtod(body.c_str() + k + 10, nullptr);
    return merges;
}

struct Rect {
    double cx, cy, hx, hy;
    bool upright = true;  // false for the extent of the N's turned diagonal
};

// The recipes' rectangles for a glyph of width w, height h and stroke bar.
std::vector<Rect> Recipe(char letter, double w, double h, double bar)
{
    const double post = 0.5 * w - 0.5 * bar;
    const double bars = 0.5 * h - 0.5 * bar;
    const Rect stem{0, 0, 0.5 * bar, 0.5 * h};
    switch (letter) {
    case 'H': return {{post, 0, 0.5 * bar, 0.5 * h}, {-post, 0, 0.5 * bar, 0.5 * h}, {0, 0, 0.40 * w, 0.5 * bar}};
    case 'I': return {stem, {0, bars, 0.35 * w, 0.5 * bar}, {0, -bars, 0.35 * w, 0.5 * bar}};
    case 'T': return {{0, bars, 0.5 * w, 0.5 * bar}, stem};
    case 'E':
        return {{-post, 0, 0.5 * bar, 0.5 * h}, {0, bars, 0.5 * w, 0.5 * bar}, {-0.1 * w, 0, 0.4 * w, 0.5 * bar},
                {0, -bars, 0.5 * w, 0.5 * bar}};
    default: {
        // The diagonal: a rectangle of half size (diagHalf, bar / 2) turned by atan2(h, w).
        const double a = std::atan2(h, w);
        const double diagHalf = 0.5 * std::sqrt(w * w + h * h) * 1.02;
        const Rect diagonal{0, 0, std::cos(a) * diagHalf + std::sin(a) * 0.5 * bar,
                            std::sin(a) * diagHalf + std::cos(a) * 0.5 * bar, false};
        return {{post, 0, 0.5 * bar, 0.5 * h}, {-post, 0, 0.5 * bar, 0.5 * h}, diagonal};
    }
    }
}

// Farther than this from its centre along either axis the glyph's distance is positive: its
// rectangles' extent, widened by a quarter of k for each smooth minimum.
Rect Reach(char letter, double w, double h, double bar)
{
    const Merges merges = RecipeMerges(std::string("sdGlyph") + letter);
    const double dent = merges.count * 0.25 * merges.kPerBar * bar;
    Rect reach{0, 0, 0, 0};
    for (const Rect& r : Recipe(letter, w, h, bar)) {
        reach.hx = std::max(reach.hx, std::abs(r.cx) + r.hx + dent);
        reach.hy = std::max(reach.hy, std::abs(r.cy) + r.hy + dent);
    }
    return reach;
}

struct Model {
    std::string prefix;  // LOGO or LETTER
    std::string letters;
    double w, h, bar;
};

Model Logo() { return {"LOGO", "HTN", Scalar("LOGO_W"), Scalar("LOGO_H"), Scalar("LOGO_BAR")}; }
Model Row() { return {"LETTER", "HITEN", Scalar("LETTER_W"), Scalar("LETTER_H"), Scalar("LETTER_BAR")}; }

TEST(ShaderBounds, EachGlyphsReachHoldsItsRectanglesAndSmoothSeams)
{
    for (const Model& model : {Logo(), Row()}) {
        for (const char letter : model.letters) {
            const std::string name = model.prefix + "_REACH_" + letter;
            const std::vector<double> bound = Constant(name);
            const Rect reach = Reach(letter, model.w, model.h, model.bar);
            ASSERT_EQ(bound.size(), 2u) << name;
            EXPECT_GE(bound[0], reach.hx) << name;
            EXPECT_GE(bound[1], reach.hy) << name;
        }
    }
}

// The post that bounds the nearest glyph's distance from above must be a part of that glyph: the
// H's and N's posts on either side, the E's left post, the I's and T's stems.
TEST(ShaderBounds, TheBoundingPostsLieInsideTheirGlyphs)
{
    for (const Model& model : {Logo(), Row()}) {
        const double postX = Scalar(model.prefix + "_POST_X");
        const std::vector<double> half = Constant(model.prefix + "_POST_HALF");
        ASSERT_EQ(half.size(), 2u);
        for (const char letter : model.letters) {
            const bool centred = letter == 'I' || letter == 'T';
            const std::vector<double> sides =
                centred ? std::vector<double>{0.0} : letter == 'E' ? std::vector<double>{-postX} : std::vector<double>{-postX, postX};
            for (const double x : sides) {
                const std::vector<Rect> rects = Recipe(letter, model.w, model.h, model.bar);
                const bool inside = std::any_of(rects.begin(), rects.end(), [&](const Rect& r) {
                    return r.upright && std::abs(x - r.cx) + half[0] <= r.hx + 1e-9 &&
                           half[1] <= r.hy - std::abs(r.cy) + 1e-9;
                });
                EXPECT_TRUE(inside) << model.prefix << " " << letter << " post at " << x;
            }
        }
    }
}

// A march hits where the distance falls below its hit distance, so the boxes that end the marches
// hold every glyph's reach widened by that much.
TEST(ShaderBounds, TheMarchBoxesHoldEveryHit)
{
    const Model logo = Logo();
    const double hit = Scalar("LOGO_HIT");
    const double pitch = logo.w + Scalar("LOGO_SPACING");
    const double halfT = Scalar("LOGO_HALF_T") + hit;
    const std::vector<double> boxMin = Constant("LOGO_BOX_MIN");
    const std::vector<double> boxMax = Constant("LOGO_BOX_MAX");
    ASSERT_EQ(boxMin.size(), 3u);
    ASSERT_EQ(boxMax.size(), 3u);
    for (int i = 0; i < 3; ++i) {
        const Rect reach = Reach(logo.letters[i], logo.w, logo.h, logo.bar);
        const double cx = (i - 1) * pitch;  // H, T, N from left to right
        EXPECT_LE(boxMin[0], cx - reach.hx - hit) << logo.letters[i];
        EXPECT_GE(boxMax[0], cx + reach.hx + hit) << logo.letters[i];
        EXPECT_LE(boxMin[1], -reach.hy - hit) << logo.letters[i];
        EXPECT_GE(boxMax[1], reach.hy + hit) << logo.letters[i];
    }
    EXPECT_LE(boxMin[2], -halfT);
    EXPECT_GE(boxMax[2], halfT);

    // The end card marches in world units, END_SCALE of the letters' model units; each letter turns
    // about its vertical axis, so its reach across and its depth sweep a cylinder.
    const Model row = Row();
    const double rowHit = Scalar("END_HIT") / Scalar("END_SCALE");
    const double depth = Scalar("LETTER_HALF_T") + rowHit;
    for (const char letter : row.letters) {
        const Rect reach = Reach(letter, row.w, row.h, row.bar);
        EXPECT_GE(Scalar("ROW_REACH_XZ"), std::hypot(reach.hx + rowHit, depth)) << letter;
        EXPECT_GE(Scalar("ROW_REACH_Y"), reach.hy + rowHit) << letter;
    }
}

}  // namespace
