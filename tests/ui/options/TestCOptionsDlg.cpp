#include "ModalDriver.h"
#include "TempDir.h"
#include "app/IniFile.h"
#include "app/ProgramPaths.h"
#include "capture/CCameraDS.h"
#include "controls/CPathDialog.h"
#include "options/AutoStart.h"
#include "options/COptionsDlg.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include <fstream>
#include <sstream>

namespace {

void WriteFile(const std::string& path, const std::string& contents)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc) << contents;
}

// "<none>" when the file does not exist.
std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return "<none>";
    }
    std::ostringstream buffer;
    buffer << in.rdbuf();
    return buffer.str();
}

QString Sources(int count)
{
    QStringList sources;
    for (int i = 0; i < count; ++i) {
        sources << "pattern";
    }
    return sources.join(';');
}

const QString kApplied = QStringLiteral("选项配置将在下次开始录像时生效!");

} // namespace

class TestCOptionsDlg : public QObject
{
    Q_OBJECT

  private slots:
    void initTestCase();
    void init();
    void cleanup();
    void loadsSettings_data();
    void loadsSettings();
    void okStoresTheSettings_data();
    void okStoresTheSettings();
    void integerPromptStoresNothing_data();
    void integerPromptStoresNothing();
    void untickedOkRemovesTheLogonEntry_data();
    void untickedOkRemovesTheLogonEntry();
    void unwritableLogonEntryIsReported();
    void browseStoresTheFolderAtOnce_data();
    void browseStoresTheFolderAtOnce();
    void cancelledBrowseChangesNothing();
    void textsFitTheirControls();

  private:
    QLineEdit* Edit(COptionsDlg& dialog, const char* name) { return dialog.findChild<QLineEdit*>(name); }
    QCheckBox* Check(COptionsDlg& dialog, const char* name) { return dialog.findChild<QCheckBox*>(name); }
    QPushButton* Button(COptionsDlg& dialog, const char* name)
    {
        return dialog.findChild<QPushButton*>(name);
    }
    std::string Entry() const { return m_dir->file("xdg/autostart/Torvane.desktop"); }

    std::unique_ptr<TempDir> m_dir;
    std::string m_config;
};

void TestCOptionsDlg::initTestCase()
{
    // Only the synthetic sources count, whatever cameras the machine has.
    qputenv("TORVANE_NO_V4L2", "1");
    qputenv("TORVANE_SOURCES", "");
    QCOMPARE(CCameraDS::DeviceCount(), 0);
}

void TestCOptionsDlg::init()
{
    m_dir = std::make_unique<TempDir>();
    QVERIFY(m_dir->isValid());
    QVERIFY(QDir().mkpath(QString::fromStdString(m_dir->file("prog"))));
    QVERIFY(QDir().mkpath(QString::fromStdString(m_dir->file("videos"))));
    g_programDir = m_dir->file("prog/");
    g_configPath = g_programDir + "config.ini";
    m_config = g_configPath;
    qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(m_dir->file("xdg")));
    qputenv("TORVANE_SOURCES", Sources(5).toUtf8());
}

void TestCOptionsDlg::cleanup()
{
    g_programDir.clear();
    g_configPath.clear();
}

void TestCOptionsDlg::loadsSettings_data()
{
    QTest::addColumn<int>("devices");
    QTest::addColumn<QByteArray>("ini");
    QTest::addColumn<QString>("rows");
    QTest::addColumn<QString>("cols");
    QTest::addColumn<QString>("folder");
    QTest::addColumn<bool>("autoStart");
    QTest::addColumn<bool>("timeLabel");

    QTest::newRow("no file, five devices") << 5 << QByteArray() << "3"
                                           << "3"
                                           << "" << false << false;
    QTest::newRow("no file, no device") << 0 << QByteArray() << "1"
                                        << "1"
                                        << "" << false << false;
    QTest::newRow("one device") << 1 << QByteArray() << "1"
                                << "1"
                                << "" << false << false;
    QTest::newRow("stored grid kept even when too small") << 3 << QByteArray("[main]\nrow=2\ncol=1\n") << "2"
                                                          << "1"
                                                          << "" << false << false;
    QTest::newRow("one missing key resets both") << 3 << QByteArray("[main]\nrow=2\n") << "2"
                                                 << "2"
                                                 << "" << false << false;
    QTest::newRow("zero stored") << 10 << QByteArray("[main]\nrow=0\ncol=5\n") << "4"
                                 << "4"
                                 << "" << false << false;
    QTest::newRow("every key") << 2
                               << QByteArray("[main]\nrow=3\ncol=4\nsavepath=/srv/录像/\nauto=1\ntmlabel=1\n")
                               << "3"
                               << "4"
                               << "/srv/录像/" << true << true;
    QTest::newRow("label only for exactly 1") << 2 << QByteArray("[main]\nauto=0\ntmlabel=5\n") << "2"
                                              << "2"
                                              << "" << false << false;
}

void TestCOptionsDlg::loadsSettings()
{
    QFETCH(int, devices);
    QFETCH(QByteArray, ini);
    QFETCH(QString, rows);
    QFETCH(QString, cols);
    QFETCH(QString, folder);
    QFETCH(bool, autoStart);
    QFETCH(bool, timeLabel);

    qputenv("TORVANE_SOURCES", Sources(devices).toUtf8());
    if (!ini.isEmpty()) {
        WriteFile(m_config, ini.toStdString());
    }
    const std::string before = ReadFile(m_config);
    COptionsDlg dialog;
    QCOMPARE(dialog.findChild<QLabel*>("prompt")->text(),
             QString("检测到您有%1个视频设备，请设置行列数：").arg(devices));
    QCOMPARE(Edit(dialog, "rows")->text(), rows);
    QCOMPARE(Edit(dialog, "cols")->text(), cols);
    QCOMPARE(Edit(dialog, "savePath")->text(), folder);
    QCOMPARE(Check(dialog, "autoStart")->isChecked(), autoStart);
    QCOMPARE(Check(dialog, "timeLabel")->isChecked(), timeLabel);
    QCOMPARE(ReadFile(m_config), before); // opening stores nothing
}

void TestCOptionsDlg::okStoresTheSettings_data()
{
    QTest::addColumn<QString>("typedFolder"); // "@" is the temporary folder
    QTest::addColumn<bool>("autoStart");
    QTest::addColumn<bool>("timeLabel");
    QTest::addColumn<QString>("storedFolder"); // "<default>": the program's recording folder

    QTest::newRow("existing folder is not stored") << "@/videos/" << true << true << "<none>";
    QTest::newRow("missing folder: default stored") << "@/gone/" << false << true << "<default>";
    QTest::newRow("empty box: default stored") << "" << true << false << "<default>";
}

void TestCOptionsDlg::okStoresTheSettings()
{
    QFETCH(QString, typedFolder);
    QFETCH(bool, autoStart);
    QFETCH(bool, timeLabel);
    QFETCH(QString, storedFolder);
    const QString base = QString::fromStdString(m_dir->path()).chopped(1);

    ModalDriver driver;
    driver.AnswerMessage(QMessageBox::Ok);
    COptionsDlg dialog;
    dialog.show();
    Edit(dialog, "rows")->setText(" 4");
    Edit(dialog, "cols")->setText("0"); // no range check
    Edit(dialog, "savePath")->setText(QString(typedFolder).replace("@", base));
    Check(dialog, "autoStart")->setChecked(autoStart);
    Check(dialog, "timeLabel")->setChecked(timeLabel);
    Button(dialog, "ok")->click();

    QVERIFY2(driver.unexpected.isEmpty(), qPrintable(driver.unexpected.join(", ")));
    QCOMPARE(int(driver.messages.size()), 1);
    QCOMPARE(driver.messages[0].text, kApplied);
    QCOMPARE(driver.messages[0].icon, QMessageBox::Information);
    QVERIFY(!dialog.isVisible());
    QCOMPARE(dialog.result(), int(QDialog::Accepted));

    QCOMPARE(IniGetString(m_config, "main", "row", "<none>"), std::string("4"));
    QCOMPARE(IniGetString(m_config, "main", "col", "<none>"), std::string("0"));
    QCOMPARE(IniGetInt(m_config, "main", "auto", -1), autoStart ? 1 : 0);
    QCOMPARE(IniGetInt(m_config, "main", "tmlabel", -1), timeLabel ? 1 : 0);
    const std::string defaultFolder = g_programDir + "监控录像/";
    QCOMPARE(IniGetString(m_config, "main", "savepath", "<none>"),
             storedFolder == "<default>" ? defaultFolder : storedFolder.toStdString());
    QCOMPARE(QDir(QString::fromStdString(defaultFolder)).exists(), storedFolder == "<default>");

    const std::string entry = ReadFile(Entry());
    if (!autoStart) {
        QCOMPARE(entry, std::string("<none>"));
        return;
    }
    // The entry starts this executable with "task" in its own folder.
    QVERIFY2(entry.find("\nExec=" + GetProgramPath() + " task\n") != std::string::npos, entry.c_str());
    QVERIFY2(entry.find("\nPath=" + g_programDir + "\n") != std::string::npos, entry.c_str());
}

void TestCOptionsDlg::integerPromptStoresNothing_data()
{
    QTest::addColumn<QString>("rows");
    QTest::addColumn<QString>("cols");
    QTest::addColumn<QString>("focused");
    QTest::addColumn<bool>("withFile");

    QTest::newRow("rows emptied") << ""
                                  << "2"
                                  << "rows" << true;
    QTest::newRow("rows emptied, no file yet") << ""
                                               << "2"
                                               << "rows" << false;
    QTest::newRow("columns hold text") << "2"
                                       << "two"
                                       << "cols" << true;
    QTest::newRow("rows hold a fraction") << "1.5"
                                          << "2"
                                          << "rows" << true;
    QTest::newRow("columns overflow") << "2"
                                      << "99999999999"
                                      << "cols" << true;
}

void TestCOptionsDlg::integerPromptStoresNothing()
{
    QFETCH(QString, rows);
    QFETCH(QString, cols);
    QFETCH(QString, focused);
    QFETCH(bool, withFile);

    if (withFile) {
        WriteFile(m_config, "[main]\r\nrow=1\r\ncol=1\r\nauto=0\r\n");
    }
    const std::string before = ReadFile(m_config);
    ModalDriver driver;
    driver.AnswerMessage(QMessageBox::Ok);
    COptionsDlg dialog;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    Edit(dialog, "rows")->setText(rows);
    Edit(dialog, "cols")->setText(cols);
    Edit(dialog, "savePath")->setText("/surely/missing/folder");
    Check(dialog, "autoStart")->setChecked(true);
    Button(dialog, "ok")->click();

    QVERIFY2(driver.unexpected.isEmpty(), qPrintable(driver.unexpected.join(", ")));
    QCOMPARE(int(driver.messages.size()), 1);
    QCOMPARE(driver.messages[0].text, QString("Please enter an integer."));
    QVERIFY(dialog.isVisible());
    QCOMPARE(dialog.focusWidget(), static_cast<QWidget*>(Edit(dialog, qPrintable(focused))));
    QCOMPARE(ReadFile(m_config), before);
    QCOMPARE(ReadFile(Entry()), std::string("<none>"));
    QVERIFY(!QDir(QString::fromStdString(g_programDir + "监控录像")).exists());
}

void TestCOptionsDlg::untickedOkRemovesTheLogonEntry_data()
{
    QTest::addColumn<bool>("entryBefore");
    QTest::newRow("entry present") << true;
    QTest::newRow("no entry") << false;
}

void TestCOptionsDlg::untickedOkRemovesTheLogonEntry()
{
    QFETCH(bool, entryBefore);
    WriteFile(m_config, "[main]\nauto=1\n");
    if (entryBefore) {
        QVERIFY(CreateAutoStartTask("Torvane", "/old/Torvane", "task", "/old/"));
    }
    ModalDriver driver;
    driver.AnswerMessage(QMessageBox::Ok);
    COptionsDlg dialog;
    dialog.show();
    QVERIFY(Check(dialog, "autoStart")->isChecked());
    Check(dialog, "autoStart")->setChecked(false);
    Button(dialog, "ok")->click();

    QVERIFY2(driver.unexpected.isEmpty(), qPrintable(driver.unexpected.join(", ")));
    QCOMPARE(int(driver.messages.size()), 1); // quiet also when there was nothing to remove
    QCOMPARE(driver.messages[0].text, kApplied);
    QCOMPARE(ReadFile(Entry()), std::string("<none>"));
    QCOMPARE(IniGetInt(m_config, "main", "auto", -1), 0);
}

void TestCOptionsDlg::unwritableLogonEntryIsReported()
{
    WriteFile(m_dir->file("xdg"), "a file where the config folder should be");
    ModalDriver driver;
    driver.AnswerMessage(QMessageBox::Ok);
    driver.AnswerMessage(QMessageBox::Ok);
    COptionsDlg dialog;
    dialog.show();
    Check(dialog, "autoStart")->setChecked(true);
    Button(dialog, "ok")->click();

    QVERIFY2(driver.unexpected.isEmpty(), qPrintable(driver.unexpected.join(", ")));
    QCOMPARE(int(driver.messages.size()), 2);
    QCOMPARE(driver.messages[0].icon, QMessageBox::Warning);
    QVERIFY2(driver.messages[0].text.contains(QString::fromStdString(Entry())),
             qPrintable(driver.messages[0].text));
    QVERIFY(driver.messages[0].text.startsWith(QStringLiteral("无法写入开机自动启动项")));
    QCOMPARE(driver.messages[1].text, kApplied); // the closing message follows in every case
    QVERIFY(!dialog.isVisible());
}

void TestCOptionsDlg::browseStoresTheFolderAtOnce_data()
{
    QTest::addColumn<QString>("picked"); // "@" is the temporary folder
    QTest::addColumn<QString>("stored");

    QTest::newRow("folder gets a trailing separator") << "@/videos"
                                                      << "@/videos/";
    QTest::newRow("root keeps its single separator") << "/"
                                                     << "/";
    QTest::newRow("new folder created by the picker") << "@/videos/新 文件夹"
                                                      << "@/videos/新 文件夹/";
}

void TestCOptionsDlg::browseStoresTheFolderAtOnce()
{
    QFETCH(QString, picked);
    QFETCH(QString, stored);
    const QString base = QString::fromStdString(m_dir->path()).chopped(1);
    picked.replace("@", base);
    stored.replace("@", base);

    WriteFile(m_config, "[main]\nrow=2\ncol=3\ntmlabel=1\nsavepath=" + m_dir->path() + "\n");
    ModalDriver driver;
    QString initialInPicker;
    QString pickerTitle;
    driver.Expect([&](QWidget* modal) {
        auto* picker = qobject_cast<CPathDialog*>(modal);
        QVERIFY(picker != nullptr);
        pickerTitle = picker->windowTitle();
        initialInPicker = picker->findChild<QLineEdit*>("pathEdit")->text();
        picker->findChild<QLineEdit*>("pathEdit")->setText(picked);
        picker->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
    });
    driver.AnswerMessage(QMessageBox::Yes); // only asked for the new folder
    COptionsDlg dialog;
    dialog.show();
    Edit(dialog, "rows")->setText("7");
    Check(dialog, "timeLabel")->setChecked(false);
    Button(dialog, "browse")->click();

    QVERIFY2(driver.unexpected.isEmpty(), qPrintable(driver.unexpected.join(", ")));
    QCOMPARE(pickerTitle, QString("Quillon摄像头监控录像软件"));
    QCOMPARE(initialInPicker, base); // opened on the stored folder
    QCOMPARE(IniGetString(m_config, "main", "savepath"), stored.toStdString());
    QCOMPARE(Edit(dialog, "savePath")->text(), stored);
    // Every control shows the members again: changes typed before Browse are gone.
    QCOMPARE(Edit(dialog, "rows")->text(), QString("2"));
    QVERIFY(Check(dialog, "timeLabel")->isChecked());

    // Cancel afterwards keeps the folder Browse stored, and stores nothing else.
    const std::string afterBrowse = ReadFile(m_config);
    Button(dialog, "cancel")->click();
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
    QCOMPARE(ReadFile(m_config), afterBrowse);
}

void TestCOptionsDlg::cancelledBrowseChangesNothing()
{
    WriteFile(m_config, "[main]\nsavepath=/srv/old/\n");
    const std::string before = ReadFile(m_config);
    ModalDriver driver;
    driver.Expect([&](QWidget* modal) {
        auto* picker = qobject_cast<CPathDialog*>(modal);
        QVERIFY(picker != nullptr);
        picker->findChild<QLineEdit*>("pathEdit")->setText(QString::fromStdString(m_dir->file("videos")));
        picker->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Cancel)->click();
    });
    COptionsDlg dialog;
    dialog.show();
    Edit(dialog, "rows")->setText("9");
    Button(dialog, "browse")->click();

    QVERIFY(driver.AllAnswered());
    QVERIFY2(driver.unexpected.isEmpty(), qPrintable(driver.unexpected.join(", ")));
    QCOMPARE(ReadFile(m_config), before);
    QCOMPARE(Edit(dialog, "savePath")->text(), QString("/srv/old/"));
    QCOMPARE(Edit(dialog, "rows")->text(), QString("9")); // untouched without a pick
}

// Every Chinese text must be readable in full at the template's positions.
// Saves $TORVANE_SCREENSHOT_DIR/options-dialog.png when the variable is set.
void TestCOptionsDlg::textsFitTheirControls()
{
    WriteFile(m_config, "[main]\nrow=3\ncol=3\nsavepath=/home/user/监控录像/\nauto=1\ntmlabel=1\n");
    COptionsDlg dialog;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QCOMPARE(dialog.windowTitle(), QString("选项设置"));
    for (QLabel* label : dialog.findChildren<QLabel*>()) {
        QVERIFY2(label->sizeHint().width() <= label->width(), qPrintable(label->text()));
        QVERIFY2(label->fontMetrics().height() <= label->height() + 2, qPrintable(label->text()));
    }
    for (QCheckBox* box : dialog.findChildren<QCheckBox*>()) {
        QVERIFY2(box->sizeHint().width() <= box->width(), qPrintable(box->text()));
    }
    for (QGroupBox* group : dialog.findChildren<QGroupBox*>()) {
        QVERIFY2(group->fontMetrics().horizontalAdvance(group->title()) < group->width() / 2,
                 qPrintable(group->title()));
        for (QWidget* child : dialog.findChildren<QWidget*>()) {
            // Controls of the group lie inside its frame, none crosses it.
            const QRect g = group->geometry();
            const QRect c = child->geometry();
            if (child != group && child->parentWidget() == &dialog && g.intersects(c)) {
                QVERIFY2(g.contains(c), qPrintable(child->objectName()));
            }
        }
    }
    QVERIFY(dialog.rect().contains(Button(dialog, "ok")->geometry()));
    const QImage image = dialog.grab().toImage();
    QVERIFY(!image.isNull());
    const QByteArray folder = qgetenv("TORVANE_SCREENSHOT_DIR");
    if (!folder.isEmpty()) {
        QVERIFY(image.save(QString::fromLocal8Bit(folder) + "/options-dialog.png"));
    }
}

QTEST_MAIN(TestCOptionsDlg)
#include "TestCOptionsDlg.moc"
