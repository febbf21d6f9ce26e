#pragma once

#include "support/TempDir.h"
#include "support/Tools.h"

#include <string>
#include <sys/types.h>

namespace umbrix::test {

// A real smbd serving one folder as //127.0.0.1/share on a free port, for
// the lifetime of the object: Samba sets attributes before a test and judges
// them after it.  Its configuration, locks, state and logs lie in `tmp`/smb
// and it serves `tmp`/share; the share keeps DOS attributes in
// user.DOSATTRIB and maps none of them to mode bits, and every guest works as
// root, so Samba sees exactly what the test left on disk.
//
//   SmbServer smb(tmp);
//   if (!smb.running()) GTEST_SKIP() << smb.skipReason();
//   smb.setmode("file", "+h");
//   EXPECT_EQ(smb.allinfo("file").attributes, "H");
//
// A machine without smbd or smbclient, or a user other than root, gives a
// skip reason; a server that does not come up where it could is a failure.
class SmbServer : public Peer {
public:
    explicit SmbServer(const TempDir& tmp);
    ~SmbServer();
    SmbServer(const SmbServer&) = delete;
    SmbServer& operator=(const SmbServer&) = delete;

    bool running() const { return pid_ > 0; }
    const std::string& share() const { return share_; }

    // smbclient's "setmode" on the entry at `relativeName` of the share, with
    // a mode such as "+h" or "-r"; fails the test when smbclient does.
    void setmode(const std::string& relativeName, const std::string& mode);

    struct Info {
        std::string attributes; // Samba's letters ("RHA"), "" for none
        std::string createTime; // as smbclient prints it
    };
    // smbclient's "allinfo" of the entry; empty fields (and a test failure)
    // when smbclient fails.
    Info allinfo(const std::string& relativeName);

private:
    bool start(const std::string& workFolder);
    // Runs one smbclient command; its output, or "" and a test failure.
    std::string client(const std::string& command);

    std::string share_;
    std::string smbclient_;
    std::string config_;
    std::string log_;
    pid_t pid_ = -1;
    int port_ = 0;
};

} // namespace umbrix::test
