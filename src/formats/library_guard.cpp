// The library's quiet, one-threaded state, and the thread its calls may come
// from.
#include "internal/library_guard.h"

#include <dlfcn.h>

#include <iostream>
#include <sstream>
#include <thread>

#include <openbabel/mol.h>
#include <openbabel/obconversion.h>
#include <openbabel/oberror.h>

namespace ob = OpenBabel;

namespace formats_internal {

namespace {

// Static initialisation runs on the thread that starts the program, which
// is the one the window's event loop runs on.
const std::thread::id kInterfaceThread = std::this_thread::get_id();

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

}  // namespace

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

LibraryCall::LibraryCall() {
    static NullBuffer nullBuffer;
    static std::ostream nullStream(&nullBuffer);
    PrepareLibrary();
    ob::obErrorLog.SetOutputStream(&nullStream);
    SilenceXmlParser();
    savedErr_ = std::cerr.rdbuf(&nullBuffer);
    savedLog_ = std::clog.rdbuf(&nullBuffer);
}

LibraryCall::~LibraryCall() {
    std::cerr.rdbuf(savedErr_);
    std::clog.rdbuf(savedLog_);
}

bool OnInterfaceThread(std::string& error) {
    if (std::this_thread::get_id() == kInterfaceThread) return true;
    error = "Chemistry formats can only be used from the user-interface thread.";
    return false;
}

}  // namespace formats_internal
