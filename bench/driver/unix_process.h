#pragma once
// Under Wine each Windows process is a Linux process, and Wine answers some questions
// about another process with zeros (its private bytes, for one). The kernel's own view,
// read through drive Z: (the Linux root), fills those in. Elsewhere these answer nothing.
#include <optional>
#include <string>

// The Linux process running the Windows program at this full path (Wine names a process
// after its program), the latest started when there are several.
std::optional<unsigned> UnixProcessRunning(const std::string& windowsPath);

struct UnixMemory {
    double privateBytes;  // anonymous resident plus swapped: Wine's own measure of private bytes
    double residentBytes;
};
std::optional<UnixMemory> UnixMemoryOf(unsigned unixPid);

// Time on a CPU of all the process's live threads, in milliseconds.
std::optional<double> UnixCpuMsOf(unsigned unixPid);
