// Ending the process on a fatal fault.
//
// Every place that must end the process (a bad signature, missing memory, an unreadable
// file, a Cg error, ...) prints its own message to its own stream and then calls
// FatalExit(status). By default that is exit(status). Tests and fuzzers install a handler
// that records the status and unwinds instead (for example by throwing), so the message and
// the status can be observed without the process ending. Code that calls FatalExit must hold
// its heap buffers in owners (see common/heap.h) so that such an unwind leaks nothing.
#pragma once

namespace veltrane {

using FatalHandler = void (*)(int status);

// Replaces the handler; returns the previous one. nullptr restores the default (exit).
FatalHandler SetFatalHandler(FatalHandler handler);

// Calls the handler; if the handler returns (or there is none), ends the process with
// exit(status).
[[noreturn]] void FatalExit(int status);

}  // namespace veltrane
