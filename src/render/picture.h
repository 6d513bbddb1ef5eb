// Pictures of a frame: the colour buffer read back as an image, PNG
// encoding, and one frame drawn offscreen straight into a PNG file.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "frame.h"
#include "notice.h"
#include "settings.h"

struct Image {
    int width = 0;                   // pixels
    int height = 0;                  // pixels
    std::vector<unsigned char> rgb;  // 3 bytes per pixel, top row first
};

// The current context's colour buffer from (0, 0) to (width, height).
Image ReadFrameImage(int width, int height);

// The image as PNG bytes, compressed for speed (no filters, zlib level 3),
// with its resolution in a pHYs chunk when dpi is above 0; empty when it
// cannot be encoded.
std::string EncodePng(const Image& image, int dpi = 0);

// Draws frame in tiles of tileWidth x tileHeight pixels (no larger than the
// frame) and puts them together into picture: drawTile draws the frame it is
// given into the tile's framebuffer and reads that back, top row first. The
// last tile of a row or column is moved back to end at the frame's edge, so
// every tile has the same size. Each tile starts from the view the first
// started from, so a view that moves by itself every frame (the demonstration
// spin) is the same across the picture. Lines are drawn lineScale times as
// wide as in the window meanwhile; the view's own line scale is back as it
// was afterwards. False, with picture empty, when a tile could not be drawn
// or the picture's memory could not be had.
bool DrawInTiles(const FrameInput& frame, int tileWidth, int tileHeight, float lineScale,
                 const std::function<bool(const FrameInput&, Image&)>& drawTile, Image& picture);

// What the headless picture asks for: a client size in pixels and the
// pointer in client pixels from the top left.
struct PictureRequest {
    int width = kDefaultViewWidth;    // pixels
    int height = kDefaultViewHeight;  // pixels
    bool pointerInView = false;       // false: no pointer, nothing hovered
    int mouseX = 0;                   // pointer, pixels from the left
    int mouseY = 0;                   // pointer, pixels from the top
    bool turnGiven = false;           // set the model turn to turnYaw, turnPitch
    float turnYaw = 0.0f;             // model yaw, degrees
    float turnPitch = 0.0f;           // model pitch, degrees
    bool fit = false;                 // centre on the weighted centre and fit the eye
    long long repeat = 1;             // frames drawn, each whole with its pick; the last is kept
    float lineScale = 1.0f;           // factor on line widths
    int dpi = 0;                      // resolution written into the file; 0 writes none
    int tileSize = 0;                 // largest tile drawn at once, pixels; 0: as large as the
                                      // renderer takes
};

enum class PictureResult {
    written,     // the file holds the frame
    noContext,   // no GL context could be made
    tooLarge,    // the size is beyond the renderer's largest frame
    notWritten,  // the file could not be written (a file error among the notices)
    notDrawn     // the frame could not be drawn or kept in memory
};

struct PictureSize {
    int width = 0;   // pixels
    int height = 0;  // pixels
};

// What drawing a picture came to, and what the person is to be told: the
// fonts that could not be made, then a file that could not be written, in
// that order.
struct PictureOutcome {
    PictureResult result = PictureResult::noContext;
    PictureSize largest;  // with tooLarge: the largest size the renderer can draw
    Notices notices;      // for the shell to show
};

// Draws a frame of the process-wide molecule and settings as the window
// would at that size and writes it to path as PNG, replacing the file whole.
// The camera starts reset; with fit the molecule is centred on its weighted
// centre as the C key does, then turned, then the eye moves back until every
// atom fits (FitEyeToMolecule).
// A picture larger than the renderer's drawing surface is drawn in tiles.
PictureOutcome RenderToPng(const std::string& path, const PictureRequest& request);
