#pragma once

// What travels from one open file to another besides its name: the bytes and
// the user.* extended attributes.
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

// Copies the user.* extended attributes, user.DOSATTRIB (the DOS attributes
// on Linux filesystems) among them.  A target that cannot hold them is not a
// reason to fail the copy.
TransferResult copyUserXattrs(int in, int out);

} // namespace umbrix::fileops
