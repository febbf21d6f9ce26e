#pragma once

#include <cstdint>
#include <string>

namespace umbrix::bench {

// System calls of one walk of `kind` ("a" the raw walk, "b" the scanner)
// over `root`, in a process of its own, without those every start of the
// program makes.  Counted by the kernel's syscall tracepoint through perf,
// or, where perf cannot, by strace; -1 when neither works here.  `how` says
// which counted.
int64_t countSyscalls(const std::string& kind, const std::string& root, std::string& how);

} // namespace umbrix::bench
