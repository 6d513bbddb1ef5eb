// Argument parsing and the headless save and picture modes.
#include "command_line.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <set>

#include "chemical_formats.h"
#include "element.h"
#include "format_io.h"
#include "installed_files.h"
#include "molecule.h"
#include "molecule_check.h"
#include "molecule_file.h"
#include "notices.h"
#include "picture.h"
#include "settings_file.h"
#include "simulation.h"
#include "view_choices.h"
#include "view_state.h"

namespace {

bool ReadStepCount(const std::string& text, long long& steps) {
    if (text.empty() || text.size() > 18) return false;
    for (char c : text)
        if (c < '0' || c > '9') return false;
    steps = std::strtoll(text.c_str(), nullptr, 10);
    return true;
}

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

// "A,B" as two finite numbers.
bool ReadAngles(const std::string& text, float& a, float& b) {
    const size_t at = text.find(',');
    if (at == std::string::npos) return false;
    auto read = [](std::string_view part, float& value) {
        const char* end = part.data() + part.size();
        const auto [last, error] = std::from_chars(part.data(), end, value);
        return error == std::errc{} && last == end && !part.empty() && std::isfinite(value);
    };
    const std::string_view view(text);
    return read(view.substr(0, at), a) && read(view.substr(at + 1), b);
}

// What the options seen so far ask for, beyond the fields of CommandLine.
struct OptionsSeen {
    bool help = false;
    bool save = false;
    bool render = false;
    bool exportTo = false;  // --export
    bool size = false;      // --size
    bool text = false;      // --labels or --text-size
    bool frame = false;     // --fit, --turn or --repeat
    std::string check;      // FILE of --check
};

// One option: its names, whether it takes a value and what that value does.
// apply is false for an unusable value; the option's message then says what
// it needs.
struct Option {
    const char* name;
    const char* alias;  // a second name, or null
    bool once;          // giving it twice is a usage error
    bool takesValue;
    const char* needs;  // the message for a missing or unusable value
    bool (*apply)(const std::string& value, CommandLine& result, OptionsSeen& seen);
};

const Option kOptions[] = {
    {"--help", "-h", false, false, "",
     [](const std::string&, CommandLine&, OptionsSeen& seen) { return seen.help = true; }},
    {"--render", nullptr, true, true, "--render needs an output file",
     [](const std::string& value, CommandLine& result, OptionsSeen& seen) {
         result.outputPath = value;
         return seen.render = true;
     }},
    {"--size", nullptr, false, true, "--size needs WIDTHxHEIGHT, both at least 1",
     [](const std::string& value, CommandLine& result, OptionsSeen& seen) {
         seen.size = true;
         return ReadPair(value, 'x', result.pictureWidth, result.pictureHeight) &&
                result.pictureWidth >= 1 && result.pictureHeight >= 1;
     }},
    {"--mouse", nullptr, false, true, "--mouse needs X,Y",
     [](const std::string& value, CommandLine& result, OptionsSeen&) {
         return result.pointerGiven = ReadPair(value, ',', result.mouseX, result.mouseY);
     }},
    {"--labels", nullptr, false, true, "--labels needs none, symbols or names",
     [](const std::string& value, CommandLine& result, OptionsSeen& seen) {
         seen.text = true;
         const int mode = LabelModeNamed(value);
         if (mode >= 0) result.labelMode = mode;
         return mode >= 0;
     }},
    {"--text-size", nullptr, false, true, "--text-size needs tiny, small, normal, large or huge",
     [](const std::string& value, CommandLine& result, OptionsSeen& seen) {
         seen.text = true;
         const TextSizeChoice* size = TextSizeNamed(value);
         if (size) result.textSize = size->size;
         return size != nullptr;
     }},
    {"--fit", nullptr, false, false, "",
     [](const std::string&, CommandLine& result, OptionsSeen& seen) {
         return seen.frame = result.fit = true;
     }},
    {"--turn", nullptr, true, true, "--turn needs YAW,PITCH in degrees",
     [](const std::string& value, CommandLine& result, OptionsSeen& seen) {
         seen.frame = true;
         return result.turnGiven = ReadAngles(value, result.turnYaw, result.turnPitch);
     }},
    {"--repeat", nullptr, true, true, "--repeat needs a whole number of frames from 1 up",
     [](const std::string& value, CommandLine& result, OptionsSeen& seen) {
         seen.frame = true;
         return ReadStepCount(value, result.repeat) && result.repeat >= 1;
     }},
    {"--scale", nullptr, true, true, "--scale needs a factor above 0, at most 100",
     [](const std::string& value, CommandLine& result, OptionsSeen& seen) {
         seen.frame = true;
         float ignored = 0.0f;
         return ReadAngles(value + ",0", result.lineScale, ignored) && result.lineScale > 0.0f &&
                result.lineScale <= 100.0f;
     }},
    {"--dpi", nullptr, true, true, "--dpi needs a whole number from 1 to 100000",
     [](const std::string& value, CommandLine& result, OptionsSeen& seen) {
         seen.frame = true;
         return ReadInteger(value, result.dpi) && result.dpi >= 1 && result.dpi <= 100000;
     }},
    {"--save", nullptr, true, true, "--save needs an output file",
     [](const std::string& value, CommandLine& result, OptionsSeen& seen) {
         result.outputPath = value;
         return seen.save = true;
     }},
    {"--export", nullptr, true, true,
     "--export needs an output file ending in .dat, .hpr or a chemistry format's extension",
     [](const std::string& value, CommandLine& result, OptionsSeen& seen) {
         result.outputPath = value;
         seen.exportTo = true;
         return IsWritableMoleculePath(value);
     }},
    {"--smiles", nullptr, true, true, "--smiles needs a SMILES string",
     [](const std::string& value, CommandLine& result, OptionsSeen&) {
         result.smiles = value;
         return !value.empty();
     }},
    {"--check", nullptr, true, true, "--check needs a molecule file",
     [](const std::string& value, CommandLine&, OptionsSeen& seen) {
         seen.check = value;
         return !value.empty();
     }},
    {"--steps", nullptr, true, true, "--steps needs a whole number of steps from 0 up",
     [](const std::string& value, CommandLine& result, OptionsSeen&) {
         return result.stepsGiven = ReadStepCount(value, result.steps);
     }},
};

const Option* OptionNamed(const std::string& argument) {
    for (const Option& option : kOptions)
        if (argument == option.name || (option.alias && argument == option.alias)) return &option;
    return nullptr;
}

}  // namespace

bool ParseCommandLine(const std::vector<std::string>& arguments, CommandLine& result,
                      std::string& error) {
    result = CommandLine{};
    OptionsSeen seen;
    std::set<const Option*> given;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (const Option* option = OptionNamed(argument)) {
            if (option->once && !given.insert(option).second) {
                error = argument + " given twice";
                return false;
            }
            const bool hasValue = i + 1 < arguments.size();
            if (option->takesValue && !hasValue) {
                error = option->needs;
                return false;
            }
            const std::string value = option->takesValue ? arguments[++i] : std::string();
            if (!option->apply(value, result, seen)) {
                error = option->needs;
                return false;
            }
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
    if (seen.help) {
        result.mode = CommandLine::Mode::Help;
        return true;
    }
    if (!seen.check.empty()) {
        if (seen.save || seen.render || seen.exportTo || result.stepsGiven ||
            !result.inputPath.empty() || !result.smiles.empty()) {
            error = "--check takes its molecule file and nothing else";
            return false;
        }
        result.inputPath = seen.check;
        result.mode = CommandLine::Mode::Check;
        return true;
    }
    if (seen.save + seen.render + seen.exportTo > 1) {
        error = "--save, --render and --export cannot be combined";
        return false;
    }
    if (!result.smiles.empty() && !result.inputPath.empty()) {
        error = "--smiles takes the place of FILE";
        return false;
    }
    if (!seen.render && (seen.size || result.pointerGiven || seen.text || seen.frame)) {
        error =
            "--size, --mouse, --labels, --text-size, --fit, --turn, --repeat, --scale and "
            "--dpi belong to --render";
        return false;
    }
    if (result.stepsGiven && !seen.save && !seen.render && !seen.exportTo) {
        error = "--steps needs --save, --render or --export";
        return false;
    }
    if (seen.render) {
        result.mode = CommandLine::Mode::Render;
        return true;
    }
    if (seen.save || seen.exportTo) {
        if (result.inputPath.empty() && result.smiles.empty()) {
            error = seen.save ? "--save needs a molecule file to load or --smiles"
                              : "--export needs a molecule file to load or --smiles";
            return false;
        }
        result.mode = seen.save ? CommandLine::Mode::Save : CommandLine::Mode::Export;
    }
    return true;
}

namespace {

// One line per chemistry format: its extensions, then its name.
std::string ChemicalFormatList() {
    std::string list;
    for (const ChemicalFormatInfo& format : ChemicalFormats()) {
        std::string extensions = "  ";
        for (char c : format.extensions)
            extensions += c == ' ' ? std::string(" .") : std::string(1, c);
        extensions.insert(2, ".");
        extensions.resize(std::max<size_t>(extensions.size() + 1, 19), ' ');
        list += extensions + std::string(format.label) + "\n";
    }
    return list;
}

}  // namespace

std::string UsageText() {
    return "usage: tessaril [FILE | --smiles SMILES]\n"
           "       tessaril [--steps N] --save OUT FILE\n"
           "       tessaril [--steps N] --export OUT.EXT FILE\n"
           "       tessaril --render OUT.png [--size WxH] [--mouse X,Y] [--labels MODE]\n"
           "                [--text-size SIZE] [--turn YAW,PITCH] [--fit] [--repeat N]\n"
           "                [--scale F] [--dpi N] [--steps N] [FILE]\n"
           "       tessaril --check FILE\n"
           "       tessaril --help\n"
           "\n"
           "  FILE             start the program and load the molecule file FILE\n"
           "  --smiles SMILES  in place of FILE: build the molecule in 3D with its\n"
           "                   hydrogens from a SMILES string\n"
           "  --save OUT FILE  without a window: load FILE and write it to OUT, in the\n"
           "                   chemistry format OUT's extension names (below), in the\n"
           "                   program's own format otherwise\n"
           "  --export OUT.EXT without a window: load FILE and write it to OUT.EXT in\n"
           "                   the format its extension names (below, or .dat/.hpr)\n"
           "  --check FILE     without a window: load FILE and print what Check Molecule\n"
           "                   finds, one line each; the exit status is 0 when nothing\n"
           "                   was found, 1 otherwise\n"
           "  --render OUT.png without a window: load FILE (if given) and draw one\n"
           "                   frame as the window would into the PNG file OUT.png\n"
           "  --size WxH       the picture's size in pixels (default " +
           std::to_string(kDefaultViewWidth) + "x" + std::to_string(kDefaultViewHeight) +
           ")\n"
           "  --mouse X,Y      the pointer, in pixels from the top left; the atom\n"
           "                   under it is highlighted and its element data shown\n"
           "                   (default: no pointer)\n"
           "  --labels MODE    atom labels: none, symbols or names (default none)\n"
           "  --text-size SIZE size of the atom labels: tiny, small, normal, large or\n"
           "                   huge (default normal)\n"
           "  --turn YAW,PITCH turn the model by these angles in degrees, as a drag\n"
           "                   with the right button would\n"
           "  --fit            centre the molecule on its weighted centre (as the C\n"
           "                   key does) and move the eye back until every atom\n"
           "                   fits the picture\n"
           "  --repeat N       draw the frame N times and write the last (for timing)\n"
           "  --scale F        multiply the widths of links and lines by F, so a\n"
           "                   picture larger than the window keeps them in proportion\n"
           "                   (atoms and labels follow the picture's size by themselves)\n"
           "  --dpi N          write N dots per inch into the PNG (default: none)\n"
           "  --steps N        run N steps of the layout before writing or drawing\n"
           "  --help           print this text\n"
           "\n"
           "FILE is read in the program's own format (.dat, .hpr) unless its extension\n"
           "names one of these chemistry formats:\n" +
           ChemicalFormatList() + "Their positions in angstrom are converted at 1 angstrom = " +
           std::to_string(static_cast<int>(kUnitsPerAngstrom)) +
           " units.\n"
           "\n"
           "Tessaril.ini is read from the working directory; its settings decide the\n"
           "picture's colours and lights, and with @Shadows=1 the atoms cast shadows.\n"
           "The headless modes print messages to stderr and exit with 0 when the\n"
           "output was written, 1 when a file could not be read or written, 2 for a\n"
           "usage error, 3 when no OpenGL context could be made or the picture could\n"
           "not be drawn (larger than the renderer draws, or beyond the memory), and\n"
           "-1 when Tessaril.ini holds no element.\n"
           "\n"
           "Read more: " +
           WebsiteAddress() + "\n";
}

namespace {

// What both headless modes do first: the settings as start-up reads them,
// the file (if any) and the layout steps. kExitWritten when all went well.
int LoadAndStep(const CommandLine& commandLine) {
    ShowNotices(ReadSettingsFile().notices);
    if (ElementCount() == 0) return kExitNoElements;
    // A picture shows an imported molecule in front of the camera; a file
    // written keeps its coordinates as read.
    const bool centre = commandLine.mode == CommandLine::Mode::Render;
    if (!commandLine.smiles.empty() && !LoadFromSmiles(commandLine.smiles, centre))
        return kExitFileError;
    if (!commandLine.inputPath.empty() && !LoadAnyMoleculeFile(commandLine.inputPath, centre))
        return kExitFileError;
    // As a running program would, with nothing held and nothing paused.
    for (long long step = 0; step < commandLine.steps; ++step) SimulationStep();
    return kExitWritten;
}

}  // namespace

int RunSave(const CommandLine& commandLine) {
    if (const int status = LoadAndStep(commandLine); status != kExitWritten) return status;
    if (!WriteAnyMoleculeFile(commandLine.outputPath)) return kExitFileError;
    return kExitWritten;
}

int RunCheck(const CommandLine& commandLine) {
    if (const int status = LoadAndStep(commandLine); status != kExitWritten) return status;
    const std::vector<std::string> problems = MoleculeProblems(molecule);
    if (problems.empty()) std::puts("No problems found.");
    for (const std::string& line : problems) std::puts(line.c_str());
    return problems.empty() ? kExitWritten : kExitFileError;
}

int RunExport(const CommandLine& commandLine) {
    if (const int status = LoadAndStep(commandLine); status != kExitWritten) return status;
    if (!WriteAnyMoleculeFile(commandLine.outputPath)) return kExitFileError;
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
    request.fit = commandLine.fit;
    request.turnGiven = commandLine.turnGiven;
    request.turnYaw = commandLine.turnYaw;
    request.turnPitch = commandLine.turnPitch;
    request.repeat = commandLine.repeat;
    request.lineScale = commandLine.lineScale;
    request.dpi = commandLine.dpi;
    const PictureOutcome outcome = RenderToPng(commandLine.outputPath, request);
    ShowNotices(outcome.notices);
    const PictureSize& largest = outcome.largest;
    switch (outcome.result) {
        case PictureResult::written:
            return kExitWritten;
        case PictureResult::notWritten:
            return kExitFileError;
        case PictureResult::tooLarge:
            std::fprintf(stderr,
                         "tessaril: a %dx%d picture is larger than the renderer draws; the "
                         "largest is %dx%d\n",
                         request.width, request.height, largest.width, largest.height);
            return kExitNoContext;
        case PictureResult::notDrawn:
            std::fprintf(stderr,
                         "tessaril: a %dx%d picture could not be drawn: there is not enough "
                         "memory\n",
                         request.width, request.height);
            return kExitNoContext;
        case PictureResult::noContext:
            break;
    }
    std::fprintf(stderr, "tessaril: no OpenGL context could be made for a %dx%d picture\n",
                 request.width, request.height);
    return kExitNoContext;
}
