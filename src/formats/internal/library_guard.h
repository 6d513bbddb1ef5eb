// The guards held around every call into the chemistry library: calls come
// from the user-interface thread only, the library runs quiet and on one
// thread, and a read or a write in a child process has a time limit.
#pragma once

#include <chrono>
#include <streambuf>
#include <string>

// The formats library's own: nothing outside src/formats uses these.
namespace formats_internal {

// A read or a write that takes longer is stopped; the largest files the
// program takes are read and written in well under a minute.
constexpr std::chrono::seconds kReadTimeLimit{120};
constexpr std::chrono::seconds kWriteTimeLimit{120};

// Once per process: the library's plugins loaded (so that reads in child
// processes start ready), its log quiet, its parallel loops on one thread.
void PrepareLibrary();

// Held for the length of every call into the library: its error log and
// anything it writes to the standard error streams go nowhere, and its
// parallel loops run on one thread (with its default team one force-field
// run was thirty times slower on a shared machine).
class LibraryCall {
public:
    LibraryCall();
    ~LibraryCall();
    LibraryCall(const LibraryCall&) = delete;
    LibraryCall& operator=(const LibraryCall&) = delete;

private:
    std::streambuf* savedErr_ = nullptr;
    std::streambuf* savedLog_ = nullptr;
};

// True on the user-interface thread; elsewhere false with error saying so.
bool OnInterfaceThread(std::string& error);

}  // namespace formats_internal
