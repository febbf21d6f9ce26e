#pragma once

#include "support/TempDir.h"
#include "support/Tools.h"

#include <string>
#include <vector>

namespace umbrix::test {

// Samba's own encoder and decoder of user.DOSATTRIB (Debian's python3-samba),
// the judge of the values the program reads and writes.  Commands, each on
// one path:
//   {"text", "0x22"}                       stores the text form
//   {"encode", "3", "0x22", "field=value"...}  stores a binary record (3, 4 or 5)
//   {"decode"}   "text|binary version=N hex=0x.. field=0x.." as Samba reads it
class SambaTool : public Peer {
public:
    // Working files go into `dir`.
    explicit SambaTool(const TempDir& dir);

    // "" when Samba's modules can be used, else why not.
    const std::string& missing() const { return skipReason(); }

    // Runs a command; the output without its final line break.  A refusal by
    // Samba fails the calling test.
    std::string run(const std::string& path, std::vector<std::string> args) const;

private:
    std::string log_;
};

} // namespace umbrix::test
