#include "options/DialogInteger.h"

#include <QtTest>

class TestDialogInteger : public QObject
{
    Q_OBJECT

  private slots:
    void parses_data();
    void parses();
};

void TestDialogInteger::parses_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<int>("value");

    QTest::newRow("digits") << "3" << true << 3;
    QTest::newRow("zero") << "0" << true << 0;
    QTest::newRow("blanks around") << " \t12 " << true << 12;
    QTest::newRow("signs") << "-4" << true << -4;
    QTest::newRow("plus") << "+4" << true << 4;
    QTest::newRow("int max") << "2147483647" << true << 2147483647;
    QTest::newRow("int min") << "-2147483648" << true << int(-2147483647 - 1);
    QTest::newRow("empty") << "" << false << -1;
    QTest::newRow("blanks only") << "  " << false << -1;
    QTest::newRow("sign only") << "-" << false << -1;
    QTest::newRow("trailing text") << "3x" << false << -1;
    QTest::newRow("inner blank") << "1 2" << false << -1;
    QTest::newRow("decimal") << "2.5" << false << -1;
    QTest::newRow("full-width digit") << "３" << false << -1;
    QTest::newRow("too large") << "2147483648" << false << -1;
    QTest::newRow("far too large") << "99999999999999999999" << false << -1;
    QTest::newRow("too small") << "-2147483649" << false << -1;
}

void TestDialogInteger::parses()
{
    QFETCH(QString, text);
    QFETCH(bool, ok);
    QFETCH(int, value);
    int result = -1; // untouched on failure
    QCOMPARE(ParseDialogInteger(text.toStdString(), result), ok);
    QCOMPARE(result, value);
}

QTEST_GUILESS_MAIN(TestDialogInteger)
#include "TestDialogInteger.moc"
