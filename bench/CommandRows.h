#pragma once

#include "AttributeRun.h"
#include "BenchCommon.h"
#include "FileCommandRun.h"
#include "SelectAllRun.h"

#include <cstdint>
#include <string>
#include <vector>

namespace umbrix::bench {

// (d) and (e) with their raw loops at every attribute size, `runs` times
// each in a rotating order; every clearing run is checked on disk and undone.
std::vector<AttributeFigures> runAttributeRows(const Options& options, const std::string& work,
                                               Verdicts& v);

// (s) at a full result list box, `runs` times, each in a fresh process.
std::vector<SelectAllResult> runSelectAllRows(const std::string& work, int64_t rows, int runs,
                                              Verdicts& v);

// (h) and (i) with the tools beside them; every run is checked on disk.
FileCommandFigures runFileCommandRows(const Options& options, const std::string& work, Verdicts& v);

} // namespace umbrix::bench
