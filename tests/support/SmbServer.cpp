#include "support/SmbServer.h"

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <netinet/in.h>
#include <sstream>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace umbrix::test {
namespace {

// With `port` 0: a port nobody listens on now (another program could take
// it before smbd does; the start-up then fails visibly rather than talking
// to a stranger).  Otherwise `port` when something listens there, else 0.
int loopbackPort(int port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    auto* any = reinterpret_cast<sockaddr*>(&address);
    socklen_t size = sizeof address;
    const bool ok =
        fd >= 0 && (port == 0 ? ::bind(fd, any, size) == 0 && ::getsockname(fd, any, &size) == 0
                              : ::connect(fd, any, size) == 0);
    if (fd >= 0)
        ::close(fd);
    return ok ? ntohs(address.sin_port) : 0;
}

} // namespace

SmbServer::SmbServer(const TempDir& tmp) : share_(tmp / "share")
{
    makeDir(share_);
    start(tmp / "smb");
}

bool SmbServer::start(const std::string& work)
{
    const std::string smbd = findTool("smbd");
    smbclient_ = findTool("smbclient");
    if (smbd.empty() || smbclient_.empty())
        return absent("smbd or smbclient is not installed (Debian packages samba, smbclient)");
    if (::geteuid() != 0)
        return absent("smbd serves the share as root, and this test does not run as root");
    if ((port_ = loopbackPort(0)) == 0)
        return failed(std::string("no free port on 127.0.0.1: ") + std::strerror(errno));
    ::mkdir(work.c_str(), 0755);
    config_ = work + "/smb.conf";
    log_ = work + "/smbd.out";
    std::ofstream conf(config_);
    conf << "[global]\nserver role = standalone server\nsmb ports = " << port_ << "\n"
         << "interfaces = 127.0.0.1\nbind interfaces only = yes\ndisable netbios = yes\n"
         << "load printers = no\nprinting = bsd\nprintcap name = /dev/null\n"
         << "disable spoolss = yes\nmap to guest = Bad User\nguest account = root\n";
    for (const char* dir : {"lock", "state", "cache", "pid", "ncalrpc", "private"}) {
        ::mkdir((work + "/" + dir).c_str(), 0755);
        conf << dir << (std::strcmp(dir, "private") ? " directory = " : " dir = ") << work << "/"
             << dir << "\n";
    }
    conf << "log file = " << work << "/smbd.log\n[share]\npath = " << share_ << "\n"
         << "guest ok = yes\nguest only = yes\nread only = no\nforce user = root\n"
         << "store dos attributes = yes\nmap archive = no\nmap hidden = no\nmap system = no\n";
    conf.close();

    if ((pid_ = startTool(smbd, {"--foreground", "-s", config_}, log_)) <= 0)
        return failed("cannot start smbd");
    for (int wait = 0; wait < 500; ++wait) {
        if (loopbackPort(port_))
            return true;
        int status = 0;
        if (::waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = -1;
            return failed("smbd ended at start-up: " + readTextFile(log_) +
                          readTextFile(work + "/smbd.log"));
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    ::kill(pid_, SIGKILL);
    waitTool(pid_);
    pid_ = -1;
    return failed("smbd did not listen on port " + std::to_string(port_) +
                  " within 10 s: " + readTextFile(log_));
}

SmbServer::~SmbServer()
{
    if (pid_ <= 0)
        return;
    // smbd's children follow their parent out; one that hangs is ended.
    ::kill(pid_, SIGTERM);
    int status = 0;
    for (int wait = 0; wait < 250; ++wait) {
        if (::waitpid(pid_, &status, WNOHANG) != 0)
            return;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, &status, 0);
}

std::string SmbServer::client(const std::string& command)
{
    const std::string log = log_ + ".client";
    std::remove(log.c_str());
    const int status = runTool(
        smbclient_,
        {"//127.0.0.1/share", "-p", std::to_string(port_), "-N", "-s", config_, "-c", command},
        log);
    const std::string output = readTextFile(log);
    if (status == 0 && output.find("NT_STATUS_") == std::string::npos)
        return output;
    ADD_FAILURE() << "smbclient -c '" << command << "' failed: " << output;
    return {};
}

void SmbServer::setmode(const std::string& relativeName, const std::string& mode)
{
    client("setmode \"" + relativeName + "\" " + mode);
}

SmbServer::Info SmbServer::allinfo(const std::string& relativeName)
{
    // "key:   value" lines; attributes as "attributes: RHA (23)", no
    // letters before the number for none.
    std::istringstream in(client("allinfo \"" + relativeName + "\""));
    Info info;
    for (std::string line; std::getline(in, line);) {
        const size_t colon = line.find(':');
        const size_t value = line.find_first_not_of(" \t", colon + 1);
        const std::string key = line.substr(0, colon);
        const std::string text = value == std::string::npos ? "" : line.substr(value);
        if (key == "create_time" && info.createTime.empty())
            info.createTime = text;
        else if (key == "attributes" && info.attributes.empty()) {
            info.attributes = text.substr(0, text.find('('));
            info.attributes.erase(info.attributes.find_last_not_of(' ') + 1);
        }
    }
    return info;
}

} // namespace umbrix::test
