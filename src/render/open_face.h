// Font faces read with FreeType: a face opened for the glyph builders, the
// control codes that have no glyph, and the per-process caches of what is
// built from a face. Used by the font files of this folder only.
#pragma once

#include <ft2build.h>
#include FT_FREETYPE_H

#include <map>
#include <memory>
#include <string>
#include <tuple>
#include <utility>

#include "font_face.h"

// The C0 and C1 control codes of Latin-1 have no glyph: their lists draw
// nothing and do not move the pen, so a stray tab in a name shows nothing.
inline bool IsControlCode(int code) {
    return code < 32 || (code >= 127 && code < 160);
}

// A FreeType library with one scalable face open, Unicode mapped where the
// face has it: for codes up to 255 Unicode and Latin-1 agree.
class OpenFace {
public:
    explicit OpenFace(const FontFace& face);
    ~OpenFace();
    OpenFace(const OpenFace&) = delete;
    OpenFace& operator=(const OpenFace&) = delete;
    FT_Face face() const { return face_; }

private:
    FT_Library library_ = nullptr;
    FT_Face face_ = nullptr;
};

// The glyph shapes are made once per process for a face and, for bitmaps, a
// line height in pixels.
using FaceKey = std::tuple<std::string, int, int>;

template <typename Font>
const Font* CachedFont(const FontFace& face, std::unique_ptr<Font> (*build)(FT_Face, int),
                       int size) {
    static std::map<FaceKey, std::unique_ptr<Font>> cache;
    const FaceKey key{face.file, face.index, size};
    if (const auto found = cache.find(key); found != cache.end()) return found->second.get();
    const OpenFace open(face);
    if (!open.face()) return nullptr;
    std::unique_ptr<Font> font = build(open.face(), size);
    if (!font) return nullptr;
    return cache.emplace(key, std::move(font)).first->second.get();
}
