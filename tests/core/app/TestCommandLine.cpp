#include "app/CommandLine.h"

#include <QtTest>

class TestCommandLine : public QObject
{
    Q_OBJECT

  private slots:
    void parses_data();
    void parses();
    void processArgumentsDecideTaskStart();
};

void TestCommandLine::parses_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<bool>("task");
    QTest::addColumn<bool>("deleteFile");
    QTest::addColumn<QString>("deletePath");

    QTest::newRow("no arguments") << QStringList{"Torvane"} << false << false << "";
    QTest::newRow("empty vector") << QStringList{} << false << false << "";
    QTest::newRow("task") << QStringList{"Torvane", "task"} << true << false << "";
    QTest::newRow("TASK upper case") << QStringList{"Torvane", "TASK"} << true << false << "";
    QTest::newRow("task with extra arguments")
        << QStringList{"Torvane", "Task", "x", "y"} << true << false << "";
    QTest::newRow("task not first") << QStringList{"Torvane", "x", "task"} << false << false << "";
    QTest::newRow("task as prefix") << QStringList{"Torvane", "tasks"} << false << false << "";
    QTest::newRow("delete with path")
        << QStringList{"Torvane", "delete", "/tmp/a b.avi"} << false << true << "/tmp/a b.avi";
    QTest::newRow("DELETE upper case") << QStringList{"Torvane", "DELETE", "/x"} << false << true << "/x";
    QTest::newRow("Delete mixed case") << QStringList{"Torvane", "Delete", "/x"} << false << true << "/x";
    QTest::newRow("delete extra arguments ignored")
        << QStringList{"Torvane", "delete", "/x", "/y"} << false << true << "/x";
    QTest::newRow("delete without path") << QStringList{"Torvane", "delete"} << false << false << "";
    QTest::newRow("delete path with Chinese")
        << QStringList{"Torvane", "delete", "/录像/1#1.avi"} << false << true << "/录像/1#1.avi";
    QTest::newRow("unknown keyword") << QStringList{"Torvane", "remove", "/x"} << false << false << "";
    QTest::newRow("keyword in program position")
        << QStringList{"delete", "task", "/x"} << true << false << "";
}

void TestCommandLine::parses()
{
    QFETCH(QStringList, args);
    QFETCH(bool, task);
    QFETCH(bool, deleteFile);
    QFETCH(QString, deletePath);

    std::vector<std::string> argv;
    for (const QString& arg : args) {
        argv.push_back(arg.toStdString());
    }
    const CommandLine parsed = ParseCommandLine(argv);
    QCOMPARE(parsed.task, task);
    QCOMPARE(parsed.deleteFile, deleteFile);
    QCOMPARE(QString::fromStdString(parsed.deletePath), deletePath);
}

void TestCommandLine::processArgumentsDecideTaskStart()
{
    // The device dialog asks every time it opens, so the arguments must stay put.
    SetProcessArguments({"Torvane", "tAsK"});
    QVERIFY(IsTaskStart());
    QVERIFY(IsTaskStart());
    SetProcessArguments({"Torvane", "delete", "/x"});
    QVERIFY(!IsTaskStart());
    QCOMPARE(ParseCommandLine(ProcessArguments()).deletePath, std::string("/x"));
}

QTEST_GUILESS_MAIN(TestCommandLine)
#include "TestCommandLine.moc"
