#include "support/SmbServer.h"

#include "support/NtfsVolume.h" // findTool, runTool, readTextFile

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sstream>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace umbrix::test {
namespace {

using Clock = std::chrono::steady_clock;

sockaddr_in loopback(int port)
{
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

// A port nobody listens on now.  Another program could take it before smbd
// does; the start-up then fails visibly rather than talking to a stranger.
int freePort()
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return 0;
    sockaddr_in address = loopback(0);
    socklen_t size = sizeof address;
    int port = 0;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), size) == 0 &&
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size) == 0)
        port = ntohs(address.sin_port);
    ::close(fd);
    return port;
}

bool accepts(int port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    const sockaddr_in address = loopback(port);
    const bool ok = ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return ok;
}

// The value after "key:" on its own line of smbclient's output.
std::string field(const std::string& output, const std::string& key)
{
    std::istringstream in(output);
    for (std::string line; std::getline(in, line);) {
        if (line.rfind(key + ":", 0) != 0)
            continue;
        const size_t start = line.find_first_not_of(" \t", key.size() + 1);
        return start == std::string::npos ? std::string() : line.substr(start);
    }
    return {};
}

} // namespace

SmbServer::SmbServer(const TempDir& tmp) : share_(tmp / "share")
{
    makeDir(share_);
    start(tmp / "smb", share_);
}

bool SmbServer::start(const std::string& workFolder, const std::string& shareFolder)
{
    const std::string smbd = findTool("smbd");
    smbclient_ = findTool("smbclient");
    if (smbd.empty() || smbclient_.empty()) {
        reason_ = "smbd or smbclient is not installed (Debian packages samba, smbclient)";
        return false;
    }
    if (::geteuid() != 0) {
        reason_ = "smbd serves the share as root, and this test does not run as root";
        return false;
    }
    port_ = freePort();
    if (port_ == 0) {
        reason_ = std::string("no free port on 127.0.0.1: ") + std::strerror(errno);
        ADD_FAILURE() << reason_;
        return false;
    }

    ::mkdir(workFolder.c_str(), 0755);
    for (const char* sub : {"lock", "state", "cache", "pid", "private", "ncalrpc", "log"})
        ::mkdir((workFolder + "/" + sub).c_str(), 0755);
    config_ = workFolder + "/smb.conf";
    log_ = workFolder + "/log/smbd.out";
    {
        std::ofstream conf(config_);
        conf << "[global]\n"
             << "server role = standalone server\n"
             << "smb ports = " << port_ << "\n"
             << "interfaces = 127.0.0.1\nbind interfaces only = yes\n"
             << "disable netbios = yes\nload printers = no\nprinting = bsd\n"
             << "printcap name = /dev/null\ndisable spoolss = yes\n"
             << "map to guest = Bad User\nguest account = root\n";
        for (const char* dir : {"lock", "state", "cache", "pid", "ncalrpc"})
            conf << dir << " directory = " << workFolder << "/" << dir << "\n";
        conf << "private dir = " << workFolder << "/private\n"
             << "log file = " << workFolder << "/log/smbd.log\n"
             << "[share]\npath = " << shareFolder << "\n"
             << "guest ok = yes\nguest only = yes\nread only = no\nforce user = root\n"
             << "store dos attributes = yes\n"
             << "map archive = no\nmap hidden = no\nmap system = no\n";
    }

    pid_ = startTool(smbd, {"--foreground", "-s", config_}, log_);
    if (pid_ <= 0) {
        reason_ = "cannot start smbd";
        ADD_FAILURE() << reason_;
        return false;
    }

    const auto deadline = Clock::now() + std::chrono::seconds(10);
    while (Clock::now() < deadline) {
        if (accepts(port_))
            return true;
        int status = 0;
        if (::waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = -1;
            reason_ = "smbd ended at start-up: " + readTextFile(log_) +
                      readTextFile(workFolder + "/log/smbd.log");
            ADD_FAILURE() << reason_;
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    stop();
    reason_ = "smbd did not listen on port " + std::to_string(port_) +
              " within 10 s: " + readTextFile(log_);
    ADD_FAILURE() << reason_;
    return false;
}

SmbServer::~SmbServer()
{
    stop();
}

void SmbServer::stop()
{
    if (pid_ <= 0)
        return;
    // smbd's children follow their parent out.
    ::kill(pid_, SIGTERM);
    const auto deadline = Clock::now() + std::chrono::seconds(5);
    int status = 0;
    while (::waitpid(pid_, &status, WNOHANG) == 0) {
        if (Clock::now() > deadline) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, &status, 0);
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    pid_ = -1;
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
    if (status != 0 || output.find("NT_STATUS_") != std::string::npos) {
        ADD_FAILURE() << "smbclient -c '" << command << "' failed: " << output;
        return {};
    }
    return output;
}

void SmbServer::setmode(const std::string& relativeName, const std::string& mode)
{
    client("setmode \"" + relativeName + "\" " + mode);
}

SmbServer::Info SmbServer::allinfo(const std::string& relativeName)
{
    const std::string output = client("allinfo \"" + relativeName + "\"");
    Info info;
    info.createTime = field(output, "create_time");
    // "attributes: RHA (23)"; no letters before the number for none.
    const std::string attributes = field(output, "attributes");
    info.attributes = attributes.substr(0, attributes.find('('));
    while (!info.attributes.empty() && info.attributes.back() == ' ')
        info.attributes.pop_back();
    return info;
}

} // namespace umbrix::test
