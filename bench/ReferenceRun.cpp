#include "ReferenceRun.h"

#include "ChildProcess.h"

#include <chrono>
#include <cstdlib>
#include <stdexcept>

namespace umbrix::bench {
namespace {

// The number after "\"key\": " in a flat JSON object, -1 when absent.
int64_t jsonNumber(const std::string& json, const std::string& key)
{
    const std::string quoted = "\"" + key + "\":";
    const size_t at = json.find(quoted);
    if (at == std::string::npos)
        return -1;
    return std::strtoll(json.c_str() + at + quoted.size(), nullptr, 10);
}

} // namespace

ReferenceResult runReferenceWalker(const std::string& walker, const std::string& root)
{
    const auto start = std::chrono::steady_clock::now();
    const ChildOutput child = runChild(walker, {walker, "--variant=at", "--no-stat", root});
    ReferenceResult r;
    r.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    r.cpuSeconds = child.cpuSeconds;
    if (!child.succeeded())
        throw std::runtime_error(walker + " failed on " + root + " (status " +
                                 std::to_string(child.status) + ")");
    r.entries = jsonNumber(child.text, "entries");
    r.listed = jsonNumber(child.text, "listed");
    r.unhidden = jsonNumber(child.text, "unhidden");
    return r;
}

} // namespace umbrix::bench
