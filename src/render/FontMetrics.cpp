#include "render/FontMetrics.h"

#include <algorithm>
#include <sstream>

const GlyphMetrics* FontMetrics::Find(uint32_t codePoint) const {
    auto found = glyphs.find(codePoint);
    if (found == glyphs.end()) found = glyphs.find('?');
    return found == glyphs.end() ? nullptr : &found->second;
}

bool ParseFontMetrics(std::istream& in, FontMetrics& metrics, std::string& error) {
    metrics = FontMetrics();
    bool haveAtlas = false, haveSize = false, haveLine = false;
    std::string line;
    int number = 0;
    auto fail = [&](const std::string& why) {
        error = "line " + std::to_string(number) + ": " + why;
        return false;
    };
    while (std::getline(in, line)) {
        ++number;
        const size_t start = line.find_first_not_of(" \t\r");
        if (start == std::string::npos || line[start] == '#') continue;
        std::istringstream fields(line);
        std::string key;
        fields >> key;
        if (key == "atlas") {
            if (!(fields >> metrics.atlasWidth >> metrics.atlasHeight) || metrics.atlasWidth <= 0 ||
                metrics.atlasHeight <= 0)
                return fail("the atlas needs a width and a height");
            haveAtlas = true;
        } else if (key == "size") {
            if (!(fields >> metrics.emSize) || metrics.emSize <= 0) return fail("the size needs a number of pixels");
            haveSize = true;
        } else if (key == "line") {
            if (!(fields >> metrics.lineHeight >> metrics.baseline) || metrics.lineHeight <= 0)
                return fail("the line needs a height and a baseline");
            haveLine = true;
        } else if (key == "glyph") {
            if (!haveAtlas) return fail("a glyph before the atlas's size");
            uint32_t codePoint = 0;
            GlyphMetrics g;
            if (!(fields >> codePoint >> g.x >> g.y >> g.width >> g.height >> g.offsetX >> g.offsetY >> g.advance))
                return fail("a glyph needs a code point, x, y, width, height, two offsets and an advance");
            if (g.x < 0 || g.y < 0 || g.width < 0 || g.height < 0 || g.x + g.width > metrics.atlasWidth ||
                g.y + g.height > metrics.atlasHeight)
                return fail("glyph " + std::to_string(codePoint) + " reaches outside the atlas");
            metrics.glyphs[codePoint] = g;
        } else {
            return fail("unknown entry '" + key + "'");
        }
    }
    if (!haveAtlas || !haveSize || !haveLine) {
        error = "the atlas, size and line entries are all needed";
        return false;
    }
    if (metrics.glyphs.empty()) {
        error = "no glyphs";
        return false;
    }
    return true;
}

std::vector<uint32_t> DecodeUtf8(const std::string& text) {
    const uint32_t kReplacement = 0xFFFD;
    std::vector<uint32_t> codePoints;
    codePoints.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        int extra = 0;
        uint32_t cp = 0;
        if (lead < 0x80) {
            cp = lead;
        } else if ((lead & 0xE0) == 0xC0) {
            extra = 1;
            cp = lead & 0x1Fu;
        } else if ((lead & 0xF0) == 0xE0) {
            extra = 2;
            cp = lead & 0x0Fu;
        } else if ((lead & 0xF8) == 0xF0) {
            extra = 3;
            cp = lead & 0x07u;
        } else {
            codePoints.push_back(kReplacement);
            ++i;
            continue;
        }
        bool valid = i + static_cast<size_t>(extra) < text.size();
        for (int k = 1; valid && k <= extra; ++k) {
            const auto next = static_cast<unsigned char>(text[i + static_cast<size_t>(k)]);
            if ((next & 0xC0) != 0x80) valid = false;
            else cp = (cp << 6) | (next & 0x3Fu);
        }
        // Overlong forms, surrogates and values past the last code point are not text.
        static const uint32_t kLeast[4] = {0, 0x80, 0x800, 0x10000};
        if (valid && (cp < kLeast[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))) valid = false;
        if (!valid) {
            codePoints.push_back(kReplacement);
            ++i;
            continue;
        }
        codePoints.push_back(cp);
        i += static_cast<size_t>(extra) + 1;
    }
    return codePoints;
}

TextBox LayoutText(const FontMetrics& metrics, const std::string& text, float pixelHeight,
                   std::vector<GlyphQuad>* quads) {
    TextBox box;
    if (metrics.lineHeight <= 0 || !(pixelHeight > 0.0f)) return box;
    const float scale = pixelHeight / static_cast<float>(metrics.lineHeight);
    const size_t first = quads ? quads->size() : 0;
    // The pen walks from 0; the box reaches from the leftmost picture (a rim may stick out
    // left of the pen) to the rightmost picture or the pen's end, whichever is further.
    float pen = 0.0f, left = 0.0f, right = 0.0f;
    const float sScale = 1.0f / static_cast<float>(metrics.atlasWidth);
    const float tScale = 1.0f / static_cast<float>(metrics.atlasHeight);
    for (uint32_t cp : DecodeUtf8(text)) {
        const GlyphMetrics* g = metrics.Find(cp);
        if (!g) continue;
        if (g->width > 0 && g->height > 0) {
            GlyphQuad q;
            q.left = (pen + static_cast<float>(g->offsetX)) * scale;
            q.right = q.left + static_cast<float>(g->width) * scale;
            q.top = static_cast<float>(g->offsetY) * scale;
            q.bottom = q.top + static_cast<float>(g->height) * scale;
            q.s0 = static_cast<float>(g->x) * sScale;
            q.s1 = static_cast<float>(g->x + g->width) * sScale;
            q.t0 = 1.0f - static_cast<float>(g->y) * tScale;
            q.t1 = 1.0f - static_cast<float>(g->y + g->height) * tScale;
            left = std::min(left, q.left);
            right = std::max(right, q.right);
            if (quads) quads->push_back(q);
        }
        pen += g->advance;
        right = std::max(right, pen * scale);
    }
    // The box starts at its left edge: quads move by the rim that stuck out.
    if (quads)
        for (size_t i = first; i < quads->size(); ++i) {
            (*quads)[i].left -= left;
            (*quads)[i].right -= left;
        }
    box.width = right - left;
    box.height = pixelHeight;
    return box;
}
