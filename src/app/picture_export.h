// Export Picture: the current view drawn again, at any size, into a PNG.
#pragma once

#include <string>

struct PictureOptions {
    int width = 0;       // pixels
    int height = 0;      // pixels
    float scale = 1.0f;  // factor on line widths
    int dpi = 96;        // written into the file
    bool hover = false;  // keep the hovered atom's cage and element lines
};

// Reads "WIDTHxHEIGHT [SCALE [DPI]] [hover]"; false for anything else or for
// values out of range (sizes 1 to 16384, scale above 0 up to 100, DPI 1 to
// 100000).
bool ParsePictureOptions(const std::string& text, PictureOptions& options);

// Draws the view with the window's own context into an offscreen
// framebuffer of the options' size and writes it to path as PNG, replacing
// the file whole. Reports through the message seam; false when nothing was
// written.
bool ExportPicture(const std::string& path, const PictureOptions& options);

// The menu command: asks for a file, then for the size, scale and DPI.
void ExportPictureAsked();
