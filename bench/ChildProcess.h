#pragma once

#include <string>
#include <vector>

namespace umbrix::bench {

// What a child process printed on its standard output, how it ended and the
// processor time it used (user and system).
struct ChildOutput {
    std::string text;
    int status = 0; // as waitpid gives it
    double cpuSeconds = 0;
    bool succeeded() const;
};

// Runs `program` (a path, or a name found on the PATH) with `args` (argv[0]
// first) and collects its output.
// Throws std::runtime_error when it cannot be started.
ChildOutput runChild(const std::string& program, const std::vector<std::string>& args);

} // namespace umbrix::bench
