#include "FakeBrowser.h"
#include "ModalDriver.h"
#include "TempDir.h"
#include "app/CommandLine.h"
#include "app/IniFile.h"
#include "app/Product.h"
#include "app/ProgramPaths.h"
#include "app/RunState.h"
#include "controls/CButtonST.h"
#include "main/CPreviewDlg.h"
#include "main/CStatusBar.h"
#include "main/CToolBarDlg.h"
#include "main/CTorvaneDlg.h"
#include "main/PreviewCells.h"

#include <QAction>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QtTest>

#include <fstream>
#include <memory>
#include <thread>

namespace {

// Stands in for the capture loop: runs until the stop flag is stored, then
// reports the end of the run the way the real loop does, blocking until the
// window has handled it.
class FakeCaptureThread : public QThread
{
  protected:
    void run() override
    {
        while (g_captureState != kCaptureStopRequested) {
            msleep(5);
        }
        QMetaObject::invokeMethod(g_mainDlg, "OnRecordingEnded", Qt::BlockingQueuedConnection);
    }
};

QStringList MenuTexts(QMenu* menu)
{
    QStringList texts;
    for (QAction* action : menu->actions()) {
        texts << (action->isSeparator() ? QStringLiteral("-") : action->text());
    }
    return texts;
}

} // namespace

class TestCTorvaneDlg : public QObject
{
    Q_OBJECT

  private slots:
    void init();
    void cleanup();

    void menuMatchesTheResource();
    void captionStatusBarAndFirstStartSettings();
    void topmostIsNormalisedAndToggled_data();
    void topmostIsNormalisedAndToggled();
    void startItemFollowsTheToolbarButton();
    void stopAndSnapshotOnlyStoreTheRunFlag();
    void enterAndEscapeAreSwallowed();
    void panelsAreLaidOutFromTheClientArea();
    void growingTallerStretchesThePreviewOnly();
    void savedRectangleIsRestoredOnlyAbove500_data();
    void savedRectangleIsRestoredOnlyAbove500();
    void previewCellsFillTheGridRowByRow_data();
    void previewCellsFillTheGridRowByRow();
    void closingStoresTheRectangle();
    void closingWhileRecordingWaitsForTheTeardown();
    void workersReArmTimer1ThroughTheEventLoop();
    void commandsOpenTheirTargets_data();
    void commandsOpenTheirTargets();
    void aboutBoxShowsTheVersion();
    void deleteArgumentRemovesTheFile();

  private:
    std::unique_ptr<TempDir> m_dir;
    std::unique_ptr<CTorvaneDlg> m_dlg;
    void Create();
};

void TestCTorvaneDlg::init()
{
    m_dir = std::make_unique<TempDir>();
    g_programDir = m_dir->path();
    g_configPath = g_programDir + "config.ini";
    g_captureState = kCaptureStopRequested;
}

void TestCTorvaneDlg::cleanup()
{
    for (QWidget* cell : g_previewCells) {
        delete cell;
    }
    g_previewCells.clear();
    m_dlg.reset();
    m_dir.reset();
}

void TestCTorvaneDlg::Create()
{
    m_dlg = std::make_unique<CTorvaneDlg>();
    m_dlg->OnInitDialog(CTorvaneDlg::StartRequests::None);
}

void TestCTorvaneDlg::menuMatchesTheResource()
{
    Create();
    const QList<QAction*> popups = m_dlg->menuBar()->actions();
    QCOMPARE(popups.size(), 3);
    QCOMPARE(popups[0]->text(), QStringLiteral("操作&O"));
    QCOMPARE(popups[1]->text(), QStringLiteral("设置&S"));
    QCOMPARE(popups[2]->text(), QStringLiteral("帮助&H"));
    QCOMPARE(MenuTexts(popups[0]->menu()), (QStringList{"开始监控录像", "停止监控录像", "拍取照片", "-",
                                                        "打开录像文件夹", "窗口置顶", "-", "退出"}));
    QCOMPARE(MenuTexts(popups[1]->menu()), QStringList{QStringLiteral("选项") + QString(15, ' ')});
    QCOMPARE(MenuTexts(popups[2]->menu()),
             (QStringList{"查看帮助文件", "访问官方博客", "反馈留言", "-", "关于"}));
    const int ids[] = {
        CTorvaneDlg::ID_OP_START,       CTorvaneDlg::ID_OP_STOP,    CTorvaneDlg::ID_OP_SNAPSHOT,
        CTorvaneDlg::ID_OP_OPEN_FOLDER, CTorvaneDlg::ID_OP_TOPMOST, CTorvaneDlg::ID_OP_EXIT,
        CTorvaneDlg::ID_SET_OPTIONS,    CTorvaneDlg::ID_HELP_FILE,  CTorvaneDlg::ID_HELP_BLOG,
        CTorvaneDlg::ID_HELP_FEEDBACK,  CTorvaneDlg::ID_HELP_ABOUT};
    for (int id : ids) {
        QVERIFY(m_dlg->Action(id));
        QCOMPARE(m_dlg->Action(id)->data().toInt(), id);
    }
}

void TestCTorvaneDlg::captionStatusBarAndFirstStartSettings()
{
    Create();
    QCOMPARE(m_dlg->windowTitle(), QStringLiteral("Quillon摄像头监控录像软件 v10.11.12"));
    QVERIFY(!m_dlg->windowIcon().isNull());

    const std::string folder = g_programDir + "监控录像/";
    QCOMPARE(m_dlg->StatusText(3), QStringLiteral("视频保存文件夹：") + QString::fromStdString(folder));
    QCOMPARE(m_dlg->StatusText(0), QString());
    QCOMPARE(m_dlg->StatusText(2), QString());
    m_dlg->SetStatusText(1, QStringLiteral("视频设备：2个 排列布局：1行2列"));
    QCOMPARE(m_dlg->StatusText(1), QStringLiteral("视频设备：2个 排列布局：1行2列"));

    CStatusBar* bar = m_dlg->m_statusBar;
    QCOMPARE(bar->PartRect(0).right() + 1, 150);
    QCOMPARE(bar->PartRect(1).right() + 1, 400);
    QCOMPARE(bar->PartRect(2).right() + 1, 500);
    QCOMPARE(bar->PartRect(3).right() + 1, bar->width());

    // The first start leaves "topmost" and the default folder in the file.
    QVERIFY(PathExists(folder));
    QCOMPARE(IniGetString(g_configPath, "main", "savepath"), folder);
    QCOMPARE(IniGetString(g_configPath, "main", "topmost"), std::string("0"));
    QVERIFY(!m_dlg->IsTopmost());
}

void TestCTorvaneDlg::topmostIsNormalisedAndToggled_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<bool>("topmost");
    QTest::newRow("absent") << QString() << false;
    QTest::newRow("0") << "0" << false;
    QTest::newRow("1") << "1" << true;
    QTest::newRow("5 counts as on") << "5" << true;
    QTest::newRow("text counts as off") << "yes" << false;
}

void TestCTorvaneDlg::topmostIsNormalisedAndToggled()
{
    QFETCH(QString, stored);
    QFETCH(bool, topmost);
    if (!stored.isNull()) {
        IniSetString(g_configPath, "main", "topmost", stored.toStdString());
    }
    Create();
    QCOMPARE(m_dlg->IsTopmost(), topmost);
    QCOMPARE(IniGetString(g_configPath, "main", "topmost"), std::string(topmost ? "1" : "0"));

    QMenu* menu = m_dlg->OperationMenu();
    QAction* item = m_dlg->Action(CTorvaneDlg::ID_OP_TOPMOST);
    emit menu->aboutToShow();
    QCOMPARE(item->text(), topmost ? QStringLiteral("取消窗口置顶") : QStringLiteral("窗口置顶"));
    QVERIFY(!item->isCheckable());

    item->trigger();
    QCOMPARE(m_dlg->IsTopmost(), !topmost);
    QCOMPARE(IniGetInt(g_configPath, "main", "topmost", -1), topmost ? 0 : 1);
    emit menu->aboutToShow();
    QCOMPARE(item->text(), topmost ? QStringLiteral("窗口置顶") : QStringLiteral("取消窗口置顶"));
}

void TestCTorvaneDlg::startItemFollowsTheToolbarButton()
{
    Create();
    QAction* start = m_dlg->Action(CTorvaneDlg::ID_OP_START);
    m_dlg->m_toolBar->SetStartEnabled(false);
    emit m_dlg->OperationMenu()->aboutToShow();
    QVERIFY(!start->isEnabled());
    QVERIFY(m_dlg->Action(CTorvaneDlg::ID_OP_STOP)->isEnabled());
    QVERIFY(m_dlg->Action(CTorvaneDlg::ID_OP_SNAPSHOT)->isEnabled());
    m_dlg->m_toolBar->SetStartEnabled(true);
    emit m_dlg->OperationMenu()->aboutToShow();
    QVERIFY(start->isEnabled());
}

void TestCTorvaneDlg::stopAndSnapshotOnlyStoreTheRunFlag()
{
    Create();
    g_captureState = kCaptureRunning;
    m_dlg->Action(CTorvaneDlg::ID_OP_SNAPSHOT)->trigger();
    QCOMPARE(g_captureState.load(), int(kCaptureSnapshotRequested));
    m_dlg->Action(CTorvaneDlg::ID_OP_STOP)->trigger();
    QCOMPARE(g_captureState.load(), int(kCaptureStopRequested));
    // Idle: nothing else happens, the window stays as it was.
    m_dlg->Action(CTorvaneDlg::ID_OP_STOP)->trigger();
    QCOMPARE(g_captureState.load(), int(kCaptureStopRequested));
}

void TestCTorvaneDlg::enterAndEscapeAreSwallowed()
{
    Create();
    m_dlg->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_dlg.get()));
    CButtonST* stop = m_dlg->m_toolBar->Button(CToolBarDlg::IDC_TB_STOP);
    stop->setFocus();
    QSignalSpy clicks(stop, &QAbstractButton::clicked);
    for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) {
        QTest::keyClick(stop, key);
        QTest::keyClick(m_dlg.get(), key);
    }
    QTest::qWait(20);
    QVERIFY(m_dlg->isVisible());
    QCOMPARE(clicks.count(), 0);
    // Other keys still reach the focused button.
    QTest::keyClick(stop, Qt::Key_Space);
    QCOMPARE(clicks.count(), 1);
}

void TestCTorvaneDlg::panelsAreLaidOutFromTheClientArea()
{
    Create();
    QWidget* client = m_dlg->centralWidget();
    const int width = client->width();
    const int height = client->height();
    QVERIFY(width > 500 && height > 300);
    const QRect toolBar = m_dlg->m_toolBar->geometry();
    QCOMPARE(toolBar.topLeft(), QPoint(0, 0));
    QCOMPARE(toolBar.width(), width);
    const QRect preview = m_dlg->m_preview->geometry();
    QCOMPARE(preview, QRect(0, toolBar.bottom() + 1 + 2, width, height - 20 - (toolBar.bottom() + 1 + 2)));
    QCOMPARE(m_dlg->m_statusBar->geometry(), QRect(0, height - 20, width, 20));
    // The three panels were captured, topmost first, with the anchors of the window.
    const auto& entries = m_dlg->m_layout.entries();
    QCOMPARE(entries.size(), size_t(3));
    QCOMPARE(entries[0].window.data(), static_cast<QWidget*>(m_dlg->m_preview));
    QCOMPARE(entries[0].horizontalFlags, int(ANCHOR_NEAR));
    QCOMPARE(entries[0].verticalFlags, int(ANCHOR_NEAR | ANCHOR_FAR));
    QCOMPARE(entries[1].window.data(), static_cast<QWidget*>(m_dlg->m_toolBar));
    QCOMPARE(entries[1].verticalFlags, int(ANCHOR_NEAR));
    QCOMPARE(entries[2].window.data(), static_cast<QWidget*>(m_dlg->m_statusBar));
    QCOMPARE(entries[2].horizontalFlags, 0);
}

void TestCTorvaneDlg::growingTallerStretchesThePreviewOnly()
{
    Create();
    m_dlg->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_dlg.get()));
    const QRect toolBar = m_dlg->m_toolBar->geometry();
    const QRect preview = m_dlg->m_preview->geometry();
    const QSize before = m_dlg->size();

    m_dlg->resize(before.width(), before.height() * 2);
    QTRY_COMPARE(m_dlg->size(), QSize(before.width(), before.height() * 2));
    const int dy = before.height();
    const QRect client = m_dlg->centralWidget()->rect();

    // Preview: top fixed, bottom follows the window, width unchanged (rx = 1).
    QCOMPARE(m_dlg->m_preview->geometry(),
             QRect(preview.left(), preview.top(), preview.width(), preview.height() + dy));
    // Toolbar: top-left fixed, height scales with the window (it then reaches over the preview).
    QCOMPARE(m_dlg->m_toolBar->geometry().topLeft(), toolBar.topLeft());
    QCOMPARE(m_dlg->m_toolBar->height(), toolBar.height() * 2);
    // Status bar: back along the bottom edge at its own height.
    QCOMPARE(m_dlg->m_statusBar->geometry(), QRect(0, client.height() - 20, client.width(), 20));

    // Back to the first size: everything returns exactly.
    m_dlg->resize(before);
    QTRY_COMPARE(m_dlg->size(), before);
    QCOMPARE(m_dlg->m_preview->geometry(), preview);
    QCOMPARE(m_dlg->m_toolBar->geometry(), toolBar);
}

void TestCTorvaneDlg::savedRectangleIsRestoredOnlyAbove500_data()
{
    QTest::addColumn<QRect>("saved");
    QTest::addColumn<bool>("restored");
    QTest::newRow("700 x 520") << QRect(40, 30, 700, 520) << true;
    QTest::newRow("501 x 501") << QRect(5, 5, 501, 501) << true;
    QTest::newRow("500 wide") << QRect(40, 30, 500, 560) << false;
    QTest::newRow("500 tall") << QRect(40, 30, 640, 500) << false;
    QTest::newRow("inverted") << QRect(QPoint(700, 600), QPoint(-100, -100)) << false;
}

void TestCTorvaneDlg::savedRectangleIsRestoredOnlyAbove500()
{
    QFETCH(QRect, saved);
    QFETCH(bool, restored);
    IniSetInt(g_configPath, "window", "left", saved.left());
    IniSetInt(g_configPath, "window", "top", saved.top());
    IniSetInt(g_configPath, "window", "right", saved.left() + saved.width());
    IniSetInt(g_configPath, "window", "bottom", saved.top() + saved.height());
    const QSize templateSize = CTorvaneDlg().size();
    Create();
    QCOMPARE(m_dlg->size(), restored ? saved.size() : templateSize);
    // Centred in the work area of its monitor, whatever was stored.
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    QVERIFY(qAbs(m_dlg->geometry().center().x() - area.center().x()) <= 1);
    QVERIFY(qAbs(m_dlg->geometry().center().y() - area.center().y()) <= 1);
}

void TestCTorvaneDlg::previewCellsFillTheGridRowByRow_data()
{
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("cols");
    QTest::addColumn<int>("cameras");
    QTest::newRow("3x3 nine cameras") << 3 << 3 << 9;
    QTest::newRow("3 rows 2 cols five cameras") << 3 << 2 << 5;
    QTest::newRow("one camera") << 1 << 1 << 1;
}

void TestCTorvaneDlg::previewCellsFillTheGridRowByRow()
{
    QFETCH(int, rows);
    QFETCH(int, cols);
    QFETCH(int, cameras);
    Create();
    g_gridRows = rows;
    g_gridCols = cols;
    for (int i = 0; i < cameras; ++i) {
        g_previewCells.push_back(new QWidget(m_dlg->m_preview));
    }
    m_dlg->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_dlg.get()));
    const QSize grown(m_dlg->width() + 37, m_dlg->height() + 23);
    m_dlg->resize(grown); // any resize rearranges
    QTRY_COMPARE(m_dlg->size(), grown);
    const int w = m_dlg->m_preview->width();
    const int h = m_dlg->m_preview->height();
    QCOMPARE(g_cellWidth.load(), (w + 4) / cols - 4);
    QCOMPARE(g_cellHeight.load(), (h + 4) / rows - 4);
    for (int i = 0; i < cameras; ++i) {
        const QRect expected((i % cols) * (g_cellWidth + 4), (i / cols) * (g_cellHeight + 4), g_cellWidth,
                             g_cellHeight);
        QCOMPARE(g_previewCells[static_cast<size_t>(i)]->geometry(), expected);
    }
}

void TestCTorvaneDlg::closingStoresTheRectangle()
{
    Create();
    m_dlg->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_dlg.get()));
    m_dlg->setGeometry(60, 50, 640, 520);
    QTRY_COMPARE(m_dlg->geometry(), QRect(60, 50, 640, 520));
    m_dlg->Action(CTorvaneDlg::ID_OP_EXIT)->trigger();
    QVERIFY(!m_dlg->isVisible());
    QCOMPARE(IniGetInt(g_configPath, "window", "left", -1), 60);
    QCOMPARE(IniGetInt(g_configPath, "window", "top", -1), 50);
    QCOMPARE(IniGetInt(g_configPath, "window", "right", -1), 700);
    QCOMPARE(IniGetInt(g_configPath, "window", "bottom", -1), 570);
}

void TestCTorvaneDlg::closingWhileRecordingWaitsForTheTeardown()
{
    Create();
    m_dlg->show();
    FakeCaptureThread thread;
    g_captureState = kCaptureRunning;
    m_dlg->m_runEnded = 0;
    m_dlg->m_captureThread = &thread;
    thread.start();

    // The loop ends only after the stop request, and its end report needs this
    // thread to dispatch events while the window waits.
    QVERIFY(m_dlg->close());
    QCOMPARE(m_dlg->m_runEnded, 1);
    QVERIFY(thread.wait(2000));
    QVERIFY(!m_dlg->isVisible());
    QVERIFY(IniGetInt(g_configPath, "window", "right", 0) > 0);
}

void TestCTorvaneDlg::workersReArmTimer1ThroughTheEventLoop()
{
    Create();
    // A worker may not touch the timer itself; it queues the request.
    std::thread worker([dlg = m_dlg.get()] {
        QMetaObject::invokeMethod(dlg, "KillTimer1", Qt::QueuedConnection);
        QMetaObject::invokeMethod(dlg, "SetTimer1", Qt::QueuedConnection, Q_ARG(int, 1000));
    });
    worker.join();
    QVERIFY(!m_dlg->IsTimer1Active());
    QTRY_VERIFY(m_dlg->IsTimer1Active());
    m_dlg->KillTimer1();
    QVERIFY(!m_dlg->IsTimer1Active());
}

void TestCTorvaneDlg::commandsOpenTheirTargets_data()
{
    QTest::addColumn<int>("command"); // 0: F1
    QTest::addColumn<bool>("withChm");
    QTest::addColumn<QString>("expected"); // relative to the program folder, or the site address
    QTest::newRow("help file") << int(CTorvaneDlg::ID_HELP_FILE) << true << "readme.html";
    QTest::newRow("blog") << int(CTorvaneDlg::ID_HELP_BLOG) << false << "@site";
    QTest::newRow("feedback") << int(CTorvaneDlg::ID_HELP_FEEDBACK) << false << "@site";
    QTest::newRow("open folder") << int(CTorvaneDlg::ID_OP_OPEN_FOLDER) << false << "监控录像/";
    QTest::newRow("F1 with help.chm") << 0 << true << "help.chm";
    QTest::newRow("F1 without help.chm") << 0 << false << "readme.html";
}

void TestCTorvaneDlg::commandsOpenTheirTargets()
{
    QFETCH(int, command);
    QFETCH(bool, withChm);
    QFETCH(QString, expected);
    FakeBrowser browser(QString::fromStdString(g_programDir));
    if (withChm) {
        QFile chm(QString::fromStdString(g_programDir + "help.chm"));
        QVERIFY(chm.open(QIODevice::WriteOnly));
    }
    g_helpUrl = "http://127.0.0.1:9/torvane/";
    Create();
    // A folder that was deleted meanwhile is replaced by the default one.
    IniSetString(g_configPath, "main", "savepath", g_programDir + "gone/");
    if (command == 0) {
        m_dlg->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_dlg.get()));
        m_dlg->activateWindow();
        QTRY_VERIFY(m_dlg->isActiveWindow());
        QTest::keyClick(m_dlg.get(), Qt::Key_F1);
    } else {
        m_dlg->Action(command)->trigger();
    }
    const QString target = expected == "@site" ? QString::fromStdString(g_helpUrl)
                                               : QString::fromStdString(g_programDir) + expected;
    QTRY_COMPARE(browser.Received(), target + "\n");
}

void TestCTorvaneDlg::aboutBoxShowsTheVersion()
{
    Create();
    ModalDriver driver;
    QString title;
    QStringList labels;
    QString okText;
    driver.Expect([&](QWidget* modal) {
        title = modal->windowTitle();
        for (QLabel* label : modal->findChildren<QLabel*>()) {
            labels << label->text();
        }
        QPushButton* ok = modal->findChild<QPushButton*>();
        okText = ok ? ok->text() : QString();
        if (ok) {
            ok->click();
        }
    });
    m_dlg->Action(CTorvaneDlg::ID_HELP_ABOUT)->trigger();
    QVERIFY(driver.AllAnswered());
    QCOMPARE(title, QStringLiteral("关于 Torvane"));
    QVERIFY(labels.contains(QStringLiteral("Torvane 1.0 版")));
    QCOMPARE(okText, QStringLiteral("确定"));
}

void TestCTorvaneDlg::deleteArgumentRemovesTheFile()
{
    const std::string kept = g_programDir + "kept#1.avi";
    const std::string old = g_programDir + "old#1.avi";
    std::ofstream(kept) << "x";
    std::ofstream(old) << "x";
    SetProcessArguments({"Torvane", "DELETE", old});
    Create();
    SetProcessArguments({"Torvane"});
    QTRY_VERIFY(!PathExists(old));
    QVERIFY(PathExists(kept));
}

QTEST_MAIN(TestCTorvaneDlg)
#include "TestCTorvaneDlg.moc"
