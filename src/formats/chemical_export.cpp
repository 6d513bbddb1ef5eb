// Exporting: the molecule written in one of the formats by the library in a
// child process, its stereochemistry perceived beforehand.
#include "chemical_formats.h"

#include <algorithm>
#include <cstdlib>
#include <exception>
#include <new>
#include <sstream>

#include <openbabel/obconversion.h>

#include "internal/input_checks.h"
#include "internal/library_guard.h"
#include "internal/molecule_mapping.h"
#include "internal/stereo_perception.h"
#include "isolated_call.h"

using namespace formats_internal;

namespace {

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
        if (!conversion.SetOutFormat(OpenBabelId(format)) || !conversion.Write(&mol, &out))
            return {};
    } catch (const std::bad_alloc&) {
        throw;  // the child's end: too large
    } catch (const std::exception&) {
        return {};
    }
    return out.str();
}

}  // namespace

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
    const std::string label(FormatInfo(format).label);
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
