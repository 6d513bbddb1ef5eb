// The chemistry formats through Open Babel: the list of formats, the guards
// around every call into the library, and the mapping between its molecules
// and ours.
//
//   Formats      the fixed list, chosen by extension
//   Guards       user-interface thread, one OpenMP thread, silenced logs,
//                input that is text and whose counts and charges fit
//   Mapping      Open Babel molecule <-> Molecule
//   Operations   import and SMILES build (read in a child process), the
//                atoms' symmetry and stereo perception, export (written in
//                a child process), hydrogens
//   Taking       an imported molecule into the process-wide one
#include "chemical_formats.h"

#include <dlfcn.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <filesystem>
#include <limits>
#include <sstream>
#include <thread>
#include <tuple>

#include <openbabel/atom.h>
#include <openbabel/bond.h>
#include <openbabel/builder.h>
#include <openbabel/forcefield.h>
#include <openbabel/mol.h>
#include <openbabel/obconversion.h>
#include <openbabel/oberror.h>
#include <openbabel/obfunctions.h>
#include <openbabel/obiter.h>
#include <openbabel/stereo/stereo.h>

#include "atomic_write.h"
#include "element.h"
#include "isolated_call.h"
#include "prompts.h"

namespace ob = OpenBabel;

// ---------------------------------------------------------------- Formats

namespace {

struct FormatRow {
    ChemicalFormatInfo info;
    const char* openBabelId;  // the library's name for the format
};

constexpr std::array<FormatRow, 7> kFormats{{
    {{ChemicalFormat::Xyz, "XYZ", "xyz"}, "xyz"},
    {{ChemicalFormat::Molfile, "MDL Molfile / SDF", "mol sdf"}, "sdf"},
    {{ChemicalFormat::Pdb, "PDB", "pdb ent"}, "pdb"},
    {{ChemicalFormat::Mmcif, "mmCIF", "cif mmcif"}, "mmcif"},
    {{ChemicalFormat::Cml, "CML", "cml"}, "cml"},
    {{ChemicalFormat::Mol2, "Mol2", "mol2"}, "mol2"},
    {{ChemicalFormat::Smiles, "SMILES", "smi"}, "smi"},
}};

const FormatRow& RowOf(ChemicalFormat format) {
    return kFormats[static_cast<size_t>(format)];
}

// "*.a *.b" for the extensions of one format.
std::string Patterns(std::string_view extensions) {
    std::string patterns;
    size_t at = 0;
    while (at < extensions.size()) {
        size_t end = extensions.find(' ', at);
        if (end == std::string_view::npos) end = extensions.size();
        if (!patterns.empty()) patterns += ' ';
        patterns += "*.";
        patterns += extensions.substr(at, end - at);
        at = end + 1;
    }
    return patterns;
}

}  // namespace

std::span<const ChemicalFormatInfo> ChemicalFormats() {
    static const auto infos = [] {
        std::array<ChemicalFormatInfo, kFormats.size()> list{};
        for (size_t i = 0; i < kFormats.size(); ++i) list[i] = kFormats[i].info;
        return list;
    }();
    return infos;
}

const ChemicalFormatInfo& FormatInfo(ChemicalFormat format) {
    return RowOf(format).info;
}

const ChemicalFormatInfo* FormatOfPath(std::string_view path) {
    const size_t slash = path.find_last_of('/');
    const std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
    const size_t dot = name.rfind('.');
    if (dot == std::string_view::npos || dot + 1 == name.size()) return nullptr;
    std::string extension(name.substr(dot + 1));
    for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    for (const FormatRow& row : kFormats) {
        std::string_view list = row.info.extensions;
        while (!list.empty()) {
            const size_t end = std::min(list.find(' '), list.size());
            if (list.substr(0, end) == extension) return &row.info;
            list.remove_prefix(std::min(end + 1, list.size()));
        }
    }
    return nullptr;
}

std::string FormatFilters() {
    std::string all;
    for (const FormatRow& row : kFormats) {
        if (!all.empty()) all += ' ';
        all += Patterns(row.info.extensions);
    }
    std::string filters = "All supported (" + all + ")";
    for (const FormatRow& row : kFormats)
        filters += ";;" + std::string(row.info.label) + " (" + Patterns(row.info.extensions) + ")";
    return filters;
}

// ---------------------------------------------------------------- Guards

namespace {

// Static initialisation runs on the thread that starts the program, which
// is the one the window's event loop runs on.
const std::thread::id kInterfaceThread = std::this_thread::get_id();

constexpr size_t kMaxInputBytes = size_t{256} << 20;
constexpr size_t kMaxSmilesLength = 1000;
constexpr double kMaxCoordinate = 1e6;  // ångström; far beyond any real structure
constexpr int kMaxCharge = 16;          // elementary charges on one atom
// A read or a write that takes longer is stopped; the largest files the
// program takes are read and written in well under a minute.
constexpr std::chrono::seconds kReadTimeLimit{120};
constexpr std::chrono::seconds kWriteTimeLimit{120};
constexpr const char* kUnreadable = "It could not be read: a record is malformed.";

std::string ChargeError(size_t atom, long long charge) {
    // The own format writes one character per unit of charge.
    return "Atom " + std::to_string(atom) + " has a charge of " + std::to_string(charge) +
           ", beyond the " + std::to_string(kMaxCharge) + " units either way the program takes.";
}

// Swallows the library's own text while a call is running.
class NullBuffer : public std::streambuf {
protected:
    int overflow(int c) override { return c == EOF ? 0 : c; }
    std::streamsize xsputn(const char*, std::streamsize count) override { return count; }
};

// The XML parser under the CML format prints its complaints itself unless
// given handlers; it is loaded with the library's format plugins.
void SilentXmlError(void*, const char*, ...) {}
void SilentXmlStructuredError(void*, void*) {}

void SilenceXmlParser() {
    using Generic = void (*)(void*, void (*)(void*, const char*, ...));
    using Structured = void (*)(void*, void (*)(void*, void*));
    if (auto set = reinterpret_cast<Generic>(dlsym(RTLD_DEFAULT, "xmlSetGenericErrorFunc")))
        set(nullptr, SilentXmlError);
    if (auto set = reinterpret_cast<Structured>(dlsym(RTLD_DEFAULT, "xmlSetStructuredErrorFunc")))
        set(nullptr, SilentXmlStructuredError);
}

// Once per process: the library's plugins loaded (so that reads in child
// processes start ready), its log quiet, its parallel loops on one thread.
void PrepareLibrary() {
    static const bool prepared = [] {
        // The OpenMP runtime comes with the library; asking it by name
        // keeps the compiler's own OpenMP support out of the build.
        using SetThreads = void (*)(int);
        if (auto set = reinterpret_cast<SetThreads>(dlsym(RTLD_DEFAULT, "omp_set_num_threads")))
            set(1);
        ob::OBConversion::FindFormat("cml");  // loads the plugins and their parsers
        ob::obErrorLog.StopLogging();
        ob::obErrorLog.SetOutputLevel(ob::obError);
        // The library fills its tables (bond typing, aromaticity, atom
        // typing) on first use; filled here they are inherited by every
        // child process instead of being filled again in each.
        ob::OBConversion conversion;
        ob::OBMol mol;
        std::istringstream in("3\nwater\nO 0 0 0\nH 0.96 0 0\nH -0.24 0.93 0\n");
        if (conversion.SetInFormat("xyz")) conversion.Read(&mol, &in);
        (void)mol.GetFormula();
        return true;
    }();
    (void)prepared;
}

// Held for the length of every call into the library: its error log and
// anything it writes to the standard error streams go nowhere, and its
// parallel loops run on one thread (with its default team one force-field
// run was thirty times slower on a shared machine).
class LibraryCall {
public:
    LibraryCall() {
        static NullBuffer nullBuffer;
        static std::ostream nullStream(&nullBuffer);
        PrepareLibrary();
        ob::obErrorLog.SetOutputStream(&nullStream);
        SilenceXmlParser();
        savedErr_ = std::cerr.rdbuf(&nullBuffer);
        savedLog_ = std::clog.rdbuf(&nullBuffer);
    }
    ~LibraryCall() {
        std::cerr.rdbuf(savedErr_);
        std::clog.rdbuf(savedLog_);
    }
    LibraryCall(const LibraryCall&) = delete;
    LibraryCall& operator=(const LibraryCall&) = delete;

private:
    std::streambuf* savedErr_ = nullptr;
    std::streambuf* savedLog_ = nullptr;
};

bool OnInterfaceThread(std::string& error) {
    if (std::this_thread::get_id() == kInterfaceThread) return true;
    error = "Chemistry formats can only be used from the user-interface thread.";
    return false;
}

// Text may hold any byte but the control characters that never occur in
// a text file (the zero byte and the like).
bool LooksLikeText(std::string_view text) {
    for (unsigned char c : text)
        if (c < 0x20 && c != '\t' && c != '\n' && c != '\r' && c != '\f' && c != '\v') return false;
    return true;
}

std::string_view LineAt(std::string_view text, size_t index) {
    for (size_t i = 0; i < index; ++i) {
        const size_t end = text.find('\n');
        if (end == std::string_view::npos) return {};
        text.remove_prefix(end + 1);
    }
    return text.substr(0, text.find('\n'));
}

size_t LineCount(std::string_view text) {
    return static_cast<size_t>(std::count(text.begin(), text.end(), '\n')) + 1;
}

// The two numbers at the start of line, or -1 for each missing one (a word
// where a number should be counts as missing).
std::pair<long long, long long> TwoNumbers(std::string_view line) {
    long long numbers[2] = {-1, -1};
    const char* at = line.data();
    const char* end = line.data() + line.size();
    for (long long& number : numbers) {
        while (at < end && (*at == ' ' || *at == '\t' || *at == '\r')) ++at;
        if (at < end && *at == '+') ++at;
        const auto [last, error] = std::from_chars(at, end, number);
        if (error == std::errc::result_out_of_range) {
            number = std::numeric_limits<long long>::max();
        } else if (error != std::errc{}) {
            number = -1;
            break;
        }
        at = last;
    }
    return {numbers[0], numbers[1] < 0 ? 0 : numbers[1]};
}

// The formats that state their atom count up front: a count that the text
// cannot hold would make the library reserve room for it before reading.
std::string CountsError(std::string_view text, ChemicalFormat format) {
    long long atoms = -1, bonds = 0, otherLines = 0;
    if (format == ChemicalFormat::Xyz) {
        atoms = TwoNumbers(LineAt(text, 0)).first;
        otherLines = 2;
    } else if (format == ChemicalFormat::Molfile) {
        const size_t v3000 = text.find("M  V30 COUNTS");
        const std::string_view counts = LineAt(text, 3);
        if (v3000 != std::string_view::npos) {
            std::tie(atoms, bonds) = TwoNumbers(LineAt(text.substr(v3000 + 13), 0));
        } else if (counts.size() >= 6) {  // two fields of three characters
            atoms = TwoNumbers(counts.substr(0, 3)).first;
            bonds = TwoNumbers(counts.substr(3, 3)).first;
        }
        otherLines = 4;
    } else if (format == ChemicalFormat::Mol2) {
        const size_t at = text.find("@<TRIPOS>MOLECULE");
        if (at != std::string_view::npos)
            std::tie(atoms, bonds) = TwoNumbers(LineAt(text.substr(at), 2));
        otherLines = 3;
    }
    if (atoms < 0 || bonds < 0) return {};
    if (static_cast<unsigned long long>(atoms) + static_cast<unsigned long long>(bonds) +
            static_cast<unsigned long long>(otherLines) >
        LineCount(text))
        return "It says it holds " + std::to_string(atoms) + " atoms and " + std::to_string(bonds) +
               " bonds, but it has only " + std::to_string(LineCount(text)) + " lines.";
    return {};
}

// The lines of the Mol2 section that starts with header, up to the next
// section.
std::vector<std::string_view> Mol2Section(std::string_view text, std::string_view header) {
    std::vector<std::string_view> lines;
    size_t at = text.find(header);
    if (at == std::string_view::npos) return lines;
    at = text.find('\n', at);
    while (at != std::string_view::npos && at + 1 < text.size()) {
        const size_t end = text.find('\n', at + 1);
        const std::string_view line = text.substr(
            at + 1, end == std::string_view::npos ? std::string_view::npos : end - at - 1);
        if (line.substr(0, 9) == "@<TRIPOS>") break;
        lines.push_back(line);
        at = end;
    }
    return lines;
}

// The Mol2 reader looks up the atom named by every entry of the atom
// attributes without checking that it exists.
std::string Mol2AttributesError(std::string_view text) {
    size_t atoms = 0;
    for (std::string_view line : Mol2Section(text, "@<TRIPOS>ATOM"))
        if (line.find_first_not_of(" \t\r") != std::string_view::npos) ++atoms;
    const std::vector<std::string_view> lines = Mol2Section(text, "@<TRIPOS>UNITY_ATOM_ATTR");
    for (size_t i = 0; i < lines.size(); ++i) {
        const auto [atom, count] = TwoNumbers(lines[i]);
        if (atom < 1 || static_cast<size_t>(atom) > atoms || count < 0)
            return "Its atom attributes name an atom that is not there.";
        i += static_cast<size_t>(std::min<long long>(count, static_cast<long long>(lines.size())));
    }
    return {};
}

// The whole number word (an optional sign, then digits) in charge, held at
// the ends of long long's range when beyond it; false for anything else.
bool ReadWrittenCharge(std::string_view word, long long& charge) {
    if (word.empty()) return false;
    const bool negative = word[0] == '-';
    if (word[0] == '+') word.remove_prefix(1);
    const char* end = word.data() + word.size();
    const auto [last, error] = std::from_chars(word.data(), end, charge);
    if (error == std::errc::result_out_of_range)
        charge = negative ? std::numeric_limits<long long>::min()
                          : std::numeric_limits<long long>::max();
    else if (error != std::errc{})
        return false;
    return last == end;
}

// The CML reader keeps a formal charge in a byte: 2147483647 would come in
// as -1. The charges of the atoms (one per atom tag, or a list on an atom
// array) are checked as written.
std::string CmlChargeError(std::string_view text) {
    constexpr std::string_view kAttribute = "formalCharge=";
    size_t atoms = 0;   // atom tags up to the one the charge is on
    bool list = false;  // that tag is an atom array, whose charges come as a list
    size_t open = text.find('<');
    for (size_t at = text.find(kAttribute); at != std::string_view::npos;
         at = text.find(kAttribute, at + 1)) {
        // The tags before the attribute, in one pass over the whole text.
        for (; open != std::string_view::npos && open < at; open = text.find('<', open + 1)) {
            std::string_view name = text.substr(open + 1);
            name = name.substr(0, name.find_first_of(" \t\r\n/>"));
            if (const size_t colon = name.find(':'); colon != std::string_view::npos)
                name.remove_prefix(colon + 1);
            if (name == "atom") ++atoms;
            list = name == "atomArray";
        }
        const size_t begin = at + kAttribute.size() + 1;
        if (begin > text.size()) break;
        const char quote = text[begin - 1];
        const size_t close = text.find(quote, begin);
        if ((quote != '"' && quote != '\'') || close == std::string_view::npos) continue;
        std::string_view values = text.substr(begin, close - begin);
        for (size_t index = 1;; ++index) {
            const size_t start = values.find_first_not_of(" \t\r\n");
            if (start == std::string_view::npos) break;
            values.remove_prefix(start);
            const size_t length = std::min(values.find_first_of(" \t\r\n"), values.size());
            const std::string_view word = values.substr(0, length);
            values.remove_prefix(length);
            long long charge = 0;
            if (ReadWrittenCharge(word, charge) && (charge > kMaxCharge || charge < -kMaxCharge))
                return ChargeError(list ? index : atoms, charge);
        }
    }
    return {};
}

// The V3000 Molfile reader takes a "CHG=" field into an int without a
// range check: 4294967300 would come in as 4. The fields are checked as
// written. (V2000 charges have four columns, which the reader keeps to.)
std::string MolfileChargeError(std::string_view text) {
    while (!text.empty()) {
        const size_t end = std::min(text.find('\n'), text.size());
        std::istringstream line{std::string(text.substr(0, end))};
        text.remove_prefix(std::min(end + 1, text.size()));
        std::string m, v30, atom, word;
        if (!(line >> m >> v30 >> atom) || m != "M" || v30 != "V30") continue;
        while (line >> word) {
            if (word.compare(0, 4, "CHG=") != 0) continue;
            long long charge = 0;
            if (!ReadWrittenCharge(std::string_view(word).substr(4), charge) ||
                (charge <= kMaxCharge && charge >= -kMaxCharge))
                continue;
            size_t index = 0;
            std::from_chars(atom.data(), atom.data() + atom.size(), index);
            return ChargeError(index, charge);
        }
    }
    return {};
}

std::string InputError(std::string_view text, ChemicalFormat format) {
    if (text.find_first_not_of(" \t\r\n\f\v") == std::string_view::npos)
        return "There is nothing in it.";
    if (text.size() > kMaxInputBytes) return "It is larger than 256 MB.";
    if (!LooksLikeText(text)) return "It is not a text file.";
    if (format == ChemicalFormat::Mol2) {
        const std::string error = Mol2AttributesError(text);
        if (!error.empty()) return error;
    }
    if (format == ChemicalFormat::Cml || format == ChemicalFormat::Molfile) {
        const std::string error =
            format == ChemicalFormat::Cml ? CmlChargeError(text) : MolfileChargeError(text);
        if (!error.empty()) return error;
    }
    return CountsError(text, format);
}

// Line ends of old Macintosh files (a carriage return alone) as line feeds:
// some of the library's readers take only the other two kinds.
std::string WithLineFeeds(std::string_view text) {
    std::string fed(text);
    for (size_t i = 0; i < fed.size(); ++i)
        if (fed[i] == '\r' && (i + 1 == fed.size() || fed[i + 1] != '\n')) fed[i] = '\n';
    return fed;
}

}  // namespace

// ---------------------------------------------------------------- Mapping

namespace {

Element* ElementOfNumber(int atomicNumber) {
    Element* element = ElementAt(atomicNumber - 1);
    if (element && element->atomicNumber == atomicNumber) return element;
    for (int i = 0; i < ElementCount(); ++i)
        if (ElementAt(i)->atomicNumber == atomicNumber) return ElementAt(i);
    return nullptr;
}

// Links a and b with order, or raises nothing when they are linked already
// (a file may list a bond twice).
void Link(std::vector<Node>& nodes, int a, int b, int order) {
    if (a == b) return;
    Node& first = nodes[static_cast<size_t>(a)];
    if (std::find(first.neighbours.begin(), first.neighbours.end(), b) != first.neighbours.end())
        return;
    first.neighbours.push_back(b);
    first.linkOrders.push_back(order);
    Node& second = nodes[static_cast<size_t>(b)];
    second.neighbours.push_back(a);
    second.linkOrders.push_back(order);
}

std::string CleanTitle(std::string title) {
    for (char& c : title)
        if (static_cast<unsigned char>(c) < 0x20) c = ' ';
    const size_t first = title.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    title = title.substr(first, title.find_last_not_of(' ') - first + 1);
    if (title.size() > kInputTextLimit) title.resize(kInputTextLimit);
    return title;
}

// What a read in the library gives, as plain data: it is what comes back
// from the child process the read runs in.
struct LibraryAtom {
    int atomicNumber = 0;
    double x = 0, y = 0, z = 0;  // ångström
    int charge = 0;
};
struct LibraryBond {
    int first = 0, second = 0;  // indices into atoms
    int order = 1;
};
struct LibraryMolecule {
    std::string error;  // the read failed; nothing else is set
    std::vector<LibraryAtom> atoms;
    std::vector<LibraryBond> bonds;
    std::string title, formula;
};

LibraryMolecule TakeFromLibrary(ob::OBMol& mol) {
    LibraryMolecule taken;
    taken.atoms.reserve(mol.NumAtoms());
    FOR_ATOMS_OF_MOL(atom, mol) {
        taken.atoms.push_back({static_cast<int>(atom->GetAtomicNum()), atom->GetX(), atom->GetY(),
                               atom->GetZ(), atom->GetFormalCharge()});
    }
    FOR_BONDS_OF_MOL(bond, mol) {
        taken.bonds.push_back({static_cast<int>(bond->GetBeginAtomIdx()) - 1,
                               static_cast<int>(bond->GetEndAtomIdx()) - 1,
                               static_cast<int>(bond->GetBondOrder())});
    }
    taken.title = mol.GetTitle();
    taken.formula = mol.GetFormula();
    return taken;
}

// The position in model units of an atom at x, y, z ångström, or false when
// a coordinate is not finite and within range.
bool ModelPosition(double x, double y, double z, Vector3& position) {
    const double coordinates[] = {x, y, z};
    for (double c : coordinates)
        if (!std::isfinite(c) || std::fabs(c) > kMaxCoordinate) return false;
    position = {static_cast<float>(coordinates[0] * kUnitsPerAngstrom),
                static_cast<float>(coordinates[1] * kUnitsPerAngstrom),
                static_cast<float>(coordinates[2] * kUnitsPerAngstrom)};
    return true;
}

// The PDB reader leaves the title empty; the first COMPND record holds it.
std::string PdbTitle(std::string_view text) {
    for (size_t at = 0; at < text.size();) {
        const std::string_view line = LineAt(text.substr(at), 0);
        if (line.substr(0, 6) == "COMPND") return CleanTitle(std::string(line.substr(6)));
        at += line.size() + 1;
    }
    return {};
}

void FromLibrary(const LibraryMolecule& taken, ImportResult& result) {
    std::vector<Node>& nodes = result.molecule.nodes;
    std::vector<int> nodeOf(taken.atoms.size(), -1);
    int unknown = 0;
    nodes.reserve(taken.atoms.size());
    for (size_t index = 0; index < taken.atoms.size(); ++index) {
        const LibraryAtom& atom = taken.atoms[index];
        const std::string number = std::to_string(index + 1);
        Node node;
        if (!ModelPosition(atom.x, atom.y, atom.z, node.position)) {
            result.error =
                "Atom " + number + " has a coordinate that is not a finite number in range.";
            nodes.clear();
            return;
        }
        node.element = ElementOfNumber(atom.atomicNumber);
        if (!node.element) {
            ++unknown;
            continue;
        }
        node.charge = atom.charge;
        if (std::abs(node.charge) > kMaxCharge) {
            result.error = ChargeError(index + 1, node.charge);
            nodes.clear();
            return;
        }
        node.id = static_cast<int>(nodes.size());
        nodeOf[index] = node.id;
        nodes.push_back(std::move(node));
    }
    if (nodes.empty()) {
        result.error = unknown > 0 ? "None of its atoms is of an element the program knows."
                                   : "There are no atoms in it.";
        return;
    }
    const auto nodeAt = [&](int index) {
        return index >= 0 && static_cast<size_t>(index) < nodeOf.size()
                   ? nodeOf[static_cast<size_t>(index)]
                   : -1;
    };
    for (const LibraryBond& bond : taken.bonds) {
        const int a = nodeAt(bond.first);
        const int b = nodeAt(bond.second);
        if (a < 0 || b < 0) continue;
        Link(nodes, a, b, std::max(1, bond.order));
    }
    if (unknown > 0)
        result.warning = std::to_string(unknown) + (unknown == 1 ? " atom" : " atoms") +
                         " of unknown elements left out.";
    const std::string title = CleanTitle(taken.title);
    if (!title.empty()) result.molecule.name = title;
    result.molecule.formula = taken.formula;
}

constexpr int kMaxWrittenOrder = 3;

// The library's molecule for source, with every node as an atom in order.
void ToOpenBabel(const Molecule& source, ob::OBMol& mol) {
    mol.BeginModify();
    for (const Node& node : source.nodes) {
        ob::OBAtom* atom = mol.NewAtom();
        atom->SetAtomicNum(node.element ? node.element->atomicNumber : 0);
        atom->SetVector(node.position.x / kUnitsPerAngstrom, node.position.y / kUnitsPerAngstrom,
                        node.position.z / kUnitsPerAngstrom);
        atom->SetFormalCharge(node.charge);
    }
    for (const Node& node : source.nodes)
        for (size_t i = 0; i < node.neighbours.size(); ++i) {
            const int other = node.neighbours[i];
            if (other <= node.id) continue;
            mol.AddBond(node.id + 1, other + 1, std::min(node.linkOrders[i], kMaxWrittenOrder));
        }
    mol.EndModify();
    mol.SetDimension(3);
    mol.SetTitle(source.name.c_str());
}

}  // namespace

// ---------------------------------------------------------------- Operations

namespace {

// Builds mol in 3D with its hydrogens and tidies it with a short force-field
// run; false when the builder fails.
bool BuildIn3D(ob::OBMol& mol) {
    mol.AddHydrogens();
    ob::OBBuilder builder;
    if (!builder.Build(mol, false)) return false;
    mol.SetDimension(3);
    for (const char* name : {"MMFF94", "UFF"}) {
        ob::OBForceField* field = ob::OBForceField::FindForceField(name);
        if (!field) continue;
        field->SetLogLevel(OBFF_LOGLVL_NONE);
        if (!field->Setup(mol)) continue;
        field->ConjugateGradients(250);
        field->GetCoordinates(mol);
        break;
    }
    return true;
}

// The library's read of text, run in a child process by ImportMoleculeText.
LibraryMolecule ReadInLibrary(std::string_view text, ChemicalFormat format) {
    LibraryMolecule taken;
    LibraryCall call;
    ob::OBConversion conversion;
    ob::OBMol mol;
    std::istringstream in{std::string(text)};
    try {
        if (!conversion.SetInFormat(RowOf(format).openBabelId) || !conversion.Read(&mol, &in) ||
            mol.NumAtoms() == 0) {
            taken.error = "There are no atoms in it.";
            return taken;
        }
        if (format == ChemicalFormat::Smiles && !BuildIn3D(mol)) {
            taken.error = "No 3D structure could be built for it.";
            return taken;
        }
        return TakeFromLibrary(mol);
    } catch (const std::exception&) {
        // The library's readers throw on some malformed lines (a record cut
        // short, a number out of range).
        taken.error = kUnreadable;
        return taken;
    }
}

// Symmetry classes of the atoms by colour refinement: atoms start in classes
// of their element, charge, isotope, ring and aromatic marks, and are split
// by the classes and bond orders of their neighbours until no class splits,
// or for at most kRefinementRounds rounds. Atoms the molecule's symmetry
// maps onto each other always share a class. The library's own classes
// (graph distances between all pairs of atoms, refined one bond at a time)
// cost time cubic in the length of a chain; these are linear per round, and
// the stereo perception that uses them needs only which atoms are alike.
constexpr int kRefinementRounds = 64;

uint64_t Mixed(uint64_t value) {
    value += 0x9e3779b97f4a7c15ull;
    value = (value ^ (value >> 30)) * 0xbf58476d1ce4e5b9ull;
    value = (value ^ (value >> 27)) * 0x94d049bb133111ebull;
    return value ^ (value >> 31);
}

// Renumbers keys as classes 1, 2, ... in the order of the keys; returns the
// number of classes.
size_t Renumber(const std::vector<uint64_t>& keys, std::vector<unsigned int>& classes) {
    std::vector<uint64_t> distinct = keys;
    std::sort(distinct.begin(), distinct.end());
    distinct.erase(std::unique(distinct.begin(), distinct.end()), distinct.end());
    classes.resize(keys.size());
    for (size_t i = 0; i < keys.size(); ++i)
        classes[i] = static_cast<unsigned int>(
            std::lower_bound(distinct.begin(), distinct.end(), keys[i]) - distinct.begin() + 1);
    return distinct.size();
}

std::vector<unsigned int> SymmetryClasses(ob::OBMol& mol) {
    const size_t count = mol.NumAtoms();
    std::vector<uint64_t> keys(count);
    std::vector<std::vector<std::pair<size_t, unsigned int>>> neighbours(count);
    FOR_ATOMS_OF_MOL(atom, mol) {
        const size_t index = atom->GetIndex();
        keys[index] =
            Mixed((uint64_t{atom->GetAtomicNum()} << 40) ^ (uint64_t{atom->GetIsotope()} << 24) ^
                  (static_cast<uint64_t>(atom->GetFormalCharge() + 128) << 8) ^
                  (atom->IsInRing() ? 2u : 0u) ^ (atom->IsAromatic() ? 1u : 0u));
    }
    FOR_BONDS_OF_MOL(bond, mol) {
        const size_t a = bond->GetBeginAtom()->GetIndex(), b = bond->GetEndAtom()->GetIndex();
        neighbours[a].push_back({b, bond->GetBondOrder()});
        neighbours[b].push_back({a, bond->GetBondOrder()});
    }
    std::vector<unsigned int> classes;
    size_t classCount = Renumber(keys, classes);
    std::vector<uint64_t> around;
    for (int round = 0; round < kRefinementRounds; ++round) {
        for (size_t i = 0; i < count; ++i) {
            around.clear();
            for (const auto& [other, order] : neighbours[i])
                around.push_back(Mixed((uint64_t{classes[other]} << 8) | order));
            std::sort(around.begin(), around.end());
            uint64_t key = Mixed(classes[i]);
            for (uint64_t part : around) key = Mixed(key ^ part);
            keys[i] = key;
        }
        const size_t refined = Renumber(keys, classes);
        if (refined == classCount) break;
        classCount = refined;
    }
    return classes;
}

// What the library's writers would perceive from the 3D coordinates
// (tetrahedral centres, double bonds' cis and trans) before writing, done
// with the classes above; the molecule is then marked as perceived.
void PerceiveStereoFrom3D(ob::OBMol& mol) {
    mol.DeleteData(ob::OBGenericDataType::StereoData);
    const ob::OBStereoUnitSet units = ob::FindStereogenicUnits(&mol, SymmetryClasses(mol));
    ob::TetrahedralFrom3D(&mol, units);
    ob::CisTransFrom3D(&mol, units);
    mol.SetChiralityPerceived();
}

// The library's write of source in format, run in a child process by
// ExportMoleculeText; the library perceives the stereochemistry itself when
// libraryStereo. Empty when it could not be written.
std::string WriteInLibrary(const Molecule& source, ChemicalFormat format, bool libraryStereo) {
    LibraryCall call;
    ob::OBMol mol;
    ToOpenBabel(source, mol);
    ob::OBConversion conversion;
    std::ostringstream out;
    try {
        if (!libraryStereo) PerceiveStereoFrom3D(mol);
        if (!conversion.SetOutFormat(RowOf(format).openBabelId) || !conversion.Write(&mol, &out))
            return {};
    } catch (const std::bad_alloc&) {
        throw;  // the child's end: too large
    } catch (const std::exception&) {
        return {};
    }
    return out.str();
}

// The way back from the child process.
class ByteWriter {
public:
    template <typename T>
    void Plain(T value) {
        bytes_.append(reinterpret_cast<const char*>(&value), sizeof value);
    }
    void Text(const std::string& text) {
        Plain(static_cast<uint64_t>(text.size()));
        bytes_ += text;
    }
    std::string Take() { return std::move(bytes_); }

private:
    std::string bytes_;
};

class ByteReader {
public:
    explicit ByteReader(std::string_view bytes) : bytes_(bytes) {}
    template <typename T>
    bool Plain(T& value) {
        if (bytes_.size() < sizeof value) return false;
        std::memcpy(&value, bytes_.data(), sizeof value);
        bytes_.remove_prefix(sizeof value);
        return true;
    }
    bool Text(std::string& text) {
        uint64_t size = 0;
        if (!Plain(size) || size > bytes_.size()) return false;
        text.assign(bytes_.substr(0, size));
        bytes_.remove_prefix(size);
        return true;
    }
    // A count of items of at least itemSize bytes each that can follow.
    bool Count(uint64_t& count, size_t itemSize) {
        return Plain(count) && count <= bytes_.size() / itemSize;
    }
    bool AtEnd() const { return bytes_.empty(); }

private:
    std::string_view bytes_;
};

std::string Encode(const LibraryMolecule& taken) {
    ByteWriter out;
    out.Text(taken.error);
    out.Text(taken.title);
    out.Text(taken.formula);
    out.Plain(static_cast<uint64_t>(taken.atoms.size()));
    for (const LibraryAtom& atom : taken.atoms) out.Plain(atom);
    out.Plain(static_cast<uint64_t>(taken.bonds.size()));
    for (const LibraryBond& bond : taken.bonds) out.Plain(bond);
    return out.Take();
}

bool Decode(std::string_view bytes, LibraryMolecule& taken) {
    ByteReader in(bytes);
    uint64_t atoms = 0, bonds = 0;
    if (!in.Text(taken.error) || !in.Text(taken.title) || !in.Text(taken.formula) ||
        !in.Count(atoms, sizeof(LibraryAtom)))
        return false;
    taken.atoms.resize(atoms);
    for (LibraryAtom& atom : taken.atoms) in.Plain(atom);
    if (!in.Count(bonds, sizeof(LibraryBond))) return false;
    taken.bonds.resize(bonds);
    for (LibraryBond& bond : taken.bonds) in.Plain(bond);
    return in.AtEnd();
}

}  // namespace

ImportResult ImportMoleculeText(std::string_view given, ChemicalFormat format,
                                const std::string& activity) {
    ImportResult result;
    if (!OnInterfaceThread(result.error)) return result;
    const std::string fed = WithLineFeeds(given);
    std::string_view text = fed;
    result.error = InputError(text, format);
    if (!result.error.empty()) return result;
    if (format == ChemicalFormat::Smiles) {
        const std::string_view line = LineAt(text.substr(text.find_first_not_of(" \t\r\n")), 0);
        if (line.size() > kMaxSmilesLength) {
            result.error = "The SMILES string is longer than " + std::to_string(kMaxSmilesLength) +
                           " characters.";
            return result;
        }
        text = line;
    }
    // The library's readers are not safe against every malformed file (a
    // CML atom with a negative hydrogen count crashes one), so they run in a
    // child process and only the molecule they read comes back.
    PrepareLibrary();
    const IsolatedOutcome outcome =
        RunIsolated([&] { return Encode(ReadInLibrary(text, format)); }, kReadTimeLimit, activity);
    LibraryMolecule taken;
    if (!outcome.finished) {
        result.cancelled = outcome.cancelled;
        result.error = outcome.tooLarge ? "It is too large to read."
                                        : "It could not be read: " + outcome.why + ".";
        return result;
    }
    if (!Decode(outcome.bytes, taken)) {
        result.error = kUnreadable;
        return result;
    }
    if (!taken.error.empty()) {
        result.error = taken.error;
        return result;
    }
    FromLibrary(taken, result);
    if (!result.error.empty()) result.molecule = Molecule{};
    if (format == ChemicalFormat::Pdb && result.error.empty() && CleanTitle(taken.title).empty()) {
        const std::string title = PdbTitle(text);
        if (!title.empty()) result.molecule.name = title;
    }
    return result;
}

int ReadWithLibraryOnly(std::string_view text, ChemicalFormat format) {
    std::string error;
    if (!OnInterfaceThread(error)) return 0;
    return static_cast<int>(ReadInLibrary(text, format).atoms.size());
}

ImportResult ImportMoleculeFile(const std::string& path) {
    ImportResult result;
    const ChemicalFormatInfo* format = FormatOfPath(path);
    std::string text;
    if (!format) {
        result.error = "Unable to import " + path + ": its extension is not one of the formats.";
    } else if (std::error_code error; std::filesystem::is_regular_file(path, error) &&
                                      std::filesystem::file_size(path, error) > kMaxInputBytes) {
        result.error = "Unable to import " + path + ": it is larger than 256 MB.";
    } else if (!ReadWholeFile(path, text)) {
        result.error = OpenFailureText(path);
    } else {
        const size_t slash = path.find_last_of('/');
        result = ImportMoleculeText(
            text, format->format,
            "Importing " + path.substr(slash == std::string::npos ? 0 : slash + 1));
        if (!result.error.empty())
            result.error = "Unable to import " + path + " as " + std::string(format->label) + ": " +
                           result.error;
        else if (result.molecule.name == Molecule{}.name &&
                 format->format != ChemicalFormat::Smiles) {
            const size_t slash = path.find_last_of('/');
            std::string stem = path.substr(slash == std::string::npos ? 0 : slash + 1);
            stem.resize(stem.rfind('.'));
            if (!stem.empty()) result.molecule.name = CleanTitle(stem);
        }
    }
    return result;
}

ImportResult BuildFromSmiles(std::string_view smiles) {
    ImportResult result =
        ImportMoleculeText(smiles, ChemicalFormat::Smiles, "Building from SMILES");
    if (result.error.empty() && result.molecule.name == Molecule{}.name)
        result.molecule.name = CleanTitle(std::string(smiles));
    return result;
}

std::string WriteWithLibraryOnly(const Molecule& source, ChemicalFormat format,
                                 bool libraryStereo) {
    std::string error;
    if (!OnInterfaceThread(error) || source.nodes.empty()) return {};
    return WriteInLibrary(source, format, libraryStereo);
}

ExportResult ExportMoleculeText(const Molecule& source, ChemicalFormat format,
                                const std::string& activity) {
    ExportResult result;
    if (!OnInterfaceThread(result.error)) return result;
    if (source.nodes.empty()) {
        result.error = "There are no atoms to write.";
        return result;
    }
    for (const Node& node : source.nodes)
        if (std::abs(node.charge) > kMaxCharge) {
            result.error = ChargeError(static_cast<size_t>(node.id) + 1, node.charge);
            return result;
        }
    bool ordersCut = false;
    for (const Node& node : source.nodes)
        for (int order : node.linkOrders) ordersCut = ordersCut || order > kMaxWrittenOrder;
    const std::string label(RowOf(format).info.label);
    // The library's writers run in a child process as its readers do: what
    // they cost in time, memory or a crash is that export's alone.
    PrepareLibrary();
    const IsolatedOutcome outcome = RunIsolated(
        [&] { return WriteInLibrary(source, format, false); }, kWriteTimeLimit, activity);
    if (!outcome.finished || outcome.bytes.empty()) {
        result.cancelled = outcome.cancelled;
        result.error =
            outcome.tooLarge ? "It is too large to write as " + label + "."
            : outcome.finished || outcome.failed
                ? "The molecule could not be written as " + label + "."
                : "The molecule could not be written as " + label + ": " + outcome.why + ".";
        return result;
    }
    result.text = outcome.bytes;
    const bool clouds = std::any_of(source.nodes.begin(), source.nodes.end(),
                                    [](const Node& node) { return node.cloud; });
    if (clouds)
        result.warning = "Electron clouds cannot be written to " + label + " and were left out.";
    if (ordersCut) {
        if (!result.warning.empty()) result.warning += "\n";
        result.warning += "Links of order above 3 were written as triple links.";
    }
    return result;
}

int AddMissingHydrogens(Molecule& target, std::string& error) {
    if (!OnInterfaceThread(error)) return -1;
    Element* hydrogen = ElementOfNumber(1);
    if (!hydrogen) {
        error = "The element table has no hydrogen.";
        return -1;
    }
    if (target.nodes.empty()) return 0;
    LibraryCall call;
    ob::OBMol mol;
    ToOpenBabel(target, mol);
    const unsigned int before = mol.NumAtoms();
    try {
        FOR_ATOMS_OF_MOL(atom, mol) ob::OBAtomAssignTypicalImplicitHydrogens(&*atom);
        mol.AddHydrogens();
    } catch (const std::exception&) {
        error = "The hydrogens could not be placed.";
        return -1;
    }
    int added = 0;
    for (unsigned int index = before + 1; index <= mol.NumAtoms(); ++index) {
        ob::OBAtom* atom = mol.GetAtom(static_cast<int>(index));
        int parent = -1;
        FOR_NBORS_OF_ATOM(neighbour, atom) {
            if (neighbour->GetIdx() <= before) parent = static_cast<int>(neighbour->GetIdx()) - 1;
        }
        if (parent < 0) continue;
        Node node;
        const int id = static_cast<int>(target.nodes.size());
        node.id = id;
        node.element = hydrogen;
        const Vector3 at = target.nodes[static_cast<size_t>(parent)].position;
        if (!ModelPosition(atom->GetX(), atom->GetY(), atom->GetZ(), node.position))
            node.position = at;
        // Placed on its atom when the library could not place it; the layout
        // then moves it out (a small offset keeps the repulsion finite).
        if (node.position.x == at.x && node.position.y == at.y && node.position.z == at.z)
            node.position.x += 1.0f * static_cast<float>(1 + index - before);
        target.nodes.push_back(std::move(node));
        Link(target.nodes, id, parent, 1);
        ++added;
    }
    return added;
}

// ---------------------------------------------------------------- Taking a molecule

void TakeImportedMolecule(Molecule&& imported) {
    molecule.ready = false;
    molecule.nodes = std::move(imported.nodes);
    molecule.name = std::move(imported.name);
    molecule.formula = std::move(imported.formula);
    molecule.currentNode = -1;
    molecule.hoverNode = -1;
    molecule.dragging = false;
    molecule.ready = true;
}
