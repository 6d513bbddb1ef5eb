// The fixed list of chemistry formats, each with the library's name for it.
#include "format_list.h"

#include <algorithm>
#include <array>
#include <cctype>

#include "internal/molecule_mapping.h"

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

const char* formats_internal::OpenBabelId(ChemicalFormat format) {
    return RowOf(format).openBabelId;
}
