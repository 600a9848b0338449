#include "TempDir.h"
#include "options/AutoStart.h"

#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QtTest>

#include <sys/stat.h>

#include <fstream>
#include <sstream>

namespace {

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream buffer;
    buffer << in.rdbuf();
    return buffer.str();
}

// The value of key in the entry, still escaped.
QString RawValue(const std::string& entry, const QString& key)
{
    for (const QString& line : QString::fromStdString(entry).split('\n')) {
        if (line.startsWith(key + "=")) {
            return line.mid(key.size() + 1);
        }
    }
    return {};
}

// How a launcher reads an Exec value: first the escapes of every string value,
// then the split into arguments with the quoting rules. Written from the
// reading side only, so it does not share mistakes with the writer.
QStringList DecodeExec(const QString& raw, bool* ok)
{
    QString value;
    for (int i = 0; i < raw.size(); ++i) {
        if (raw[i] != '\\' || i + 1 == raw.size()) {
            value += raw[i];
            continue;
        }
        const QChar next = raw[++i];
        value += next == 's'   ? QChar(' ')
                 : next == 'n' ? QChar('\n')
                 : next == 't' ? QChar('\t')
                 : next == 'r' ? QChar('\r')
                               : next;
    }
    QStringList args;
    QString current;
    bool inArg = false;
    *ok = true;
    for (int i = 0; i < value.size(); ++i) {
        const QChar c = value[i];
        if (c == ' ') {
            if (inArg) {
                args << current;
                current.clear();
                inArg = false;
            }
            continue;
        }
        inArg = true;
        if (c == '%') {
            if (i + 1 < value.size() && value[i + 1] == '%') {
                current += '%';
                ++i;
            } else {
                *ok = false; // a field code we never write
            }
        } else if (c == '"') {
            for (++i; i < value.size() && value[i] != '"'; ++i) {
                if (value[i] == '\\' && i + 1 < value.size() && QString("\"`$\\").contains(value[i + 1])) {
                    ++i;
                } else if (QString("\"`$\\").contains(value[i])) {
                    *ok = false; // must have been escaped
                }
                if (value[i] == '%' && i + 1 < value.size() && value[i + 1] == '%') {
                    ++i;
                }
                current += value[i];
            }
            *ok = *ok && i < value.size(); // closing quote present
        } else if (QString("\t\n\"'\\><~|&;$*?#()`").contains(c)) {
            *ok = false; // reserved characters must be quoted
        } else {
            current += c;
        }
    }
    if (inArg) {
        args << current;
    }
    return args;
}

} // namespace

class TestAutoStart : public QObject
{
    Q_OBJECT

  private slots:
    void init();
    void entryIsWrittenAndValid_data();
    void entryIsWrittenAndValid();
    void launcherStartsTheProgram();
    void secondCreateReplacesTheEntry();
    void deleteRemovesAndIsQuietWhenAbsent();
    void unwritablePlaceIsReported_data();
    void unwritablePlaceIsReported();
    void folderFollowsTheEnvironment_data();
    void folderFollowsTheEnvironment();
    void unusableNameOrValueIsRefused();

  private:
    std::unique_ptr<TempDir> m_dir;
    std::string m_folder; // the autostart folder under the temporary config home
};

void TestAutoStart::init()
{
    m_dir = std::make_unique<TempDir>();
    QVERIFY(m_dir->isValid());
    qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(m_dir->file("config")));
    m_folder = m_dir->file("config/autostart/");
}

void TestAutoStart::entryIsWrittenAndValid_data()
{
    QTest::addColumn<QString>("application");
    QTest::addColumn<QString>("folder");

    QTest::newRow("plain") << "/opt/torvane/Torvane"
                           << "/opt/torvane/";
    QTest::newRow("spaces and non-ASCII") << "/home/user/我的 程序/Torvane 监控"
                                          << "/home/user/我的 程序/";
    QTest::newRow("shell characters") << "/srv/a\"b`c$d\\e'f&g;(h)#i*?~/Tor vane"
                                      << "/srv/a\\b/";
    QTest::newRow("percent sign") << "/srv/100%/Torvane"
                                  << "/srv/100%/";
    QTest::newRow("percent next to quote") << "/srv/5% off/Torvane"
                                           << "/srv/";
}

void TestAutoStart::entryIsWrittenAndValid()
{
    QFETCH(QString, application);
    QFETCH(QString, folder);

    QVERIFY(CreateAutoStartTask("Torvane", application.toStdString(), "task", folder.toStdString()));
    const std::string path = m_folder + "Torvane.desktop";
    QCOMPARE(AutoStartEntryPath("Torvane"), path);
    const std::string entry = ReadFile(path);

    QVERIFY(entry.rfind("[Desktop Entry]\n", 0) == 0);
    QCOMPARE(RawValue(entry, "Type"), QString("Application"));
    QCOMPARE(RawValue(entry, "Name"), QString("Torvane"));
    QCOMPARE(RawValue(entry, "Terminal"), QString("false"));
    QCOMPARE(RawValue(entry, "Path"), QString(folder).replace("\\", "\\\\"));

    bool ok = false;
    const QStringList args = DecodeExec(RawValue(entry, "Exec"), &ok);
    QVERIFY2(ok, entry.c_str());
    QCOMPARE(args, (QStringList{application, "task"}));

    const QString validator = QStandardPaths::findExecutable("desktop-file-validate");
    if (validator.isEmpty()) {
        QSKIP("desktop-file-validate is not installed (scripts/deps installs desktop-file-utils)");
    }
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(validator, {QString::fromStdString(path)});
    QVERIFY(process.waitForFinished(10000));
    const QByteArray output = process.readAll();
    QVERIFY2(process.exitCode() == 0, output.constData());
    QVERIFY2(output.trimmed().isEmpty(), output.constData()); // no warnings or hints either
}

// A real launcher (GLib's, as desktops use) starts the entry: the program at an
// awkward path gets the argument "task" and the working folder.
void TestAutoStart::launcherStartsTheProgram()
{
    const QString gio = QStandardPaths::findExecutable("gio");
    if (gio.isEmpty()) {
        QSKIP("gio (libglib2.0-bin) is not installed");
    }
    const std::string folder = m_dir->file("我的 程序 $x\"q\\b`c/");
    QVERIFY(QDir().mkpath(QString::fromStdString(folder)));
    const std::string program = folder + "Torvane 监控";
    const std::string output = m_dir->file("launched.txt");
    std::ofstream(program) << "#!/bin/sh\nprintf '%s|' \"$0\" \"$@\" \"$PWD\" > '" << output << "'\n";
    QVERIFY(chmod(program.c_str(), 0755) == 0);

    QVERIFY(CreateAutoStartTask("Torvane", program, "task", folder));
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(gio, {"launch", QString::fromStdString(AutoStartEntryPath("Torvane"))});
    QVERIFY(process.waitForFinished(10000));
    QVERIFY2(process.exitCode() == 0, process.readAll().constData());
    QTRY_VERIFY_WITH_TIMEOUT(!ReadFile(output).empty(), 10000);
    std::string workingFolder = folder;
    workingFolder.pop_back();
    QCOMPARE(ReadFile(output), program + "|task|" + workingFolder + "|");
}

void TestAutoStart::secondCreateReplacesTheEntry()
{
    QVERIFY(CreateAutoStartTask("Torvane", "/old/place/Torvane", "task", "/old/place/"));
    QVERIFY(CreateAutoStartTask("Torvane", "/new/place/Torvane", "task", "/new/place/"));
    // One entry, no leftovers of the atomic write.
    QCOMPARE(QDir(QString::fromStdString(m_folder))
                 .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
             QStringList{"Torvane.desktop"});
    const std::string entry = ReadFile(m_folder + "Torvane.desktop");
    QCOMPARE(RawValue(entry, "Exec"), QString("/new/place/Torvane task"));
    QCOMPARE(RawValue(entry, "Path"), QString("/new/place/"));
    QCOMPARE(QString::fromStdString(entry).count("[Desktop Entry]"), 1);
    struct stat info = {};
    QCOMPARE(stat((m_folder + "Torvane.desktop").c_str(), &info), 0);
    QCOMPARE(info.st_mode & 0777, 0644u);
}

void TestAutoStart::deleteRemovesAndIsQuietWhenAbsent()
{
    std::ofstream(m_dir->file("keep")) << "x";
    QVERIFY(CreateAutoStartTask("Torvane", "/opt/Torvane", "task", "/opt/"));
    QVERIFY(CreateAutoStartTask("Other", "/opt/Other", "", "/opt/"));
    QVERIFY(DeleteAutoStartTask("Torvane"));
    QVERIFY(!QFile::exists(QString::fromStdString(m_folder + "Torvane.desktop")));
    QVERIFY(QFile::exists(QString::fromStdString(m_folder + "Other.desktop"))); // only our own entry goes
    QVERIFY(DeleteAutoStartTask("Torvane"));                                    // already gone
    qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(m_dir->file("never-created")));
    QVERIFY(DeleteAutoStartTask("Torvane")); // no autostart folder at all
    qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(m_dir->file("keep")));
    QVERIFY(DeleteAutoStartTask("Torvane")); // a file where the folder would be
}

// Places that cannot hold the entry, whoever runs the test (root included).
void TestAutoStart::unwritablePlaceIsReported_data()
{
    QTest::addColumn<QString>("blocker"); // made a regular file, relative to the temp folder
    QTest::addColumn<QString>("blockingFolder");
    QTest::addColumn<bool>("deleteResult");

    QTest::newRow("config home is a file") << "config"
                                           << "" << true;
    QTest::newRow("autostart is a file") << "config/autostart"
                                         << "" << true;
    QTest::newRow("entry is a folder") << ""
                                       << "config/autostart/Torvane.desktop" << false;
}

void TestAutoStart::unwritablePlaceIsReported()
{
    QFETCH(QString, blocker);
    QFETCH(QString, blockingFolder);
    QFETCH(bool, deleteResult);

    if (!blocker.isEmpty()) {
        QVERIFY(QDir().mkpath(QFileInfo(QString::fromStdString(m_dir->file(blocker.toStdString()))).path()));
        std::ofstream(m_dir->file(blocker.toStdString())) << "not a folder";
    }
    if (!blockingFolder.isEmpty()) {
        QVERIFY(QDir().mkpath(QString::fromStdString(m_dir->file(blockingFolder.toStdString()))));
    }
    QVERIFY(!CreateAutoStartTask("Torvane", "/opt/Torvane", "task", "/opt/"));
    if (!blockingFolder.isEmpty()) { // no half-written temporary file is left behind
        QCOMPARE(QDir(QString::fromStdString(m_folder))
                     .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
                 QStringList{"Torvane.desktop"});
    }
    QCOMPARE(DeleteAutoStartTask("Torvane"), deleteResult);
    if (!blocker.isEmpty()) {
        QCOMPARE(ReadFile(m_dir->file(blocker.toStdString())), std::string("not a folder"));
    }
}

void TestAutoStart::folderFollowsTheEnvironment_data()
{
    QTest::addColumn<QByteArray>("configHome"); // "<unset>" removes the variable
    QTest::addColumn<QString>("expectedUnderTemp");

    QTest::newRow("absolute") << QByteArray("@/xdg") << "xdg/autostart/";
    QTest::newRow("absolute with slash") << QByteArray("@/xdg/") << "xdg/autostart/";
    QTest::newRow("unset") << QByteArray("<unset>") << "home/.config/autostart/";
    QTest::newRow("empty") << QByteArray("") << "home/.config/autostart/";
    QTest::newRow("relative is ignored") << QByteArray("xdg") << "home/.config/autostart/";
}

void TestAutoStart::folderFollowsTheEnvironment()
{
    QFETCH(QByteArray, configHome);
    QFETCH(QString, expectedUnderTemp);

    const QByteArray oldHome = qgetenv("HOME");
    qputenv("HOME", QByteArray::fromStdString(m_dir->file("home")));
    if (configHome == "<unset>") {
        qunsetenv("XDG_CONFIG_HOME");
    } else {
        qputenv("XDG_CONFIG_HOME",
                configHome.replace("@", QByteArray::fromStdString(m_dir->path()).chopped(1)));
    }
    const std::string folder = AutoStartFolder();
    const bool written = CreateAutoStartTask("Torvane", "/opt/Torvane", "task", "/opt/");
    qputenv("HOME", oldHome);
    QCOMPARE(folder, m_dir->file(expectedUnderTemp.toStdString()));
    QVERIFY(written);
    QVERIFY(QFile::exists(QString::fromStdString(folder + "Torvane.desktop")));
}

void TestAutoStart::unusableNameOrValueIsRefused()
{
    QVERIFY(!CreateAutoStartTask("", "/opt/Torvane", "task", "/opt/"));
    QVERIFY(!CreateAutoStartTask("../Torvane", "/opt/Torvane", "task", "/opt/"));
    QVERIFY(!CreateAutoStartTask("Torvane", "", "task", "/opt/"));
    // A control character cannot be written into a desktop entry at all.
    QVERIFY(!CreateAutoStartTask("Torvane", "/opt/a\x01b/Torvane", "task", "/opt/"));
    // Entries are UTF-8; a file name in another encoding cannot be written into one.
    QVERIFY(!CreateAutoStartTask("Torvane", "/opt/\xb1\xa8\xbe\xaf/Torvane", "task", "/opt/"));
    QVERIFY(!CreateAutoStartTask("Torvane", "/opt/Torvane", "task", "/opt/\xff/"));
    QVERIFY(!QFile::exists(QString::fromStdString(m_dir->file("Torvane.desktop"))));
    QVERIFY(!QDir(QString::fromStdString(m_folder)).exists() ||
            QDir(QString::fromStdString(m_folder)).isEmpty());
}

QTEST_GUILESS_MAIN(TestAutoStart)
#include "TestAutoStart.moc"
