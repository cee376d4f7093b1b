#include "core/settings.h"
#include "core/codepage.h"
#include "tests/support/qt_printers.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <csignal>

using core::LoadSettings;
using core::SaveSettings;
using core::Settings;

namespace {

class SettingsFile : public ::testing::Test {
  protected:
    QString path() const { return dir.filePath("velkor.INI"); }
    void write(const QString& text) {
        QFile f(path());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(core::toCp1251(text));
    }
    QString read() {
        QFile f(path());
        EXPECT_TRUE(f.open(QIODevice::ReadOnly));
        return core::fromCp1251(f.readAll());
    }
    Settings load() {
        Settings s;
        LoadSettings(path(), s, widths);
        return s;
    }
    QTemporaryDir dir;
    std::vector<int> widths = core::designColumnWidths();
};

TEST_F(SettingsFile, MissingFileKeepsTheDefaults) {
    const Settings s = load();
    EXPECT_EQ(s.HostName, "127.0.0.1");
    EXPECT_EQ(s.default_login, "root");
    EXPECT_EQ(s.base_name, "");
    EXPECT_TRUE(s.auto_update_sprav);
    EXPECT_TRUE(s.login_log.isEmpty());
    EXPECT_EQ(widths, std::vector<int>({44, 200, 180, 190, 160, 150, 165, 114}));
}

struct LoadCase {
    const char* name;
    const char* file;
    bool autoUpdate;
    QStringList log;
};

class SettingsLoad : public SettingsFile, public ::testing::WithParamInterface<LoadCase> {};

TEST_P(SettingsLoad, Reads) {
    write(QString::fromUtf8(GetParam().file));
    const Settings s = load();
    EXPECT_EQ(s.auto_update_sprav, GetParam().autoUpdate);
    EXPECT_EQ(s.login_log, GetParam().log);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SettingsLoad,
    ::testing::Values(
        LoadCase{"seven_is_on", "[main]\r\nauto_update_sprav=7\r\n", true, {}},
        LoadCase{"zero_is_off", "[main]\r\nauto_update_sprav=0\r\n", false, {}},
        LoadCase{"yes_reads_as_default", "[main]\r\nauto_update_sprav=yes\r\n", true, {}},
        LoadCase{"names_trimmed_and_empty_skipped",
                 "[login_log]\r\ncount=2\r\nname0=\r\nname1=  smith \t\r\n",
                 true,
                 {"smith"}},
        // In Ukrainian collation Cyrillic names come before Latin ones.
        LoadCase{"sorted_without_case",
                 "[login_log]\r\ncount=3\r\nname0=bob\r\nname1=Alice\r\nname2=Олена\r\n",
                 true,
                 {QString::fromUtf8("Олена"), "Alice", "bob"}},
        LoadCase{"names_and_sections_ignore_case",
                 "[MAIN]\r\nAUTO_UPDATE_SPRAV=0\r\n"
                 "[Login_Log]\r\nCount=1\r\nNAME0=ann\r\n",
                 false,
                 {"ann"}},
        LoadCase{"count_over_100_reads_nothing",
                 "[login_log]\r\ncount=101\r\nname0=a\r\nname1=b\r\n",
                 true,
                 {}},
        LoadCase{"count_100_is_read", "[login_log]\r\ncount=100\r\nname5=e\r\n", true, {"e"}},
        // Alphabetical, not by code point: Є after Е, І and Ї after И.
        LoadCase{"ukrainian_alphabet",
                 "[login_log]\r\ncount=7\r\nname0=Яків\r\nname1=ївга\r\nname2=Іван\r\n"
                 "name3=Євген\r\nname4=андрій\r\nname5=Ґава\r\nname6=Гена\r\n",
                 true,
                 {QString::fromUtf8("андрій"), QString::fromUtf8("Гена"), QString::fromUtf8("Ґава"),
                  QString::fromUtf8("Євген"), QString::fromUtf8("Іван"), QString::fromUtf8("ївга"),
                  QString::fromUtf8("Яків")}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SettingsFile, WritesEveryValueAndKeepsForeignKeys) {
    write(
        "; own comment\r\n[MySQL]\r\nhostname=old\r\nPort=3306\r\n\r\n[Other]\r\nx=1\r\n"
        "[login_log]\r\ncount=3\r\nname0=a\r\nname1=b\r\nname2=c\r\n");
    Settings s;
    s.HostName = "db.example:3307";
    s.default_login = QString::fromUtf8("Олена");
    s.base_name = "201011";
    s.auto_update_sprav = false;
    s.login_log = {QString::fromUtf8("Олена")};
    std::vector<int> w = {1, 2, 3, 4, 5, 6, 7, 8};
    SaveSettings(path(), s, w);
    EXPECT_EQ(read(), QString::fromUtf8(
                          "; own comment\r\n[MySQL]\r\nHostName=db.example:3307\r\nPort=3306\r\n"
                          "default_login=Олена\r\nbase_name=201011\r\n\r\n[Other]\r\nx=1\r\n"
                          "[login_log]\r\ncount=1\r\nname0=Олена\r\nname1=b\r\nname2=c\r\n"
                          "[main]\r\nauto_update_sprav=0\r\n"
                          "[Grid]\r\nCol0W=1\r\nCol1W=2\r\nCol2W=3\r\nCol3W=4\r\nCol4W=5\r\n"
                          "Col5W=6\r\nCol6W=7\r\nCol7W=8\r\n"));
    Settings back;
    LoadSettings(path(), back, widths);
    EXPECT_EQ(back.HostName, s.HostName);
    EXPECT_EQ(back.default_login, s.default_login);
    EXPECT_EQ(back.base_name, "201011");
    EXPECT_FALSE(back.auto_update_sprav);
    EXPECT_EQ(back.login_log, s.login_log);
    EXPECT_EQ(widths, w);
}

TEST_F(SettingsFile, ColumnWidthsAreReadByPositionWithPresentWidthsAsDefault) {
    write("[Grid]\r\nCol1W=333\r\nCol7W=abc\r\n");
    widths = {10, 20, 30, 40, 50, 60, 70, 80};  // present widths in present order
    load();
    EXPECT_EQ(widths, std::vector<int>({10, 333, 30, 40, 50, 60, 70, 80}));
}

TEST_F(SettingsFile, UnwritableFileIsIgnoredSilently) {
    Settings s;
    const QString nowhere = dir.filePath("no/such/dir/velkor.INI");
    SaveSettings(nowhere, s, widths);
    EXPECT_FALSE(QFile::exists(nowhere));
    EXPECT_FALSE(QFile::exists(nowhere + ".lock"));
}

TEST_F(SettingsFile, ZeroAndHugeWidthsAreNeitherSavedNorRead) {
    write("[Grid]\r\nCol0W=0\r\nCol1W=-5\r\nCol2W=77\r\nCol3W=99999\r\nCol4W=4000\r\n");
    load();
    EXPECT_EQ(widths, std::vector<int>({44, 200, 77, 190, 4000, 150, 165, 114}));
    Settings s;
    SaveSettings(path(), s, {0, 0, 0, 0, 0, 0, 0, 0});
    EXPECT_TRUE(read().contains("Col0W=0\r\nCol1W=-5\r\nCol2W=77\r\n"));
}

TEST_F(SettingsFile, AnyLineEndingIsRead) {
    struct Case {
        const char* name;
        const char* eol;
    };
    for (const Case c : {Case{"CR LF", "\r\n"}, Case{"LF", "\n"}, Case{"CR", "\r"}}) {
        SCOPED_TRACE(c.name);
        const QString eol = QString::fromLatin1(c.eol);
        write("[MySQL]" + eol + "HostName=db.archive" + eol + "default_login=oksana" + eol +
              "[main]" + eol + "auto_update_sprav=0" + eol + "[Grid]" + eol + "Col1W=222");
        widths = core::designColumnWidths();
        const Settings s = load();
        EXPECT_EQ(s.HostName, "db.archive");
        EXPECT_EQ(s.default_login, "oksana");
        EXPECT_FALSE(s.auto_update_sprav);
        EXPECT_EQ(widths[1], 222);
    }
}

// A save that fails midway (here: the file size limit, as a full disk would)
// leaves the old file whole.
TEST_F(SettingsFile, SaveFailingMidwayKeepsTheOldFile) {
    write("[MySQL]\r\nHostName=old-host\r\n[Other]\r\nx=1\r\n");
    const QString before = read();
    Settings s;
    for (int i = 0; i < 200; ++i) s.login_log << QString("user%1").arg(i, 3, 10, QChar('0'));
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 1000;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    SaveSettings(path(), s, widths);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(read(), before);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList({"velkor.INI"}));
}

// Two programs saving at once: every section stays once, and what neither
// writes survives.
TEST_F(SettingsFile, TwoWritersAtOnceNeitherDuplicateNorLoseSections) {
    write("[Foreign]\r\nkeep=me\r\n");
    QProcess a, b;
    a.start(VELKOR_SETTINGS_WRITER, {path(), "ann", "150"});
    b.start(VELKOR_SETTINGS_WRITER, {path(), "bob", "150"});
    ASSERT_TRUE(a.waitForFinished(-1));
    ASSERT_TRUE(b.waitForFinished(-1));
    EXPECT_EQ(a.exitCode(), 0);
    EXPECT_EQ(b.exitCode(), 0);
    const QString text = read();
    for (const char* section : {"[Foreign]", "[main]", "[MySQL]", "[login_log]", "[Grid]"})
        EXPECT_EQ(text.count(section), 1) << section << "\n" << text.toStdString();
    EXPECT_TRUE(text.contains("keep=me\r\n"));
    EXPECT_TRUE(text.contains("base_name=149\r\n"));
}

TEST(SettingsPath, ExecutableNameWithIni) {
    EXPECT_EQ(core::settingsPathFor("/opt/velkor/bin/velkor"), "/opt/velkor/bin/velkor.INI");
    EXPECT_EQ(core::settingsPathFor("/opt/Velkor.exe"), "/opt/Velkor.INI");
}

TEST(LoginLog, AddKeepsTheFirstFormAndTheOrder) {
    Settings s;
    core::addToLoginLog(s, "bob");
    core::addToLoginLog(s, "Alice");
    core::addToLoginLog(s, "BOB");
    core::addToLoginLog(s, "carl");
    EXPECT_EQ(s.login_log, QStringList({"Alice", "bob", "carl"}));
}

}  // namespace
