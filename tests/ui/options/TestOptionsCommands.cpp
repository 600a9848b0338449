#include "ModalDriver.h"
#include "TempDir.h"
#include "app/ProgramPaths.h"
#include "app/RunState.h"
#include "controls/CButtonST.h"
#include "main/CToolBarDlg.h"
#include "main/CTorvaneDlg.h"
#include "options/COptionsDlg.h"

#include <QAction>
#include <QPushButton>
#include <QtTest>

// The menu item and the toolbar button both open the options dialog modally,
// over the main window.
class TestOptionsCommands : public QObject
{
    Q_OBJECT

  private slots:
    void menuAndToolbarOpenTheDialog();
};

void TestOptionsCommands::menuAndToolbarOpenTheDialog()
{
    TempDir dir;
    g_programDir = dir.path();
    g_configPath = g_programDir + "config.ini";
    g_captureState = kCaptureStopRequested;
    qputenv("TORVANE_NO_V4L2", "1");
    qputenv("TORVANE_SOURCES", "pattern;pattern");
    qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(dir.file("xdg")));

    CTorvaneDlg window;
    window.OnInitDialog(CTorvaneDlg::StartRequests::None);
    CToolBarDlg* toolBar = window.findChild<CToolBarDlg*>();
    QVERIFY(toolBar != nullptr);

    const auto readConfig = [] {
        QFile file(QString::fromStdString(g_configPath));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<none>");
    };
    const QByteArray before = readConfig(); // the window's own start-up writes

    ModalDriver driver;
    QStringList opened;
    const auto cancelOptions = [&](QWidget* modal) {
        auto* options = qobject_cast<COptionsDlg*>(modal);
        if (options == nullptr) {
            opened << modal->metaObject()->className();
            modal->close();
            return;
        }
        opened << QString("%1 over %2").arg(options->isModal()).arg(options->parentWidget() == &window);
        options->findChild<QPushButton*>("cancel")->click();
    };
    driver.Expect(cancelOptions);
    window.Action(CTorvaneDlg::ID_SET_OPTIONS)->trigger();
    driver.Expect(cancelOptions);
    toolBar->Button(CToolBarDlg::IDC_TB_OPTIONS)->click();

    QVERIFY2(driver.unexpected.isEmpty(), qPrintable(driver.unexpected.join(", ")));
    QCOMPARE(opened, (QStringList{"1 over 1", "1 over 1"}));
    QCOMPARE(readConfig(), before); // Cancel stores nothing
    g_programDir.clear();
    g_configPath.clear();
}

QTEST_MAIN(TestOptionsCommands)
#include "TestOptionsCommands.moc"
