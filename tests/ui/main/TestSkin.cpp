#include "ModalDriver.h"
#include "TempDir.h"
#include "main/Skin.h"

#include <QtTest>

#include <fstream>

class TestSkin : public QObject
{
    Q_OBJECT

  private slots:
    void cleanup();
    void missingOrEmptySkinShowsTheMessageOnce_data();
    void missingOrEmptySkinShowsTheMessageOnce();
    void skinIsAppliedToTheApplication();
};

void TestSkin::cleanup()
{
    qApp->setStyleSheet(QString());
}

void TestSkin::missingOrEmptySkinShowsTheMessageOnce_data()
{
    QTest::addColumn<bool>("createFile");
    QTest::newRow("missing") << false;
    QTest::newRow("empty") << true;
}

void TestSkin::missingOrEmptySkinShowsTheMessageOnce()
{
    QFETCH(bool, createFile);
    TempDir dir;
    if (createFile) {
        std::ofstream(dir.file("skin.qss")) << "  \n";
    }
    ModalDriver driver;
    QString caption;
    driver.Expect([&caption, &driver](QWidget* modal) {
        caption = modal->windowTitle();
        auto* box = qobject_cast<QMessageBox*>(modal);
        if (!box) {
            modal->close();
            return;
        }
        driver.messages.push_back({box->text(), box->icon()});
        box->button(QMessageBox::Ok)->click();
    });
    QVERIFY(!ApplySkin(dir.path()));
    QVERIFY(driver.AllAnswered());
    QVERIFY2(driver.unexpected.isEmpty(), qPrintable(driver.unexpected.join(", ")));
    QCOMPARE(driver.messages.size(), size_t(1));
    QCOMPARE(driver.messages[0].text,
             QStringLiteral(
                 "初始化皮肤库失败，可能是杀软误报所致，\n您可以暂时关闭杀软防护或者让杀软放行本软件！\n"
                 "然后重新启动本软件进行尝试，如有问题可以联系作者！"));
    QCOMPARE(driver.messages[0].icon, QMessageBox::NoIcon);
    // The caption is the executable's name: Qt's default application name.
    QCOMPARE(caption, QStringLiteral("TestSkin"));
    QCOMPARE(qApp->styleSheet(), QString());
}

void TestSkin::skinIsAppliedToTheApplication()
{
    TempDir dir;
    std::ofstream(dir.file("skin.qss")) << "QWidget { color: #123456; }\n";
    ModalDriver driver;
    QVERIFY(ApplySkin(dir.path()));
    QTest::qWait(30);
    QVERIFY(driver.unexpected.isEmpty());
    QCOMPARE(qApp->styleSheet(), QStringLiteral("QWidget { color: #123456; }\n"));

    // The shipped skin in the program directory loads as well.
    QString shipped;
    QVERIFY(LoadSkinStyleSheet(qEnvironmentVariable("TORVANE_PROGRAM_DIR") + "/skin.qss", &shipped));
    QVERIFY(shipped.contains("#toolBar"));
}

QTEST_MAIN(TestSkin)
#include "TestSkin.moc"
