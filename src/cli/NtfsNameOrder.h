#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace umbrix::cli {

// <0, 0 or >0 as `a` sorts before, with or after `b` in a folder of an NTFS
// volume: UTF-16 code units compared after each is upper-cased by the
// volume's $UpCase table.  Both names must be valid UTF-8.  Names that are
// equal upper-cased (NTFS keeps them apart only in its POSIX namespace)
// compare by their bytes.
int compareNtfsNames(std::string_view a, std::string_view b);

// Whether `bytes` is UTF-8 that names a sequence of Unicode scalar values.
bool isUtf8(std::string_view bytes);

// The names in the order Windows lists a folder of NTFS: the UTF-8 names by
// compareNtfsNames, then those that are not UTF-8, which no NTFS folder can
// hold, by their bytes with ASCII case ignored.
void sortInNtfsOrder(std::vector<std::string>& names);

} // namespace umbrix::cli
