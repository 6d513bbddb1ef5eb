// Opening a face with FreeType.
#include "open_face.h"

OpenFace::OpenFace(const FontFace& face) {
    if (face.file.empty() || FT_Init_FreeType(&library_) != 0) {
        library_ = nullptr;
        return;
    }
    if (FT_New_Face(library_, face.file.c_str(), face.index, &face_) != 0) {
        face_ = nullptr;
        return;
    }
    if (!FT_IS_SCALABLE(face_) || face_->units_per_EM == 0) {
        FT_Done_Face(face_);
        face_ = nullptr;
        return;
    }
    FT_Select_Charmap(face_, FT_ENCODING_UNICODE);
}
OpenFace::~OpenFace() {
    if (face_) FT_Done_Face(face_);
    if (library_) FT_Done_FreeType(library_);
}
