#include "TempDir.h"
#include "app/IniFile.h"
#include "app/ProgramPaths.h"

#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

namespace {

void WriteFile(const std::string& path, const std::string& contents)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << contents;
}

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream buffer;
    buffer << in.rdbuf();
    return buffer.str();
}

} // namespace

class TestIniFile : public QObject
{
    Q_OBJECT

private slots:
    void readsAwkwardFiles_data();
    void readsAwkwardFiles();
    void parsesIntegersLikeTheProfileReader_data();
    void parsesIntegersLikeTheProfileReader();
    void writeKeepsEveryOtherLine_data();
    void writeKeepsEveryOtherLine();
    void firstWriteCreatesFileSectionAndKey();
    void longValueIsCutOnRead();
    void readOnlyFolderFailsWithoutDamage();
    void readOnlyFileIsNotReplaced();
    void writeLeavesNoTemporaryFiles();
    void defaultSaveFolderIsCreatedAndStored();
};

void TestIniFile::readsAwkwardFiles_data()
{
    QTest::addColumn<QByteArray>("contents");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("expected");

    QTest::newRow("plain") << QByteArray("[main]\nsavepath=/tmp/x/\n") << "main" << "savepath" << "/tmp/x/";
    QTest::newRow("mixed case section and key")
        << QByteArray("[MaIn]\nSAVEPATH=/a/\n") << "main" << "savepath" << "/a/";
    QTest::newRow("blanks around everything")
        << QByteArray("  [ main ]  \n \t row \t=\t 3 \t\n") << "main" << "row" << "3";
    QTest::newRow("crlf line ends") << QByteArray("[main]\r\nrow=4\r\ncol=5\r\n") << "main" << "col" << "5";
    QTest::newRow("key before any section is not in a section")
        << QByteArray("row=9\n[main]\ncol=1\n") << "main" << "row" << "<default>";
    QTest::newRow("key in another section") << QByteArray("[window]\nrow=9\n") << "main" << "row" << "<default>";
    QTest::newRow("first of duplicate keys") << QByteArray("[main]\nrow=1\nrow=2\n") << "main" << "row" << "1";
    QTest::newRow("first of duplicate sections")
        << QByteArray("[main]\nrow=1\n[other]\n[main]\nrow=2\ncol=7\n") << "main" << "col" << "<default>";
    QTest::newRow("value with equals sign") << QByteArray("[main]\nk=a=b\n") << "main" << "k" << "a=b";
    QTest::newRow("empty value") << QByteArray("[main]\nk=\n") << "main" << "k" << "";
    QTest::newRow("no final newline") << QByteArray("[main]\nk=v") << "main" << "k" << "v";
    QTest::newRow("utf-8 value") << QByteArray("[main]\nsavepath=/视频/监控录像/\n") << "main" << "savepath"
                                 << QString::fromUtf8("/视频/监控录像/");
    QTest::newRow("binary garbage around the key")
        << QByteArray("\x01\xff\xfe[\x00\x00\n[main]\n\x80\x81=\x82\nrow=6\n\xff", 24) << "main" << "row" << "6";
    QTest::newRow("empty file") << QByteArray() << "main" << "row" << "<default>";
}

void TestIniFile::readsAwkwardFiles()
{
    QFETCH(QByteArray, contents);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, expected);

    TempDir dir;
    const std::string path = dir.file("config.ini");
    WriteFile(path, contents.toStdString());

    const std::string value = IniGetString(path, section.toStdString(), key.toStdString(), "<default>");
    QCOMPARE(QString::fromStdString(value), expected);
}

void TestIniFile::parsesIntegersLikeTheProfileReader_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("expected");

    QTest::newRow("plain") << "42" << 42;
    QTest::newRow("negative") << "-7" << -7;
    QTest::newRow("trailing text") << "12abc" << 12;
    QTest::newRow("text only") << "abc" << 0;
    QTest::newRow("empty") << "" << 0;
    QTest::newRow("leading blanks") << "  5" << 5;
    QTest::newRow("topmost five") << "5" << 5;
}

void TestIniFile::parsesIntegersLikeTheProfileReader()
{
    QFETCH(QString, text);
    QFETCH(int, expected);

    TempDir dir;
    const std::string path = dir.file("config.ini");
    WriteFile(path, "[main]\nvalue=" + text.toStdString() + "\n");
    QCOMPARE(IniGetInt(path, "main", "value", -99), expected);
    QCOMPARE(IniGetInt(path, "main", "absent", -99), -99);
}

void TestIniFile::writeKeepsEveryOtherLine_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QByteArray>("after");

    QTest::newRow("replace in place, keep comments and case")
        << QByteArray("; settings\n[Main]\n Row = 1 \n; note\ncol=2\n") << "main" << "ROW" << "3"
        << QByteArray("; settings\n[Main]\nROW=3\n; note\ncol=2\n");
    QTest::newRow("append to section before the next one")
        << QByteArray("[main]\nrow=1\n\n[window]\nleft=0\n") << "main" << "col" << "4"
        << QByteArray("[main]\nrow=1\ncol=4\n\n[window]\nleft=0\n");
    QTest::newRow("new section at the end, crlf kept")
        << QByteArray("[main]\r\nrow=1\r\n") << "window" << "top" << "10"
        << QByteArray("[main]\r\nrow=1\r\n[window]\r\ntop=10\r\n");
    QTest::newRow("last line without newline")
        << QByteArray("[main]\nrow=1") << "main" << "col" << "2" << QByteArray("[main]\nrow=1\ncol=2\n");
    QTest::newRow("garbage lines kept byte for byte")
        << QByteArray("\xff\xfe junk\n[main]\nrow=1\n\x01\x02\n", 24) << "main" << "row" << "2"
        << QByteArray("\xff\xfe junk\n[main]\nrow=2\n\x01\x02\n", 24);
    QTest::newRow("key before any section is left alone")
        << QByteArray("row=9\n[main]\n") << "main" << "row" << "1" << QByteArray("row=9\n[main]\nrow=1\n");
}

void TestIniFile::writeKeepsEveryOtherLine()
{
    QFETCH(QByteArray, before);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, value);
    QFETCH(QByteArray, after);

    TempDir dir;
    const std::string path = dir.file("config.ini");
    WriteFile(path, before.toStdString());
    QVERIFY(IniSetString(path, section.toStdString(), key.toStdString(), value.toStdString()));
    QCOMPARE(QByteArray::fromStdString(ReadFile(path)), after);
    QCOMPARE(QString::fromStdString(IniGetString(path, section.toStdString(), key.toStdString())), value);
}

void TestIniFile::firstWriteCreatesFileSectionAndKey()
{
    TempDir dir;
    const std::string path = dir.file("config.ini");
    QCOMPARE(IniGetInt(path, "main", "topmost", 0), 0);
    QVERIFY(IniSetInt(path, "main", "topmost", 1));
    QVERIFY(IniSetInt(path, "window", "left", -20));
    QVERIFY(IniSetInt(path, "main", "row", 2));
    QCOMPARE(QByteArray::fromStdString(ReadFile(path)),
             QByteArray("[main]\ntopmost=1\nrow=2\n[window]\nleft=-20\n"));
    QCOMPARE(IniGetInt(path, "WINDOW", "Left", 0), -20);
}

void TestIniFile::longValueIsCutOnRead()
{
    TempDir dir;
    const std::string path = dir.file("config.ini");
    const std::string ascii(600, 'a');
    QVERIFY(IniSetString(path, "main", "savepath", ascii));
    QCOMPARE(IniGetString(path, "main", "savepath").size(), kIniMaxValueBytes);
    // The whole value stays in the file; only the read is cut.
    QVERIFY(ReadFile(path).find(ascii) != std::string::npos);

    // A cut never splits a UTF-8 character.
    std::string chinese;
    for (int i = 0; i < 200; ++i) {
        chinese += "录"; // 3 bytes each
    }
    QVERIFY(IniSetString(path, "main", "savepath", chinese));
    const std::string cut = IniGetString(path, "main", "savepath");
    QVERIFY(cut.size() <= kIniMaxValueBytes);
    QCOMPARE(cut.size() % 3, size_t(0));
    QVERIFY(QString::fromUtf8(cut.c_str()).toUtf8().toStdString() == cut);
}

void TestIniFile::readOnlyFolderFailsWithoutDamage()
{
    if (geteuid() == 0) {
        QSKIP("root writes into read-only folders");
    }
    TempDir dir;
    const std::string path = dir.file("config.ini");
    WriteFile(path, "[main]\nrow=1\n");
    chmod(dir.path().c_str(), 0555);
    QVERIFY(!IniSetInt(path, "main", "row", 2));
    chmod(dir.path().c_str(), 0755);
    QCOMPARE(ReadFile(path), std::string("[main]\nrow=1\n"));
}

void TestIniFile::readOnlyFileIsNotReplaced()
{
    TempDir dir;
    const std::string path = dir.file("config.ini");
    WriteFile(path, "[main]\nrow=1\n");
    chmod(path.c_str(), 0444);
    if (access(path.c_str(), W_OK) == 0) {
        QSKIP("this user may write read-only files");
    }
    QVERIFY(!IniSetInt(path, "main", "row", 2));
    QCOMPARE(IniGetInt(path, "main", "row", 0), 1);
}

void TestIniFile::writeLeavesNoTemporaryFiles()
{
    TempDir dir;
    const std::string path = dir.file("config.ini");
    for (int i = 0; i < 20; ++i) {
        QVERIFY(IniSetInt(path, "main", "row", i));
    }
    const QStringList entries = QDir(QString::fromStdString(dir.path())).entryList(QDir::Files);
    QCOMPARE(entries, QStringList{"config.ini"});
    QCOMPARE(IniGetInt(path, "main", "row", -1), 19);
}

void TestIniFile::defaultSaveFolderIsCreatedAndStored()
{
    TempDir dir;
    const std::string saved = g_programDir;
    g_programDir = dir.path();
    const std::string config = dir.file("config.ini");

    const std::string folder = ReadSaveFolder(config);
    QCOMPARE(QString::fromStdString(folder), QString::fromStdString(dir.path()) + QString::fromUtf8("监控录像/"));
    QVERIFY(QFileInfo(QString::fromStdString(folder)).isDir());
    QCOMPARE(IniGetString(config, "main", "savepath"), folder);

    // A stored folder that exists is used as it is, without a trailing separator added.
    IniSetString(config, "main", "savepath", dir.path());
    QCOMPARE(ReadSaveFolder(config), dir.path());
    // A deleted one falls back to the default again.
    IniSetString(config, "main", "savepath", dir.path() + "gone/");
    QCOMPARE(ReadSaveFolder(config), folder);
    QCOMPARE(IniGetString(config, "main", "savepath"), folder);
    g_programDir = saved;
}

QTEST_GUILESS_MAIN(TestIniFile)
#include "TestIniFile.moc"
