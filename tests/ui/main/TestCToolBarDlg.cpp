#include "FakeBrowser.h"
#include "app/Product.h"
#include "app/RunState.h"
#include "controls/CButtonST.h"
#include "main/CToolBarDlg.h"
#include "main/DialogUnits.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

class TestCToolBarDlg : public QObject
{
    Q_OBJECT

  private slots:
    void sixButtonsWithIdsCaptionsPlacesAndIcons();
    void stopAndSnapshotStoreTheRunFlag();
    void startButtonStateIsReadable();
    void helpButtonOpensTheSiteAddress();
};

void TestCToolBarDlg::sixButtonsWithIdsCaptionsPlacesAndIcons()
{
    CToolBarDlg toolBar;
    const DialogBaseUnits base = BaseUnitsOf(toolBar.font());
    QCOMPARE(toolBar.size(), DialogUnitsToPixels(QSize(451, 38), base));

    const struct
    {
        int id;
        const char* caption;
        int x;
    } expected[] = {{1000, "开始录像", 0},   {1001, "停止录像", 42},  {1002, "拍取照片", 84},
                    {1003, "选项设置", 126}, {1004, "更新软件", 168}, {1006, "查看帮助", 210}};
    int previousRight = -1;
    for (const auto& button : expected) {
        CButtonST* b = toolBar.Button(button.id);
        QVERIFY2(b, qPrintable(QString::number(button.id)));
        QCOMPARE(b->text(), QString::fromUtf8(button.caption));
        QCOMPARE(b->geometry(), DialogUnitsToPixels(QRect(button.x, 0, 39, 38), base));
        QVERIFY(b->geometry().left() > previousRight); // in order, with a gap
        previousRight = b->geometry().right();
        QCOMPARE(b->iconPixelSize(), QSize(32, 32));
        QVERIFY(b->isEnabled());
    }
    QVERIFY(!toolBar.Button(1005));
}

void TestCToolBarDlg::stopAndSnapshotStoreTheRunFlag()
{
    CToolBarDlg toolBar;
    g_captureState = kCaptureRunning;
    toolBar.Button(CToolBarDlg::IDC_TB_SNAPSHOT)->click();
    QCOMPARE(g_captureState.load(), int(kCaptureSnapshotRequested));
    toolBar.Button(CToolBarDlg::IDC_TB_STOP)->click();
    QCOMPARE(g_captureState.load(), int(kCaptureStopRequested));
    // Idle snapshot: only the flag changes.
    toolBar.Button(CToolBarDlg::IDC_TB_SNAPSHOT)->click();
    QCOMPARE(g_captureState.load(), int(kCaptureSnapshotRequested));
}

void TestCToolBarDlg::startButtonStateIsReadable()
{
    CToolBarDlg toolBar;
    QVERIFY(toolBar.IsStartEnabled());
    toolBar.SetStartEnabled(false);
    QVERIFY(!toolBar.IsStartEnabled());
    QVERIFY(!toolBar.Button(CToolBarDlg::IDC_TB_START)->isEnabled());
    QVERIFY(toolBar.Button(CToolBarDlg::IDC_TB_STOP)->isEnabled());
}

void TestCToolBarDlg::helpButtonOpensTheSiteAddress()
{
    // No desktop services offscreen: the address reaches the fallback browser.
    QTemporaryDir dir;
    FakeBrowser browser(dir.path());
    g_helpUrl = "http://127.0.0.1:9/site/";
    CToolBarDlg toolBar;
    toolBar.Button(CToolBarDlg::IDC_TB_HELP)->click();
    QTRY_COMPARE(browser.Received(), QStringLiteral("http://127.0.0.1:9/site/\n"));
}

QTEST_MAIN(TestCToolBarDlg)
#include "TestCToolBarDlg.moc"
