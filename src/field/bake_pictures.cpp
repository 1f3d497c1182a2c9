// A build tool: paints the battlefield's pictures (bitmaps.cpp) once, at build time, and writes them as
// a source file that defines the same functions over constant pixels. The game then copies its
// pictures at start-up instead of painting them.
//
//   bake_pictures OUTPUT.cpp

#include <cstdio>
#include <string>

#include "field/bitmaps.h"

namespace {

void writePixels(std::FILE* out, const char* name, const kestrum::Bitmap& picture) {
    std::fprintf(out, "constexpr int k%sWidth = %d, k%sHeight = %d;\n", name, picture.width, name,
                 picture.height);
    std::fprintf(out, "const uint32_t k%s[] = {", name);
    for (size_t i = 0; i < picture.pixels.size(); ++i)
        std::fprintf(out, "%s0x%06X,", i % 12 == 0 ? "\n    " : " ", unsigned(picture.pixels[i]));
    std::fprintf(out, "\n};\n\n");
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: bake_pictures OUTPUT.cpp\n");
        return 2;
    }
    const std::string path = argv[1], partial = path + ".part";
    std::FILE* out = std::fopen(partial.c_str(), "w");
    if (!out) {
        std::perror(partial.c_str());
        return 1;
    }
    std::fprintf(
        out, "// Written by bake_pictures at build time from src/field/bitmaps.cpp. Do not edit.\n\n"
             "#include <cstdint>\n\n#include \"field/bitmaps.h\"\n\nnamespace kestrum {\n\nnamespace {\n\n");
    writePixels(out, "GroundStrip", kestrum::makeGroundStrip());
    writePixels(out, "GroundPiece0", kestrum::makeGroundPiece(0));
    writePixels(out, "GroundPiece1", kestrum::makeGroundPiece(1));
    writePixels(out, "Base0", kestrum::makeBase(0));
    writePixels(out, "Base1", kestrum::makeBase(1));
    writePixels(out, "Explosion", kestrum::makeExplosion());
    std::fprintf(out, R"(Bitmap copied(int width, int height, const uint32_t* pixels) {
    Bitmap picture;
    picture.width = width;
    picture.height = height;
    picture.pixels.assign(pixels, pixels + width * height);
    return picture;
}

} // namespace

Bitmap makeGroundStrip() {
    return copied(kGroundStripWidth, kGroundStripHeight, kGroundStrip);
}

Bitmap makeGroundPiece(int player) {
    return player == 0 ? copied(kGroundPiece0Width, kGroundPiece0Height, kGroundPiece0)
                       : copied(kGroundPiece1Width, kGroundPiece1Height, kGroundPiece1);
}

Bitmap makeBase(int player) {
    return player == 0 ? copied(kBase0Width, kBase0Height, kBase0) : copied(kBase1Width, kBase1Height, kBase1);
}

Bitmap makeExplosion() {
    return copied(kExplosionWidth, kExplosionHeight, kExplosion);
}

} // namespace kestrum
)");
    const bool written = std::ferror(out) == 0;
    if (std::fclose(out) != 0 || !written || std::rename(partial.c_str(), path.c_str()) != 0) {
        std::perror(path.c_str());
        return 1;
    }
    return 0;
}
