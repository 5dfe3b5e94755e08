#include "engine/figure.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "engine/distributions.h"
#include "engine/json_text.h"
#include "numbers/number_text.h"

namespace tomokari {

namespace {

// The picture in pixels at 96 dpi: panels of one width, one under another.
constexpr double kWidth = 416, kPanelHeight = 190;
constexpr double kLeft = 44, kRight = 400;  // the plots' x range
constexpr const char* kFont = "'MS PGothic', IPAPGothic, 'Noto Sans CJK JP', sans-serif";

// The tails beyond the 5 %, 1 % and 0.1 % critical values, light to dark; the residuals'
// diverging scale, blue for more than independence expects and red for fewer (both safe for the
// common colour blindnesses), white at 0 and saturated at the 0.1 % point.
constexpr const char* kTailColours[] = {"#fdd0a2", "#fd8d3c", "#d94801"};
constexpr const char* kLevelNames[] = {"5%", "1%", "0.1%"};
constexpr int kMore[] = {0x21, 0x66, 0xac}, kFewer[] = {0xb2, 0x18, 0x2b};
constexpr double kResidualSaturation = 3.29;
constexpr const char* kResidualMarkTexts[] = {"", "*", "**", "***"};

std::string escaped(std::string_view text) {
    std::string out;
    for (const char c : text) out += c == '&' ? "&amp;" : c == '<' ? "&lt;" : c == '>' ? "&gt;" : std::string(1, c);
    return out;
}

std::string trimmed(std::string text) { return text.erase(0, text.find_first_not_of(' ')); }

// Shapes and texts in SVG, each with its presentation attributes; numbers to a tenth of a pixel.
class Svg {
public:
    void text(double x, double y, std::string_view content, double size = 11, const char* anchor = "start",
              const char* fill = "#000", bool bold = false) {
        add(R"(<text x="%.1f" y="%.1f" font-size="%.1f" text-anchor="%s" fill="%s"%s>)", x, y, size, anchor, fill,
            bold ? R"( font-weight="bold")" : "");
        out_ += escaped(content) + "</text>";
    }
    void line(double x1, double y1, double x2, double y2, const char* stroke, double width = 1, const char* dash = "none") {
        add(R"(<line x1="%.1f" y1="%.1f" x2="%.1f" y2="%.1f" stroke="%s" stroke-width="%.1f" stroke-dasharray="%s"/>)", x1, y1, x2,
            y2, stroke, width, dash);
    }
    void rect(double x, double y, double w, double h, const char* fill, const char* stroke = "none", double opacity = 1) {
        add(R"(<rect x="%.1f" y="%.1f" width="%.1f" height="%.1f" fill="%s" stroke="%s" fill-opacity="%.2f"/>)", x, y, w, h, fill,
            stroke, opacity);
    }
    // A polyline when `fill` is "none", else a closed polygon.
    void path(const std::vector<std::pair<double, double>>& points, const char* fill, const char* stroke = "none", double width = 1) {
        out_ += std::string_view(fill) == "none" ? "<polyline points=\"" : "<polygon points=\"";
        for (const auto& [x, y] : points) add("%.1f,%.1f ", x, y);
        add(R"(" fill="%s" stroke="%s" stroke-width="%.1f" stroke-linejoin="round"/>)", fill, stroke, width);
    }
    void circle(double x, double y, double r, const char* fill) {
        add(R"(<circle cx="%.1f" cy="%.1f" r="%.1f" fill="%s" stroke="#fff" stroke-width="1"/>)", x, y, r, fill);
    }
    // A group with an id, so that a check can find a mark; its content drawn by `draw`.
    template <typename Draw>
    void group(const char* id, Draw draw) {
        add(R"(<g id="%s">)", id);
        draw();
        out_ += "</g>";
    }
    const std::string& text() const { return out_; }

private:
    // One element by a format, as snprintf writes it.
    template <typename... Values>
    void add(const char* format, Values... values) {
        char element[256];
        const int length = std::snprintf(element, sizeof element, format, values...);
        out_.append(element, static_cast<size_t>(std::clamp(length, 0, static_cast<int>(sizeof element) - 1)));
    }

    std::string out_;
};

// Roughly how wide a text is drawn: a full-width character takes the font's size, another half.
double textWidth(std::string_view text, double size) {
    double width = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c >= 0xE0) width += size, i += 2;
        else if (c >= 0x80) width += 0.6 * size, i += 1;
        else width += 0.6 * size;
    }
    return width;
}

// A label over a white ground, so that it stays readable over curves and shades.
void label(Svg& svg, double x, double y, std::string_view text, const char* anchor, double size = 11, const char* fill = "#000") {
    const double width = textWidth(text, size);
    const double left = std::string_view(anchor) == "end" ? x - width : std::string_view(anchor) == "middle" ? x - width / 2 : x;
    svg.rect(left - 2, y - size + 1, width + 4, size + 3, "#ffffff", "none", 0.85);
    svg.text(x, y, text, size, anchor, fill);
}

// Tick marks of about `count` round steps (1, 2 or 5 times a power of ten) from 0 to `end`.
std::vector<double> ticks(double end, int count) {
    const double raw = end / count, power = std::pow(10.0, std::floor(std::log10(raw)));
    const double step = (raw / power <= 1 ? 1 : raw / power <= 2 ? 2 : raw / power <= 5 ? 5 : 10) * power;
    std::vector<double> at;
    for (int k = 0; k * step <= end * (1 + 1e-12) && k <= 2 * count; ++k) at.push_back(k * step);
    return at;
}

void xAxis(Svg& svg, double end, double bottom, const char* name) {
    svg.line(kLeft, bottom, kRight, bottom, "#333");
    for (double tick : ticks(end, 6)) {
        const double x = kLeft + (kRight - kLeft) * tick / end;
        svg.line(x, bottom, x, bottom + 3, "#333");
        svg.text(x, bottom + 14, plainNumberText(tick), 10, "middle");
    }
    svg.text(kRight, bottom + 26, name, 10, "end", "#333");
}

// A label beside a mark in the right part of a plot goes to its left, so that it stays on the picture.
bool labelLeftOf(double x) { return x > kLeft + 0.55 * (kRight - kLeft); }

// How many of the three critical values a statistic lies beyond, in words.
std::string whereItFalls(int level) {
    return level > 0 ? std::string(kLevelNames[level - 1]) + "の棄却域にあります" : "棄却域の外にあります";
}

void drawTest(Svg& svg, const TestPanel& t, double top) {
    const double bottom = top + 150, plotTop = top + 44;
    const double c01 = t.critical[2];
    // A statistic far beyond the 0.1 % point stands at the axis's end as an arrow: the curve
    // keeps its shape instead of being squashed against the left.
    const auto far = [&](double statistic) { return statistic > 3 * c01; };
    double end = c01;
    for (const std::optional<double>& s : {std::optional<double>(t.chiSquare), t.likelihoodRatio}) {
        if (s && !far(*s)) end = std::max(end, *s);
    }
    end *= 1.1;
    const auto xAt = [&](double value) { return kLeft + (kRight - kLeft) * std::min(value, end) / end; };

    svg.text(8, top + 14, "χ2分布（df=" + signedNumberText(t.df) + "）と検定統計量", 12, "start", "#000", true);
    for (int level = 0; level < kLevelCount; ++level) {
        const double x = 8 + 136 * level;
        svg.rect(x, top + 22, 12, 10, kTailColours[level], "#999");
        svg.text(x + 16, top + 31, std::string(kLevelNames[level]) + "の棄却域 >" + roundedText(t.critical[level], 3), 10);
    }

    // The density, cut at the height of its highest point away from 0 (df 1 grows without bound there).
    constexpr int kSamples = 160;
    std::vector<std::pair<double, double>> density;
    double highest = 0;
    for (int k = 1; k <= kSamples; ++k) {
        const double x = end * k / kSamples, y = chiSquareDensity(x, t.df);
        density.emplace_back(x, y);
        if (k >= kSamples / 40) highest = std::max(highest, y);
    }
    if (!(highest > 0)) highest = 1;  // no density a double holds there: a flat line
    const auto yAt = [&](double density) { return bottom - (bottom - plotTop) * std::min(density, highest) / highest; };
    const auto area = [&](double from) {
        std::vector<std::pair<double, double>> points{{xAt(from), bottom}, {xAt(from), yAt(chiSquareDensity(from, t.df))}};
        for (const auto& [x, y] : density) if (x > from) points.emplace_back(xAt(x), yAt(y));
        points.emplace_back(kRight, bottom);
        return points;
    };
    svg.path(area(0), "#eeeeee");
    // Each tail under the curve and, where the curve lies too low to show it, as a band on the axis.
    for (int level = 0; level < kLevelCount; ++level) {
        svg.path(area(t.critical[level]), kTailColours[level]);
        svg.rect(xAt(t.critical[level]), bottom - 6, kRight - xAt(t.critical[level]), 6, kTailColours[level]);
    }
    std::vector<std::pair<double, double>> curve{{kLeft, yAt(chiSquareDensity(end / kSamples / 4, t.df))}};
    for (const auto& [x, y] : density) curve.emplace_back(xAt(x), yAt(y));
    svg.path(curve, "none", "#333", 1.5);
    xAxis(svg, end, bottom, "χ2値");

    // The marks: χ2 with its label on the first two rows, G2 on the next two.
    const auto mark = [&](const char* id, double value, double p, int level, const std::string& name, double row, bool star) {
        svg.group(id, [&] {
            const double x = xAt(value);
            svg.line(x, plotTop - 6, x, bottom, "#08306b", 1.5, star ? "4,2" : "none");
            if (far(value)) {
                svg.path({{x - 10, bottom - 12}, {x, bottom - 6}, {x - 10, bottom}}, "#08306b");
            } else if (star) {
                // A five-pointed star, its points 6.5 px from the middle and the notches 2.6.
                static constexpr double kStar[][2] = {{0, -6.5}, {1.5, -2.1}, {6.2, -2}, {2.5, 0.8}, {3.8, 5.3},
                                                      {0, 2.6}, {-3.8, 5.3}, {-2.5, 0.8}, {-6.2, -2}, {-1.5, -2.1}};
                std::vector<std::pair<double, double>> points;
                for (const auto& [dx, dy] : kStar) points.emplace_back(x + dx, bottom - 7 + dy);
                svg.path(points, "#08306b");
            } else {
                svg.circle(x, bottom - 5, 4.5, "#08306b");
            }
            const bool right = labelLeftOf(x);
            const char* anchor = right ? "end" : "start";
            const double at = right ? x - 4 : x + 4;
            label(svg, at, plotTop + row, name + (far(value) ? " →" : ""), anchor, 11, "#08306b");
            label(svg, at, plotTop + row + 13, pValueText(p) + "　" + (level > 0 ? std::string(kLevelNames[level - 1]) + "で有意" : "有意でない"),
                  anchor, 10, "#08306b");
        });
    };
    mark("chi2-mark", t.chiSquare, t.pChiSquare, t.chiSquareLevel, "●χ2=" + roundedText(t.chiSquare, 3), 4, false);
    if (t.likelihoodRatio) {
        mark("g2-mark", *t.likelihoodRatio, t.pLikelihoodRatio, t.likelihoodLevel, "★G2=" + roundedText(*t.likelihoodRatio, 3), 34, true);
    }
}

// A cell's colour, channel by channel from 0 to 255: white blended towards the hue of its sign by
// |d| / 3.29, full from there on.
std::array<double, 3> blended(double adjusted) {
    const double share = std::min(1.0, std::fabs(adjusted) / kResidualSaturation);
    const int* hue = adjusted >= 0 ? kMore : kFewer;
    std::array<double, 3> channels{};
    for (int k = 0; k < 3; ++k) channels[k] = 255 + (hue[k] - 255) * share;
    return channels;
}

struct Colour {
    char text[8];
};

Colour residualColour(double adjusted) {
    const std::array<double, 3> c = blended(adjusted);
    Colour colour;
    std::snprintf(colour.text, sizeof colour.text, "#%02x%02x%02x", static_cast<int>(std::lround(c[0])), static_cast<int>(std::lround(c[1])),
                  static_cast<int>(std::lround(c[2])));
    return colour;
}

// Black or white, whichever stands out more on the colour.
const char* textOn(double adjusted) {
    const std::array<double, 3> c = blended(adjusted);
    double luminance = 0;
    for (int k = 0; k < 3; ++k) {
        const double linear = c[k] / 255;
        luminance += (k == 0 ? 0.2126 : k == 1 ? 0.7152 : 0.0722) *
                     (linear <= 0.03928 ? linear / 12.92 : std::pow((linear + 0.055) / 1.055, 2.4));
    }
    return (luminance + 0.05) / 0.05 >= 1.05 / (luminance + 0.05) ? "#000" : "#fff";
}

double residualsHeight(const ResidualPanel& r) { return 36 + 24 * r.rows + 46; }

void drawResiduals(Svg& svg, const ResidualPanel& r, double top) {
    svg.text(8, top + 14, "調整済み残差（青：期待値より多い　赤：期待値より少ない）", 12, "start", "#000", true);
    const double cellWidth = std::min(120.0, (kRight - kLeft) / r.columns), cellHeight = 24, gridTop = top + 36;
    for (int j = 0; j < r.columns; ++j) svg.text(kLeft + cellWidth * (j + 0.5), gridTop - 4, "列" + std::to_string(j + 1), 10, "middle");
    svg.group("residual-cells", [&] {
        for (int i = 0; i < r.rows; ++i) {
            const double y = gridTop + cellHeight * i;
            svg.text(kLeft - 6, y + 16, "行" + std::to_string(i + 1), 10, "end");
            for (int j = 0; j < r.columns; ++j) {
                const double d = r.adjusted[i][j], x = kLeft + cellWidth * j;
                svg.rect(x, y, cellWidth, cellHeight, residualColour(d).text, "#888");
                // A residual of many digits takes a smaller font rather than leave its cell.
                const std::string text = trimmed(roundedText(d, 3)) + kResidualMarkTexts[r.marks[i][j]];
                const double size = std::max(6.0, std::min(11.0, 11 * (cellWidth - 4) / textWidth(text, 11)));
                svg.text(x + cellWidth / 2, y + 16, text, size, "middle", textOn(d));
            }
        }
    });
    // The scale: from -3.29 through 0 to 3.29, the 5 % and 1 % points between.
    const double steps[] = {-3.29, -2.58, -1.96, -1, 0, 1, 1.96, 2.58, 3.29};
    const double legendTop = gridTop + cellHeight * r.rows + 12;
    for (int k = 0; k < 9; ++k) {
        const double x = kLeft + 40 + 30 * k;
        svg.rect(x, legendTop, 30, 12, residualColour(steps[k]).text, "#888");
        if (k % 2 == 0) svg.text(x + 15, legendTop + 24, plainNumberText(steps[k]), 9, "middle");
    }
    svg.text(kLeft + 36, legendTop + 10, "少ない", 10, "end");
    svg.text(kLeft + 314, legendTop + 10, "多い", 10, "start");
}

// Why no power curve is drawn: no total reaches 0.8 (and for ω 0 none reaches 0.6 either).
std::string noCurve(const PowerPanel& w) {
    return w.omega == 0 ? "ω が 0 なので、検定力 0.6 に届く全データ数 N はありません。"
                        : "検定力 0.8 に届く全データ数 N が扱える数を超えるので、曲線は描けません。";
}

void drawPower(Svg& svg, const PowerPanel& w, double top) {
    svg.text(8, top + 14, "検定力（α=5%、ω=" + roundedText(w.omega, 4) + "、df=" + signedNumberText(w.df) + "）と全データ数 N", 12,
             "start", "#000", true);
    const double bottom = top + 150, plotTop = top + 28;
    if (!w.totalFor08) {
        svg.text(kWidth / 2, top + 90, noCurve(w), 11, "middle");
        return;
    }
    const double end = 1.1 * std::max(*w.totalFor08, w.total);
    const auto xAt = [&](double n) { return kLeft + (kRight - kLeft) * n / end; };
    const auto yAt = [&](double power) { return bottom - (bottom - plotTop) * power; };
    for (int k = 0; k <= 5; ++k) {
        const double power = k / 5.0;
        svg.line(kLeft - 3, yAt(power), kLeft, yAt(power), "#333");
        svg.text(kLeft - 5, yAt(power) + 4, plainNumberText(power), 10, "end");
    }
    svg.line(kLeft, plotTop, kLeft, bottom, "#333");
    for (double guide : {0.6, 0.8}) svg.line(kLeft, yAt(guide), kRight, yAt(guide), "#999", 1, "4,3");
    std::vector<std::pair<double, double>> curve;
    for (int k = 0; k <= 120; ++k) {
        const double n = end * k / 120;
        curve.emplace_back(xAt(n), yAt(testPower(w.critical, w.df, n * w.omega * w.omega)));
    }
    svg.path(curve, "none", "#2166ac", 2);
    xAxis(svg, end, bottom, "全データ数 N");
    svg.group("power-marks", [&] {
        for (const auto& [target, total] : {std::pair{0.6, *w.totalFor06}, std::pair{0.8, *w.totalFor08}}) {
            const double x = xAt(total), y = yAt(testPower(w.critical, w.df, total * w.omega * w.omega));
            svg.line(x, y, x, bottom, "#2166ac", 1, "2,2");
            svg.circle(x, y, 3, "#2166ac");
            const bool right = x > kRight - 90;
            label(svg, right ? x - 4 : x + 4, y + (target < 0.7 ? 14 : -5), plainNumberText(target) + "：N=" + signedNumberText(total),
                  right ? "end" : "start", 10);
        }
        const double x = xAt(w.total), y = yAt(w.powerAtTotal);
        svg.circle(x, y, 4.5, "#08306b");
        const bool right = labelLeftOf(x);
        label(svg, right ? x - 6 : x + 6, std::max(plotTop + 10, y - 8), "●N=" + signedNumberText(w.total) + "　検定力" + roundedText(w.powerAtTotal, 3),
              right ? "end" : "start", 11, "#08306b");
    });
}

// p values and powers to 12 significant digits: the two editions' math libraries (glibc, and musl
// in WebAssembly) agree that far but not always in the last bits, and the picture draws, and the
// scripted runners report, the same number in both.
double agreed(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.11e", value);
    return std::strtod(text, nullptr);
}

}  // namespace

TestPanel testPanel(const ChiSquareResult& result, const CriticalValueTable& critical) {
    TestPanel t;
    t.df = result.degreesOfFreedom;
    for (int level = 1; level <= kLevelCount; ++level) t.critical[level - 1] = critical.at(t.df, level);
    t.chiSquare = result.chiSquare;
    t.pChiSquare = agreed(chiSquareUpperTail(t.chiSquare, t.df));
    t.chiSquareLevel = result.significanceLevel;
    if (result.likelihoodLevel != kLikelihoodNotComputable) {
        t.likelihoodRatio = result.likelihoodRatio;
        t.pLikelihoodRatio = agreed(chiSquareUpperTail(result.likelihoodRatio, t.df));
        t.likelihoodLevel = result.likelihoodLevel;
    }
    return t;
}

ResidualPanel residualPanel(const CrossTable& table, const ResidualResult& residuals) {
    ResidualPanel r{table.rowCount, table.columnCount, {}, {}};
    for (int i = 0; i < r.rows; ++i) {
        for (int j = 0; j < r.columns; ++j) {
            r.adjusted[i][j] = residuals.cells[i][j].adjusted;
            r.marks[i][j] = residuals.cells[i][j].markLevel;
        }
    }
    return r;
}

PowerPanel powerPanel(double omega, double total, int df, const CriticalValueTable& critical) {
    PowerPanel w{df, critical.at(df, 1), omega, total, 0, {}, {}};
    w.powerAtTotal = agreed(testPower(w.critical, df, total * omega * omega));
    w.totalFor06 = smallestTotalForPower(0.6, w.critical, df, omega);
    w.totalFor08 = smallestTotalForPower(0.8, w.critical, df, omega);
    return w;
}

std::string figureSvg(const Figure& figure) {
    if (!figure.test) return {};
    Svg svg;
    drawTest(svg, *figure.test, 0);
    double height = kPanelHeight;
    if (figure.residuals) drawResiduals(svg, *figure.residuals, height), height += residualsHeight(*figure.residuals);
    if (figure.power) drawPower(svg, *figure.power, height), height += kPanelHeight;
    char head[320];
    std::snprintf(head, sizeof head,
                  R"(<svg xmlns="http://www.w3.org/2000/svg" version="1.1" width="%.0f" height="%.0f" viewBox="0 0 %.0f %.0f" )"
                  R"(font-family="%s"><rect width="100%%" height="100%%" fill="#ffffff"/>)",
                  kWidth, height, kWidth, height, kFont);
    return head + svg.text() + "</svg>";
}

std::string figureCaption(const Figure& figure) {
    if (!figure.test) return {};
    const TestPanel& t = *figure.test;
    std::string parts = "χ2分布";
    if (figure.residuals) parts += "・調整済み残差";
    if (figure.power) parts += "・検定力";
    std::string lines = "図（" + parts + "）：df=" + signedNumberText(t.df) + " で χ2=" + roundedText(t.chiSquare, 3) + " は " +
                        pValueText(t.pChiSquare) + "、" + whereItFalls(t.chiSquareLevel) + "。";
    lines += kLineBreak;
    lines += t.likelihoodRatio ? "尤度比検定の G2=" + roundedText(*t.likelihoodRatio, 3) + " は " + pValueText(t.pLikelihoodRatio) + "、" +
                                     whereItFalls(t.likelihoodLevel) + "。"
                               : std::string("度数が 0 のマス目があるので、G2 は計算できません。");
    lines += kLineBreak + std::string("棄却限界値は 5% で") + roundedText(t.critical[0], 3) + "、1% で" + roundedText(t.critical[1], 3) +
             "、0.1% で" + roundedText(t.critical[2], 3) + "。";
    if (const auto& r = figure.residuals) {
        std::string more, fewer;
        for (int i = 0; i < r->rows; ++i) {
            for (int j = 0; j < r->columns; ++j) {
                if (r->marks[i][j] == 0) continue;
                const std::string cell = "行" + std::to_string(i + 1) + " 列" + std::to_string(j + 1) + "（" +
                                         trimmed(roundedText(r->adjusted[i][j], 3)) + kResidualMarkTexts[r->marks[i][j]] + "）";
                std::string& list = r->adjusted[i][j] > 0 ? more : fewer;
                list += (list.empty() ? "" : "、") + cell;
            }
        }
        lines += kLineBreak + std::string("調整済み残差：");
        if (more.empty() && fewer.empty()) lines += "期待値から 5% で有意にずれたマス目はありません。";
        if (!more.empty()) lines += "期待値より有意に多いのは " + more + "。";
        if (!fewer.empty()) lines += "期待値より有意に少ないのは " + fewer + "。";
    }
    if (const auto& w = figure.power) {
        lines += kLineBreak + std::string("検定力（α=5%、ω=") + roundedText(w->omega, 4) + "）：N=" + signedNumberText(w->total) +
                 " で" + roundedText(w->powerAtTotal, 3) + "。";
        lines += w->totalFor08 ? "検定力 0.6 には N=" + signedNumberText(*w->totalFor06) + "、0.8 には N=" + signedNumberText(*w->totalFor08) +
                                     " が必要です。"
                               : noCurve(*w);
        lines += kLineBreak + std::string("※検定力分析の報告は ω を 0.05 刻みの表から補間して読むので、必要な全データ数が曲線の N と少し違うことがあります。");
    }
    return lines;
}

std::string figureValuesJson(const Figure& figure) {
    const auto optional = [](const std::optional<double>& value) { return value ? jsonNumber(*value) : "null"; };
    const std::optional<TestPanel>& t = figure.test;
    std::string critical = "null", residuals = "null", power = "null";
    if (t) critical = "[" + jsonNumber(t->critical[0]) + "," + jsonNumber(t->critical[1]) + "," + jsonNumber(t->critical[2]) + "]";
    if (const auto& r = figure.residuals) {
        residuals.clear();
        for (int i = 0; i < r->rows; ++i) {
            std::string row;
            for (int j = 0; j < r->columns; ++j) row += (j ? "," : "") + jsonNumber(r->adjusted[i][j]);
            residuals += (i ? ",[" : "[[") + row + "]";
        }
        residuals += "]";
    }
    if (const auto& w = figure.power) {
        power = jsonObject({{"alpha", jsonNumber(kPowerAlpha)}, {"at_n", jsonNumber(w->powerAtTotal)}, {"n", jsonNumber(w->total)},
                            {"n_06", optional(w->totalFor06)}, {"n_08", optional(w->totalFor08)}, {"omega", jsonNumber(w->omega)}});
    }
    return jsonObject({{"chi2", t ? jsonNumber(t->chiSquare) : "null"}, {"critical", critical}, {"df", t ? jsonNumber(t->df) : "null"},
                       {"g2", t ? optional(t->likelihoodRatio) : "null"}, {"p_chi2", t ? jsonNumber(t->pChiSquare) : "null"},
                       {"p_g2", t && t->likelihoodRatio ? jsonNumber(t->pLikelihoodRatio) : "null"}, {"power", power}, {"residuals", residuals}});
}

std::string pValueText(double p) {
    if (!(p >= 1e-4)) return "p < 1E-04";
    return "p =" + signedSignificantText(p, 3);
}

}  // namespace tomokari
