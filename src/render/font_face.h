// Which font file the program's text is made from.
#pragma once

#include <string>

// A font file and the index of the face inside it.
struct FontFace {
    std::string file;  // empty when no face was found
    int index = 0;     // face within the file
};

// fontconfig's default sans-serif face, regular or bold.
FontFace DefaultSansFace(bool bold);
