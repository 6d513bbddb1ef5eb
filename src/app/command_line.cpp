// Argument parsing and the headless save and picture modes.
#include "command_line.h"

#include <charconv>
#include <cstdio>
#include <cstdlib>

#include "element.h"
#include "molecule_file.h"
#include "picture.h"
#include "settings_file.h"
#include "simulation.h"
#include "view_state.h"

namespace {

bool ReadStepCount(const std::string& text, long long& steps) {
    if (text.empty() || text.size() > 18) return false;
    for (char c : text)
        if (c < '0' || c > '9') return false;
    steps = std::strtoll(text.c_str(), nullptr, 10);
    return true;
}

}  // namespace

namespace {

// The whole of text as a decimal integer.
bool ReadInteger(std::string_view text, int& value) {
    const char* end = text.data() + text.size();
    const auto [last, error] = std::from_chars(text.data(), end, value);
    return error == std::errc{} && last == end && !text.empty();
}

// "A<separator>B" as two integers.
bool ReadPair(const std::string& text, char separator, int& a, int& b) {
    const size_t at = text.find(separator);
    if (at == std::string::npos) return false;
    const std::string_view view(text);
    return ReadInteger(view.substr(0, at), a) && ReadInteger(view.substr(at + 1), b);
}

// The label mode that the View menu's Labels entries set, by name.
bool ReadLabelMode(const std::string& text, int& mode) {
    static const char* const names[] = {"none", "symbols", "names"};
    for (int i = 0; i < 3; ++i)
        if (text == names[i]) {
            mode = i;
            return true;
        }
    return false;
}

// The text size that the View menu's Text Size entries set, by name.
bool ReadTextSize(const std::string& text, float& size) {
    static const std::pair<const char*, float> sizes[] = {
        {"tiny", 1.5f}, {"small", 2.5f}, {"normal", 4.0f}, {"large", 6.0f}, {"huge", 8.0f}};
    for (const auto& [name, value] : sizes)
        if (text == name) {
            size = value;
            return true;
        }
    return false;
}

}  // namespace

bool ParseCommandLine(const std::vector<std::string>& arguments, CommandLine& result,
                      std::string& error) {
    result = CommandLine{};
    bool help = false, save = false, render = false, sizeGiven = false, textGiven = false;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        const bool hasValue = i + 1 < arguments.size();
        if (argument == "--help" || argument == "-h") {
            help = true;
        } else if (argument == "--render") {
            if (render) {
                error = "--render given twice";
                return false;
            }
            if (!hasValue) {
                error = "--render needs an output file";
                return false;
            }
            render = true;
            result.outputPath = arguments[++i];
        } else if (argument == "--size") {
            if (!hasValue ||
                !ReadPair(arguments[i + 1], 'x', result.pictureWidth, result.pictureHeight) ||
                result.pictureWidth < 1 || result.pictureHeight < 1) {
                error = "--size needs WIDTHxHEIGHT, both at least 1";
                return false;
            }
            sizeGiven = true;
            ++i;
        } else if (argument == "--mouse") {
            if (!hasValue || !ReadPair(arguments[i + 1], ',', result.mouseX, result.mouseY)) {
                error = "--mouse needs X,Y";
                return false;
            }
            result.pointerGiven = true;
            ++i;
        } else if (argument == "--labels") {
            if (!hasValue || !ReadLabelMode(arguments[i + 1], result.labelMode)) {
                error = "--labels needs none, symbols or names";
                return false;
            }
            textGiven = true;
            ++i;
        } else if (argument == "--text-size") {
            if (!hasValue || !ReadTextSize(arguments[i + 1], result.textSize)) {
                error = "--text-size needs tiny, small, normal, large or huge";
                return false;
            }
            textGiven = true;
            ++i;
        } else if (argument == "--save") {
            if (save) {
                error = "--save given twice";
                return false;
            }
            if (i + 1 >= arguments.size()) {
                error = "--save needs an output file";
                return false;
            }
            save = true;
            result.outputPath = arguments[++i];
        } else if (argument == "--steps") {
            if (result.stepsGiven) {
                error = "--steps given twice";
                return false;
            }
            if (i + 1 >= arguments.size() || !ReadStepCount(arguments[i + 1], result.steps)) {
                error = "--steps needs a whole number of steps from 0 up";
                return false;
            }
            result.stepsGiven = true;
            ++i;
        } else if (argument.size() > 1 && argument[0] == '-') {
            error = "unknown option " + argument;
            return false;
        } else if (result.inputPath.empty()) {
            result.inputPath = argument;
        } else {
            error = "more than one molecule file";
            return false;
        }
    }
    if (help) {
        result.mode = CommandLine::Mode::Help;
        return true;
    }
    if (save && render) {
        error = "--save and --render cannot be combined";
        return false;
    }
    if (!render && (sizeGiven || result.pointerGiven || textGiven)) {
        error = "--size, --mouse, --labels and --text-size belong to --render";
        return false;
    }
    if (result.stepsGiven && !save && !render) {
        error = "--steps needs --save or --render";
        return false;
    }
    if (render) {
        result.mode = CommandLine::Mode::Render;
        return true;
    }
    if (save) {
        if (result.inputPath.empty()) {
            error = "--save needs a molecule file to load";
            return false;
        }
        result.mode = CommandLine::Mode::Save;
    }
    return true;
}

std::string UsageText() {
    return "usage: tessaril [FILE]\n"
           "       tessaril [--steps N] --save OUT FILE\n"
           "       tessaril --render OUT.png [--size WxH] [--mouse X,Y] [--labels MODE]\n"
           "                [--text-size SIZE] [--steps N] [FILE]\n"
           "       tessaril --help\n"
           "\n"
           "  FILE             start the program and load the molecule file FILE\n"
           "  --save OUT FILE  without a window: load FILE and write it to OUT\n"
           "  --render OUT.png without a window: load FILE (if given) and draw one\n"
           "                   frame as the window would into the PNG file OUT.png\n"
           "  --size WxH       the picture's size in pixels (default 600x400)\n"
           "  --mouse X,Y      the pointer, in pixels from the top left; the atom\n"
           "                   under it is highlighted and its element data shown\n"
           "                   (default: no pointer)\n"
           "  --labels MODE    atom labels: none, symbols or names (default none)\n"
           "  --text-size SIZE size of the atom labels: tiny, small, normal, large or\n"
           "                   huge (default normal)\n"
           "  --steps N        run N steps of the layout before writing or drawing\n"
           "  --help           print this text\n"
           "\n"
           "Tessaril.ini is read from the working directory; its settings decide the\n"
           "picture's colours and lights, and with @Shadows=1 the atoms cast shadows.\n"
           "The headless modes print messages to stderr and exit with 0 when the\n"
           "output was written, 1 when a file could not be read or written, 2 for a\n"
           "usage error, 3 when no OpenGL context could be made and -1 when\n"
           "Tessaril.ini holds no element.\n";
}

namespace {

// What both headless modes do first: the settings as start-up reads them,
// the file (if any) and the layout steps. kExitWritten when all went well.
int LoadAndStep(const CommandLine& commandLine) {
    ReadSettingsFile();
    if (ElementCount() == 0) return kExitNoElements;
    if (!commandLine.inputPath.empty() && !LoadMoleculeFile(commandLine.inputPath))
        return kExitFileError;
    // As a running program would, with nothing held and nothing paused.
    for (long long step = 0; step < commandLine.steps; ++step) SimulationStep();
    return kExitWritten;
}

}  // namespace

int RunSave(const CommandLine& commandLine) {
    if (const int status = LoadAndStep(commandLine); status != kExitWritten) return status;
    if (!SaveMoleculeFile(commandLine.outputPath)) return kExitFileError;
    return kExitWritten;
}

int RunRender(const CommandLine& commandLine) {
    if (const int status = LoadAndStep(commandLine); status != kExitWritten) return status;
    PictureRequest request;
    request.width = commandLine.pictureWidth;
    request.height = commandLine.pictureHeight;
    request.pointerInView = commandLine.pointerGiven;
    request.mouseX = commandLine.mouseX;
    request.mouseY = commandLine.mouseY;
    viewState.labelMode = commandLine.labelMode;
    viewState.textSize = commandLine.textSize;
    switch (RenderToPng(commandLine.outputPath, request)) {
        case PictureResult::written:
            return kExitWritten;
        case PictureResult::notWritten:
            return kExitFileError;
        case PictureResult::noContext:
            break;
    }
    std::fprintf(stderr, "tessaril: no OpenGL context could be made for a %dx%d picture\n",
                 request.width, request.height);
    return kExitNoContext;
}
