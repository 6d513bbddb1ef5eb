// Reader and writer of Tessaril.ini.
//
// The reader takes the file line by line, each line whole whatever its
// length (CR LF and a lone CR end a line as LF does), and is lenient: keys
// match by prefix, numbers read as atoi/atof would, and reading ends at a
// short line. The writer produces one fixed layout, followed by the lines
// the reader did not take (those it could not use, and everything from
// where it stopped), so that no run loses what it did not understand.
#include "settings_file.h"

#include <unistd.h>

#include <cerrno>
#include <vector>

#include "atomic_write.h"
#include "clamp.h"
#include "text_numbers.h"

namespace {

constexpr size_t kElementFieldCount = 11;

bool StartsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

bool Contains(std::string_view text, std::string_view part) {
    return text.find(part) != std::string_view::npos;
}

// Applies one line that begins with "@"; false when it names no key.
bool ReadKeyLine(std::string_view line, Settings& target) {
    const size_t equals = line.find('=');
    if (equals == std::string_view::npos) return false;
    const std::string_view value = line.substr(equals + 1);
    const bool flag = Contains(line, "=1");

    struct IntKey {
        std::string_view key;
        int Settings::*field;
    };
    static const IntKey intKeys[] = {
        {"@WindowX", &Settings::WindowX},         {"@WindowY", &Settings::WindowY},
        {"@WindowWidth", &Settings::WindowWidth}, {"@WindowHeight", &Settings::WindowHeight},
        {"@Cohesion", &Settings::Cohesion},       {"@DetailLevel", &Settings::DetailLevel},
    };
    struct BoolKey {
        std::string_view key;
        bool Settings::*field;
    };
    static const BoolKey boolKeys[] = {
        {"@Specular", &Settings::Specular},
        {"@Shadows", &Settings::Shadows},
        {"@InvertColours", &Settings::InvertColours},
        {"@Squash", &Settings::Squash},
    };
    struct FloatKey {
        std::string_view key;
        float Settings::*field;
    };
    static const FloatKey floatKeys[] = {
        {"@LightDiffuse", &Settings::LightDiffuse},
        {"@LightAmbient", &Settings::LightAmbient},
    };

    bool taken = false;
    for (const IntKey& k : intKeys)
        if (StartsWith(line, k.key)) {
            target.*k.field = ReadInt(value);
            taken = true;
        }
    for (const BoolKey& k : boolKeys)
        if (StartsWith(line, k.key)) {
            target.*k.field = flag;
            taken = true;
        }
    for (const FloatKey& k : floatKeys)
        if (StartsWith(line, k.key)) {
            target.*k.field = ReadFloatOrZero(value);
            taken = true;
        }

    if (!Contains(line, "Colour=[")) return taken;
    struct ColourKey {
        std::string_view key;
        Colour Settings::*field;
    };
    static const ColourKey colourKeys[] = {
        {"@BackgroundColour", &Settings::BackgroundColour},
        {"@SelectColour", &Settings::SelectColour},
        {"@HighlightColour", &Settings::HighlightColour},
        {"@TextColour", &Settings::TextColour},
        {"@LinkColour", &Settings::LinkColour},
        {"@CloudColour", &Settings::CloudColour},
    };
    Colour* colour = nullptr;
    for (const ColourKey& k : colourKeys)
        if (StartsWith(line, k.key)) colour = &(target.*k.field);
    if (!colour) return taken;

    float* components[] = {&colour->red, &colour->green, &colour->blue, &colour->alpha};
    size_t at = line.find('[');
    for (float* component : components) {
        if (at == std::string_view::npos) break;
        *component = ReadFloatOrZero(line.substr(at + 1));
        at = line.find(',', at + 1);
    }
    return true;
}

enum class LineResult { Taken, Skipped, Stop };

// Reads one element line; a repeated atomic number stops the reading.
LineResult ReadElementLine(std::string_view line, int& previousAtomicNumber, ElementTable& table) {
    // fieldStart[k] is where field k + 1 begins.
    std::vector<size_t> fieldStart{0};
    for (size_t at = line.find(',');
         at != std::string_view::npos && fieldStart.size() < kElementFieldCount;
         at = line.find(',', at + 1))
        fieldStart.push_back(at + 1);
    if (fieldStart.size() < kElementFieldCount) return LineResult::Skipped;

    auto field = [&](size_t number) { return line.substr(fieldStart[number - 1]); };

    Element element;
    element.name = std::string(line.substr(0, fieldStart[1] - 1));
    const std::string_view s = field(2);  // at least nine more commas follow, so s[2] exists
    if (s[0] == ',') return LineResult::Skipped;  // no symbol: as unusable as a missing field
    const size_t symbolLength = s[1] == ',' ? 1 : (s[2] == ',' ? 2 : 3);
    element.symbol = std::string(s.substr(0, symbolLength));

    element.atomicNumber = ReadInt(field(3));
    if (element.atomicNumber == previousAtomicNumber) return LineResult::Stop;
    element.mass = ReadFloatOrZero(field(4));
    element.period = ReadInt(field(5));
    element.group = ReadInt(field(6));
    const char letter = line[fieldStart[6]];
    element.groupLetter = letter == ',' ? ' ' : letter;
    element.radiusAdjust = ReadInt(field(8));
    element.colour.red = ReadFloatOrZero(field(9));
    element.colour.green = ReadFloatOrZero(field(10));
    element.colour.blue = ReadFloatOrZero(field(11));
    element.colour.alpha = 1.0f;
    element.radius = ElementRadius(element.mass, element.radiusAdjust);

    table.push_back(element);
    previousAtomicNumber = element.atomicNumber;
    return LineResult::Taken;
}

std::string WorkingDirectory() {
    std::vector<char> buffer(256);
    for (;;) {
        if (getcwd(buffer.data(), buffer.size())) return std::string(buffer.data());
        if (errno != ERANGE || buffer.size() > (1u << 20)) return std::string();
        buffer.resize(buffer.size() * 2);
    }
}

void AppendLine(std::string& text, std::string_view key, const std::string& value) {
    text.append(key).append(value).push_back('\n');
}

std::string FormatColour(const Colour& colour) {
    return "[" + FormatG(colour.red) + "," + FormatG(colour.green) + "," + FormatG(colour.blue) +
           "," + FormatG(colour.alpha) + "]";
}

}  // namespace

void ParseSettingsText(std::string_view text, Settings& target, ElementTable& table) {
    std::string plain;
    text = WithPlainLineFeeds(text, plain);
    int previousAtomicNumber = -1;
    std::string unread;
    size_t stop = text.size();  // where reading ended
    ForEachLineWithEnd(text, [&](std::string_view line) {
        if (Contains(line, "#")) return true;
        LineResult result = LineResult::Stop;
        if (line.size() >= 5)
            result = line[0] == '@'
                         ? (ReadKeyLine(line, target) ? LineResult::Taken : LineResult::Skipped)
                         : ReadElementLine(line, previousAtomicNumber, table);
        if (result == LineResult::Stop) stop = static_cast<size_t>(line.data() - text.data());
        if (result == LineResult::Skipped) unread.append(line);
        return result != LineResult::Stop;
    });
    unread.append(text.substr(stop));
    if (!unread.empty() && unread.back() != '\n') unread.push_back('\n');
    target.unreadLines = std::make_shared<const std::string>(std::move(unread));
}

std::string FormatSettingsText(const Settings& source, const ElementTable& table) {
    std::string text = "# Tessaril.ini File\n#\n# Configuration Settings\n#\n";
    // The window's outer frame, from the client area the window records.
    const auto frame = [](int client, int inset) {
        return std::to_string(ClampToInt(static_cast<long long>(client) + inset));
    };
    AppendLine(text, "@WindowX=", frame(source.WindowX, -kFrameInsets.left));
    AppendLine(text, "@WindowY=", frame(source.WindowY, -kFrameInsets.top));
    AppendLine(text, "@WindowWidth=", frame(source.restoredWidth, kFrameInsets.width));
    AppendLine(text, "@WindowHeight=", frame(source.restoredHeight, kFrameInsets.height));
    AppendLine(text, "@Cohesion=", std::to_string(source.Cohesion));
    AppendLine(text, "@DetailLevel=", std::to_string(source.DetailLevel));
    AppendLine(text, "@Specular=", source.Specular ? "1" : "0");
    AppendLine(text, "@Shadows=", source.Shadows ? "1" : "0");
    AppendLine(text, "@InvertColours=", source.InvertColours ? "1" : "0");
    AppendLine(text, "@Squash=", source.Squash ? "1" : "0");
    AppendLine(text, "@LightDiffuse=", FormatG(source.LightDiffuse));
    AppendLine(text, "@LightAmbient=", FormatG(source.LightAmbient));
    AppendLine(text, "@BackgroundColour=", FormatColour(source.BackgroundColour));
    AppendLine(text, "@SelectColour=", FormatColour(source.SelectColour));
    AppendLine(text, "@HighlightColour=", FormatColour(source.HighlightColour));
    AppendLine(text, "@TextColour=", FormatColour(source.TextColour));
    AppendLine(text, "@LinkColour=", FormatColour(source.LinkColour));
    AppendLine(text, "@CloudColour=", FormatColour(source.CloudColour));
    text += "#\n# Atomic Data\n#\n";
    for (const Element& e : table) {
        text += e.name + "," + e.symbol + "," + std::to_string(e.atomicNumber) + "," +
                FormatG(e.mass) + "," + std::to_string(e.period) + "," + std::to_string(e.group) +
                "," + e.groupLetter + "," + std::to_string(e.radiusAdjust) + "," +
                FormatG(e.colour.red) + "," + FormatG(e.colour.green) + "," +
                FormatG(e.colour.blue) + "\n";
    }
    if (source.unreadLines) text += *source.unreadLines;
    return text;
}

std::string SettingsFilePath(const Settings& source) {
    // Without a known directory (the working directory was deleted) the
    // name stays relative rather than naming the root's file.
    if (source.startDirectory.empty()) return "Tessaril.ini";
    return source.startDirectory + "/Tessaril.ini";
}

FileResult ReadSettingsFile() {
    // Start-up may have chosen the folder already (an installed program
    // started where there is no Tessaril.ini uses the per-user one).
    if (settings.startDirectory.empty()) settings.startDirectory = WorkingDirectory();
    const std::string path = SettingsFilePath(settings);
    std::string text;
    FileResult result = ReadFileWithNotice(path, text);
    if (result.ok) ParseSettingsText(text, settings, elementTable);
    return result;
}

FileResult WriteSettingsFile() {
    return WriteFileWithNotice(SettingsFilePath(settings),
                               FormatSettingsText(settings, elementTable));
}
