// Finding the default sans face with fontconfig.
#include "font_face.h"

#include <fontconfig/fontconfig.h>

#include <optional>

FontFace DefaultSansFace(bool bold) {
    static std::optional<FontFace> found[2];
    std::optional<FontFace>& cached = found[bold ? 1 : 0];
    if (cached) return *cached;
    FontFace face;
    FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>("sans-serif"));
    if (pattern) {
        FcPatternAddInteger(pattern, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
        FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
        FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
        FcDefaultSubstitute(pattern);
        FcResult result = FcResultNoMatch;
        if (FcPattern* match = FcFontMatch(nullptr, pattern, &result)) {
            FcChar8* file = nullptr;
            int index = 0;
            if (FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch && file) {
                face.file = reinterpret_cast<const char*>(file);
                if (FcPatternGetInteger(match, FC_INDEX, 0, &index) == FcResultMatch)
                    face.index = index;
            }
            FcPatternDestroy(match);
        }
        FcPatternDestroy(pattern);
    }
    cached = face;
    return face;
}
