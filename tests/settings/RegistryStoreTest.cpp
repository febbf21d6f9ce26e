#include "settings/RegistryStore.h"

#include "settings/InstalledFlag.h"
#include "settings/StoreSandbox.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <regex>
#include <sys/mount.h>
#include <unistd.h>

namespace umbrix {
namespace {

using test::readWholeFile;
using test::StoreSandbox;

const QString kApp = QStringLiteral("Umbrix");
const QString kComponent = QStringLiteral("SCRRUN.DLL");
const QString kInstalledKey =
    QStringLiteral("Software\\VB and VBA Program Settings\\Umbrix\\Installed");
const std::string kIniSection = "[Software]\n";
// The INI form of kInstalledKey below its first level.
const std::string kIniInstalled = "VB%20and%20VBA%20Program%20Settings\\Umbrix\\Installed\\";

void writeSystemIni(const StoreSandbox& box, const std::string& lines) {
    test::makeDir(box.dir() / "system");
    test::makeDir(box.dir() / "system/Umbrix");
    test::makeFile(box.systemIni(), kIniSection + lines);
}

// The lines of the error log file, each without its CR LF; the test fails on
// a line that does not end in one.
std::vector<std::string> logLines(const StoreSandbox& box) {
    std::vector<std::string> lines;
    const std::string text = readWholeFile(box.logFile());
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find("\r\n", start);
        EXPECT_NE(end, std::string::npos) << text;
        if (end == std::string::npos)
            break;
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

void expectSaveRegValueLine(const std::string& line, const std::string& message) {
    static const std::regex stamp("Umbrix\t\\d\\d/\\d\\d/\\d{4} \\d\\d:\\d\\d:\\d\\d\t.*");
    EXPECT_TRUE(std::regex_match(line, stamp)) << line;
    const std::string tail = "\t(Call SaveRegValue)\t[ " + message;
    EXPECT_NE(line.find(tail), std::string::npos) << line;
}

TEST(RegistryStoreTest, MissingFlagIsFalseAndWritesNothing) {
    StoreSandbox box;
    EXPECT_FALSE(IsInstalled(kApp, kComponent));
    EXPECT_FALSE(test::exists(box.dir() / "system"));
    EXPECT_FALSE(test::exists(box.logFile()));

    writeSystemIni(box, "Other\\Key=1\n");
    EXPECT_FALSE(IsInstalled(kApp, kComponent));
}

TEST(RegistryStoreTest, StoredFlagReadsThroughCBoolean) {
    const std::vector<std::pair<std::string, bool>> cases = {
        {"1", true},        {"yes", true},       {"true", true},       {"Vero", true},
        {"0", false},       {"", false},         {"no", false},        {"junk", false},
        {"dword, 1", true}, {"dword, 0", false}, {"dword, 0x10", true}};
    for (const auto& [stored, expected] : cases) {
        StoreSandbox box;
        writeSystemIni(box, kIniInstalled + "SCRRUN.DLL=" + stored + "\n");
        EXPECT_EQ(IsInstalled(kApp, kComponent), expected) << stored;
        EXPECT_FALSE(IsInstalled(kApp, QStringLiteral("OTHER.DLL"))) << stored;
    }
}

TEST(RegistryStoreTest, ValuesComeBackAsTheirStoredType) {
    StoreSandbox box;
    ::setenv("UMBRIX_TEST_ROOT", "/srv/umbrix", 1);
    writeSystemIni(box, kIniInstalled + "Text=plain\n" + kIniInstalled + "Count=dword, 0x2A\n" +
                            kIniInstalled + "Bad=dword, many\n" + kIniInstalled +
                            "Folder=expand, %UMBRIX_TEST_ROOT%/data\n" + kIniInstalled +
                            "Empty=expand, \"\"\n" + kIniInstalled + "Commas=a, b\n" +
                            kIniInstalled + "EmptyText=\n");
    const QString subKey = kProgramSettingsKey + kApp;
    const QString section = QStringLiteral("Installed");
    const QVariant fallback(QStringLiteral("fallback"));

    int32_t type = RegType::REG_SZ;
    EXPECT_EQ(
        GetRegValue(RegRoot::LocalMachine, subKey, section, QStringLiteral("Text"), type, fallback),
        QVariant(QStringLiteral("plain")));
    EXPECT_EQ(type, RegType::REG_SZ);

    const QVariant count = GetRegValue(RegRoot::LocalMachine, subKey, section,
                                       QStringLiteral("Count"), type, fallback);
    EXPECT_EQ(type, RegType::REG_DWORD);
    EXPECT_EQ(count.toUInt(), 42u);

    type = RegType::REG_SZ;
    EXPECT_FALSE(
        GetRegValue(RegRoot::LocalMachine, subKey, section, QStringLiteral("Bad"), type, fallback)
            .isValid());
    EXPECT_EQ(type, RegType::REG_DWORD);

    EXPECT_EQ(GetRegValue(RegRoot::LocalMachine, subKey, section, QStringLiteral("Folder"), type,
                          fallback),
              QVariant(QStringLiteral("/srv/umbrix/data")));
    EXPECT_EQ(type, RegType::REG_EXPAND_SZ);

    EXPECT_EQ(GetRegValue(RegRoot::LocalMachine, subKey, section, QStringLiteral("Empty"), type,
                          fallback),
              fallback);
    EXPECT_EQ(GetRegValue(RegRoot::LocalMachine, subKey, section, QStringLiteral("EmptyText"), type,
                          fallback),
              fallback);
    EXPECT_EQ(GetRegValue(RegRoot::LocalMachine, subKey, section, QStringLiteral("Commas"), type,
                          fallback),
              QVariant(QStringLiteral("a, b")));

    type = RegType::REG_SZ;
    EXPECT_EQ(
        GetRegValue(RegRoot::LocalMachine, subKey, section, QStringLiteral("None"), type, fallback),
        fallback);
    EXPECT_EQ(type, RegType::REG_SZ);
    EXPECT_FALSE(GetRegValue(RegRoot::None, subKey, section, QStringLiteral("Text"), type, fallback)
                     .isValid());
    EXPECT_FALSE(GetRegValue(RegRoot::LocalMachine, QString(), section, QStringLiteral("Text"),
                             type, fallback)
                     .isValid());
    ::unsetenv("UMBRIX_TEST_ROOT");
}

TEST(RegistryStoreTest, WrittenValuesReadBackWithTheirType) {
    StoreSandbox box;
    ::setenv("UMBRIX_TEST_ROOT", "/srv/umbrix", 1);
    const QString subKey = QStringLiteral("Software\\Test");
    EXPECT_TRUE(SaveRegValue(RegRoot::LocalMachine, subKey, QStringLiteral("S"),
                             QStringLiteral("n"), RegType::REG_DWORD, 7));
    EXPECT_TRUE(SaveRegValue(RegRoot::LocalMachine, subKey, QStringLiteral("S"),
                             QStringLiteral("p"), RegType::REG_EXPAND_SZ,
                             QStringLiteral("$UMBRIX_TEST_ROOT, x")));
    EXPECT_TRUE(SaveRegValue(RegRoot::LocalMachine, subKey, QString(), QStringLiteral("t"),
                             RegType::REG_SZ, QStringLiteral("dword, 3")));

    int32_t type = RegType::REG_SZ;
    EXPECT_EQ(GetRegValue(RegRoot::LocalMachine, subKey, QStringLiteral("S"), QStringLiteral("n"),
                          type, {})
                  .toUInt(),
              7u);
    EXPECT_EQ(type, RegType::REG_DWORD);
    EXPECT_EQ(GetRegValue(RegRoot::LocalMachine, subKey, QStringLiteral("S"), QStringLiteral("p"),
                          type, {}),
              QVariant(QStringLiteral("/srv/umbrix, x")));
    EXPECT_EQ(type, RegType::REG_EXPAND_SZ);
    // Text that looks like a typed value stays text.
    EXPECT_EQ(GetRegValue(RegRoot::LocalMachine, subKey, QString(), QStringLiteral("t"), type, {}),
              QVariant(QStringLiteral("dword, 3")));
    EXPECT_EQ(type, RegType::REG_SZ);
    EXPECT_FALSE(test::exists(box.logFile()));
    ::unsetenv("UMBRIX_TEST_ROOT");
}

TEST(RegistryStoreTest, SetInstalledStoresTheFlag) {
    StoreSandbox box;
    SetInstalled(kApp, kComponent);
    EXPECT_TRUE(IsInstalled(kApp, kComponent));
    EXPECT_NE(readWholeFile(box.systemIni()).find(kIniInstalled + "SCRRUN.DLL=1\n"),
              std::string::npos)
        << readWholeFile(box.systemIni());
    EXPECT_FALSE(test::exists(box.logFile()));
}

TEST(RegistryStoreTest, NoKeyOrRootIsFalseWithoutALine) {
    StoreSandbox box;
    EXPECT_FALSE(SaveRegValue(RegRoot::LocalMachine, QString(), QStringLiteral("S"),
                              QStringLiteral("v"), RegType::REG_SZ, QStringLiteral("1")));
    EXPECT_FALSE(SaveRegValue(RegRoot::None, QStringLiteral("K"), QStringLiteral("S"),
                              QStringLiteral("v"), RegType::REG_SZ, QStringLiteral("1")));
    EXPECT_FALSE(test::exists(box.dir() / "system"));
    EXPECT_FALSE(test::exists(box.logFile()));
}

// Root may write anywhere, so the store is made unwritable by putting its
// folder below a regular file.
TEST(RegistryStoreTest, UnwritableStoreLeavesOneLineNamingTheKey) {
    StoreSandbox box;
    test::makeFile(box.dir() / "file");
    ScopedSettingsLocation blocked(QString::fromStdString(box.dir() / "user"),
                                   QString::fromStdString(box.dir() / "file/sub"));
    SetInstalled(kApp, kComponent);

    const std::vector<std::string> lines = logLines(box);
    ASSERT_EQ(lines.size(), 1u);
    expectSaveRegValueLine(lines[0], "Trying to create the Registry key ''" +
                                         kInstalledKey.toStdString() +
                                         "'' failure.; Err=" + std::to_string(ENOTDIR) + " ]");
    EXPECT_FALSE(IsInstalled(kApp, kComponent));
    EXPECT_EQ(readWholeFile(box.dir() / "file"), "");
}

TEST(RegistryStoreTest, EmptySectionNamesTheSubKeyAlone) {
    StoreSandbox box;
    // A folder in place of the store file.
    test::makeDir(box.dir() / "system");
    test::makeDir(box.dir() / "system/Umbrix");
    test::makeDir(box.systemIni());
    EXPECT_FALSE(SaveRegValue(RegRoot::LocalMachine, QStringLiteral("Software\\Test"), QString(),
                              QStringLiteral("v"), RegType::REG_SZ, QStringLiteral("1")));
    const std::vector<std::string> lines = logLines(box);
    ASSERT_EQ(lines.size(), 1u);
    expectSaveRegValueLine(lines[0],
                           "Trying to create the Registry key ''Software\\Test'' failure.; Err=" +
                               std::to_string(EISDIR) + " ]");
}

// A store that can be opened but not written to: a full filesystem.
class FullVolume {
public:
    explicit FullVolume(const std::string& folder) : folder_(folder) {
        test::makeDir(folder);
        mounted_ = ::mount("tmpfs", folder.c_str(), "tmpfs", 0, "size=64k") == 0;
    }
    ~FullVolume() {
        if (mounted_)
            ::umount2(folder_.c_str(), MNT_DETACH);
    }
    FullVolume(const FullVolume&) = delete;
    FullVolume& operator=(const FullVolume&) = delete;

    bool mounted() const { return mounted_; }
    void fill() const {
        const int fd = ::open((folder_ + "/filler").c_str(), O_WRONLY | O_CREAT, 0644);
        ASSERT_GE(fd, 0);
        const std::string block(4096, 'x');
        while (::write(fd, block.data(), block.size()) > 0) {
        }
        ::close(fd);
    }

private:
    std::string folder_;
    bool mounted_ = false;
};

TEST(RegistryStoreTest, FailedWriteNamesTheValue) {
    StoreSandbox box;
    FullVolume volume(box.dir() / "system");
    if (!volume.mounted())
        GTEST_SKIP() << "no tmpfs can be mounted here";
    test::makeDir(box.dir() / "system/Umbrix");
    test::makeFile(box.systemIni());
    volume.fill();

    EXPECT_FALSE(
        SaveAppRegValue(kApp, QStringLiteral("Installed"), kComponent, QStringLiteral("1")));
    const std::vector<std::string> lines = logLines(box);
    ASSERT_EQ(lines.size(), 1u);
    expectSaveRegValueLine(lines[0], "Trying to save the Registry value ''" +
                                         kInstalledKey.toStdString() +
                                         "\\SCRRUN.DLL'' failure.; Err=");
    EXPECT_FALSE(IsInstalled(kApp, kComponent));
}

} // namespace
} // namespace umbrix
