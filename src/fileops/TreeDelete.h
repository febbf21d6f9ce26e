#pragma once

#include "platform/EntryReach.h"

#include <functional>
#include <string>

namespace umbrix::fileops {

// Called after each entry a tree delete has removed, so that a long delete
// can let its window breathe.
using DeleteStep = std::function<void()>;

// FileSystemObject::Folder::Delete: the folder and everything inside it,
// each step taken relative to the folder already open above it, never
// following a link and never crossing onto another volume.
void deleteTree(const std::string& path, bool force, const DeleteStep& step = {});

// The same for the folder `name` of the open folder `parentFd`, `path`
// naming it in messages and for the fault hooks.  A known `expected` that
// the folder no longer is fails with ESTALE ("changed since") before
// anything in it goes.
void deleteTreeAt(int parentFd, const std::string& name, const std::string& path, bool force,
                  const DeleteStep& step = {}, const platform::EntryIdentity& expected = {});

} // namespace umbrix::fileops
