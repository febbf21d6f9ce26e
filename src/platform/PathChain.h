#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace umbrix {

// Absolute form of `path` with "." and empty components dropped and ".."
// taking away the component before it (never above "/").  Names are
// resolved as written, not through the links they may pass, so the chain a
// person walked down is the chain walked back up.  A relative path starts at
// the process's current directory; an empty one is returned empty.
std::string absolutePath(std::string_view path);

// `folder` + "/" + `name`, without doubling a "/" the folder ends in.
std::string joinPath(std::string_view folder, std::string_view name);

// `folder` ending in exactly the "/" it may already have.
std::string withTrailingSlash(std::string_view folder);

// `path` without the "/" it ends in ("/" itself stays).
std::string withoutTrailingSlashes(std::string path);

// The folder a path without trailing "/" lies in and its last component, as
// openat() wants them: "a/b" -> {"a", "b"}, "/a" -> {"/", "a"}, "b" -> {".",
// "b"}, "/" -> {"/", ""}.
struct FolderAndName {
    std::string folder;
    std::string name;
};
FolderAndName splitPath(std::string_view path);

// The ancestors of an absolute, normalised path, from "/" down:
// "/a/b" -> {"/", "/a"}; "/" -> {}.
std::vector<std::string> ancestorsOf(std::string_view path);

// The last component of an absolute, normalised path; "/" for the root.
std::string_view lastComponent(std::string_view path);

} // namespace umbrix
