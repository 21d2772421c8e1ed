#pragma once

// Ends the process once its work is done and its output written, without the
// C runtime's exit handlers. Under Wine the threads library can be left with
// its thread-local-storage lock counted as taken by a thread that has ended;
// the handler that then deletes the C++ runtime's key waits for it forever,
// and a program that has finished would never exit.
[[noreturn]] void EndProcessNow(int exitCode);
