#include "cli/AttribUsage.h"

#include "app/Version.h"

namespace umbrix::cli {

std::string attribUsageText()
{
    return R"(Usage: umbrix-attrib [+R|-R] [+A|-A] [+S|-S] [+H|-H] [/S] [/D] [/L] [PATH|PATTERN]...
       umbrix-attrib --unhide [--list-all|--files-only|--dirs-only] FOLDER
       umbrix-attrib --undo [JOURNAL] [--since TIME]
       umbrix-attrib --suspects [--quarantine] FOLDER
       umbrix-attrib /? | --help | --version

Shows or changes the DOS attributes of files and folders where Linux keeps
them (FAT and exFAT, NTFS, SMB mounts, Samba's user.DOSATTRIB), as Windows'
attrib does.

  +  sets an attribute, - clears it, the letter in either case:
  R  read-only     A  archive     S  system     H  hidden
  /S         also the matching entries of every folder below
  /D         folders too (a folder named without a pattern is always taken)
  /L         symbolic links as entries of their own (never followed)
  PATTERN    * any run of characters, ? one character, case ignored;
             * when no PATH is given
Letters and switches are read as attrib reads them, in either case and
anywhere among the paths: "-h -r -s /s /d '*.*'" clears hidden, read-only
and system everywhere below.  Without a change each entry is listed: A, S,
H and R in attrib's columns, then its full path, in the order Windows lists
an NTFS folder.  A hidden or system entry is left alone ("Not resetting
hidden file", "Not resetting system file") unless the command names its
hidden or system attribute.  An argument "/S", "/D", "/L" or "/?" is always
the switch: write "//S" for a file S in /.

  --unhide FOLDER  the window's search: every hidden entry that is not also
                   a system entry below FOLDER is unhidden, and every hidden
                   or system entry is listed ("unhidden" in front when this
                   run unhid it)
    --list-all     list every entry;  --files-only, --dirs-only  only those
  --undo [JOURNAL] put back the attributes a run changed (the newest run's
                   journal without JOURNAL), newest change first; an entry
                   that changed since is left alone and named
    --since TIME   only the changes from TIME on: YYYY-MM-DD[ HH:MM[:SS]]
                   in local time, with Z in UTC, or @SECONDS
  --suspects FOLDER  what a shortcut virus leaves below FOLDER (a stick's
                   top): shortcuts that start a command interpreter, a script
                   host or a program on the stick, autorun.inf files that
                   start something, hidden programs and scripts; each with
                   its reason, then its path
    --quarantine   move them by rename into the folder "Umbrix quarantine"
                   at FOLDER; --undo puts them back
  -0               the paths alone, raw bytes, each ended by NUL
  --json           one JSON object a line: path (as shown), path_base64 (the
                   exact bytes), store, before and after (attribute words)
  /?, --help       print this text;  --version  print the version
  --               the arguments after it are paths

Names that are not UTF-8 are shown with each such byte as \xNN.

Every change is recorded in a journal, one file a run, the newest 20 runs
(256 MiB at most) kept: $XDG_DATA_HOME/Umbrix/journal
(~/.local/share/Umbrix/journal).

On a terminal, a run longer than a second shows its progress on standard
error.

Exit status: 0 done, 1 some entries failed, were refused or were not found
(each named on standard error) or --undo left some alone, 2 bad usage,
130 interrupted.
)";
}

std::string attribVersionText()
{
    return "umbrix-attrib " + std::string(kVersion) + "\n";
}

} // namespace umbrix::cli
