#pragma once

// What travels from one open file to another besides its name: the bytes,
// the user.* extended attributes and the DOS attributes.
namespace umbrix::fileops {

// 0 or the errno of a failure, and on which side it happened, so that the
// message names the entry at fault.
struct TransferResult {
    int error = 0;
    bool onTarget = false;
};

// Errors that mean the filesystem cannot hold what was asked (FAT and a mode,
// tmpfs without user xattrs): the copy goes on without it.
bool cannotHold(int err);

// Copies everything `in` still has to read to `out`.
TransferResult copyData(int in, int out);

// Copies the user.* extended attributes but user.DOSATTRIB, which
// carryDosAttributes writes where the target keeps it.  A target that cannot
// hold them is not a reason to fail the copy.
TransferResult copyUserXattrs(int in, int out);

// Gives `out`, a file or folder the copy made, the read-only, hidden, system
// and archive attributes of `in`, each in the store of its own filesystem,
// with a creation time of its own.  A target that cannot hold them is not a
// reason to fail the copy.
TransferResult carryDosAttributes(int in, int out);

} // namespace umbrix::fileops
