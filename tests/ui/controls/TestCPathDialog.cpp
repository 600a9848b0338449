#include "ModalDriver.h"
#include "TempDir.h"
#include "controls/CPathDialog.h"

#include <QDialogButtonBox>
#include <QFileSystemModel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeView>
#include <QtTest>

#include <sys/stat.h>

#include <fstream>
#include <vector>

namespace {

class FakePrompts : public FolderPrompts
{
  public:
    bool AskYesNo(const std::string& text) override
    {
        questions.push_back(text);
        return answer;
    }
    void ShowWarning(const std::string& text) override { warnings.push_back(text); }

    bool answer = true;
    std::vector<std::string> questions;
    std::vector<std::string> warnings;
};

bool IsFolder(const QString& path)
{
    struct stat info = {};
    return stat(path.toUtf8().constData(), &info) == 0 && S_ISDIR(info.st_mode);
}

QLineEdit* PathEdit(CPathDialog& dialog)
{
    return dialog.findChild<QLineEdit*>("pathEdit");
}

QPushButton* OkButton(CPathDialog& dialog)
{
    return dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok);
}

} // namespace

class TestCPathDialog : public QObject
{
    Q_OBJECT

  private slots:
    void init();
    void opensOnTheInitialFolder_data();
    void opensOnTheInitialFolder();
    void okFollowsTheBox();
    void treeSelectionFillsTheBox();
    void okKeepsThePickerOpenUntilThePathIsUsable_data();
    void okKeepsThePickerOpenUntilThePathIsUsable();
    void doModalResults();
    void messageBoxesCarryTheTexts();
    void rendersScreenshot();

  private:
    std::unique_ptr<TempDir> m_dir;
    QString m_base; // existing temporary folder, no trailing '/'
};

void TestCPathDialog::init()
{
    m_dir = std::make_unique<TempDir>();
    QVERIFY(m_dir->isValid());
    m_base = QString::fromStdString(m_dir->path()).chopped(1);
    QVERIFY(QDir().mkpath(m_base + "/录像 一/sub"));
    std::ofstream(m_dir->file("plainfile")) << "x";
}

void TestCPathDialog::opensOnTheInitialFolder_data()
{
    QTest::addColumn<QString>("initial"); // "@" is the temporary folder
    QTest::addColumn<QString>("expectedBox");

    QTest::newRow("folder") << "@/录像 一"
                            << "@/录像 一";
    QTest::newRow("stored form with trailing slash") << "@/录像 一/"
                                                     << "@/录像 一";
    QTest::newRow("root") << "/"
                          << "/";
    QTest::newRow("missing folder selects nothing") << "@/gone"
                                                    << "";
    QTest::newRow("a file selects nothing") << "@/plainfile"
                                            << "";
}

void TestCPathDialog::opensOnTheInitialFolder()
{
    QFETCH(QString, initial);
    QFETCH(QString, expectedBox);
    initial.replace("@", m_base);
    expectedBox.replace("@", m_base);

    CPathDialog dialog("Caption", "Prompt", initial);
    QCOMPARE(dialog.windowTitle(), QString("Caption"));
    QCOMPARE(PathEdit(dialog)->text(), expectedBox);
    QCOMPARE(OkButton(dialog)->isEnabled(), !expectedBox.isEmpty());
    if (!expectedBox.isEmpty()) {
        auto* tree = dialog.findChild<QTreeView*>("folderTree");
        auto* model = qobject_cast<QFileSystemModel*>(tree->model());
        QCOMPARE(model->filePath(tree->currentIndex()), expectedBox);
    }
}

void TestCPathDialog::okFollowsTheBox()
{
    CPathDialog dialog("", "", m_base);
    QVERIFY(OkButton(dialog)->isEnabled());
    PathEdit(dialog)->clear();
    QVERIFY(!OkButton(dialog)->isEnabled());
    QTest::keyClick(PathEdit(dialog), 'x');
    QVERIFY(OkButton(dialog)->isEnabled());
    QTest::keyClick(PathEdit(dialog), Qt::Key_Backspace);
    QVERIFY(!OkButton(dialog)->isEnabled());
}

void TestCPathDialog::treeSelectionFillsTheBox()
{
    CPathDialog dialog("", "", m_base);
    auto* tree = dialog.findChild<QTreeView*>("folderTree");
    auto* model = qobject_cast<QFileSystemModel*>(tree->model());
    tree->setCurrentIndex(model->index(m_base + "/录像 一/sub"));
    QCOMPARE(PathEdit(dialog)->text(), m_base + "/录像 一/sub");
    QCOMPARE(dialog.GetSelectedPath(), m_base + "/录像 一/sub");
}

void TestCPathDialog::okKeepsThePickerOpenUntilThePathIsUsable_data()
{
    QTest::addColumn<QString>("typed"); // "@" is the temporary folder
    QTest::addColumn<bool>("answer");
    QTest::addColumn<bool>("staysOpen");
    QTest::addColumn<int>("questions");
    QTest::addColumn<int>("warnings");
    QTest::addColumn<QString>("folderAfter"); // must exist afterwards, if given

    QTest::newRow("existing folder") << "@/录像 一" << true << false << 0 << 0 << "@/录像 一";
    QTest::newRow("root") << "/" << true << false << 0 << 0 << "/";
    QTest::newRow("three new levels") << "@/a/b/c" << true << false << 1 << 0 << "@/a/b/c";
    QTest::newRow("creation refused") << "@/a/b" << false << true << 1 << 0 << "";
    QTest::newRow("relative path") << "录像 一" << true << true << 0 << 1 << "";
    QTest::newRow("trailing separator") << "@/录像 一/" << true << true << 0 << 1 << "";
    QTest::newRow("cannot be created") << "@/plainfile/x" << true << true << 1 << 1 << "";
}

void TestCPathDialog::okKeepsThePickerOpenUntilThePathIsUsable()
{
    QFETCH(QString, typed);
    QFETCH(bool, answer);
    QFETCH(bool, staysOpen);
    QFETCH(int, questions);
    QFETCH(int, warnings);
    QFETCH(QString, folderAfter);
    typed.replace("@", m_base);
    folderAfter.replace("@", m_base);

    FakePrompts prompts;
    prompts.answer = answer;
    CPathDialog dialog("", "", m_base);
    dialog.SetPrompts(&prompts);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    PathEdit(dialog)->setText(typed);
    OkButton(dialog)->setFocus();
    OkButton(dialog)->click();

    QCOMPARE(dialog.isVisible(), staysOpen);
    QCOMPARE(int(prompts.questions.size()), questions);
    QCOMPARE(int(prompts.warnings.size()), warnings);
    if (staysOpen) {
        QCOMPARE(QApplication::focusWidget(), PathEdit(dialog));
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
    } else {
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(dialog.GetSelectedPath(), typed);
    }
    if (!folderAfter.isEmpty()) {
        QVERIFY(IsFolder(folderAfter));
    }
    QVERIFY(!IsFolder(m_base + "/a") || !staysOpen);
}

void TestCPathDialog::doModalResults()
{
    ModalDriver driver;
    CPathDialog dialog("", "", m_base);
    driver.Expect([](QWidget* modal) { OkButton(*static_cast<CPathDialog*>(modal))->click(); });
    QCOMPARE(dialog.DoModal(), 1);
    QCOMPARE(dialog.GetSelectedPath(), m_base);

    // Cancel after typing: -1, and the path keeps what was last typed.
    driver.Expect([this](QWidget* modal) {
        auto* picker = static_cast<CPathDialog*>(modal);
        PathEdit(*picker)->setText(m_base + "/typed");
        picker->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Cancel)->click();
    });
    QCOMPARE(dialog.DoModal(), -1);
    QCOMPARE(dialog.GetSelectedPath(), m_base + "/typed");
    QVERIFY(!IsFolder(m_base + "/typed"));
    QVERIFY(driver.AllAnswered());
    QVERIFY2(driver.unexpected.isEmpty(), qPrintable(driver.unexpected.join(", ")));
}

// The real message boxes: the English texts, their icons, and the picker still
// open behind them until a usable path is confirmed.
void TestCPathDialog::messageBoxesCarryTheTexts()
{
    ModalDriver driver;
    CPathDialog dialog("选择", "", m_base);
    const QString invalid = m_base + "//x";
    const QString fresh = m_base + "/新的/二";
    driver.Expect([&](QWidget*) {
        PathEdit(dialog)->setText(invalid);
        OkButton(dialog)->click(); // warning, stays open
        PathEdit(dialog)->setText(fresh);
        OkButton(dialog)->click(); // question (refused), stays open
        QVERIFY(dialog.isVisible());
        OkButton(dialog)->click(); // question (accepted), closes
    });
    driver.AnswerMessage(QMessageBox::Ok);
    driver.AnswerMessage(QMessageBox::No);
    driver.AnswerMessage(QMessageBox::Yes);
    QCOMPARE(dialog.DoModal(), 1);
    QVERIFY2(driver.unexpected.isEmpty(), qPrintable(driver.unexpected.join(", ")));
    QCOMPARE(int(driver.messages.size()), 3);
    QCOMPARE(driver.messages[0].text, "The folder:\n\n" + invalid + "\n\nis invalid. Please reenter.");
    QCOMPARE(driver.messages[0].icon, QMessageBox::Warning);
    const QString question =
        "The folder:\n\n" + fresh + "\n\ndoes not exist. Do you want the folder to be created?";
    QCOMPARE(driver.messages[1].text, question);
    QCOMPARE(driver.messages[1].icon, QMessageBox::Question);
    QCOMPARE(driver.messages[2].text, question);
    QVERIFY(IsFolder(fresh));
    QCOMPARE(dialog.GetSelectedPath(), fresh);
}

// Saved to $TORVANE_SCREENSHOT_DIR/folder-picker.png when the variable is set.
void TestCPathDialog::rendersScreenshot()
{
    QVERIFY(QDir().mkpath(m_base + "/监控录像"));
    QVERIFY(QDir().mkpath(m_base + "/备份"));
    CPathDialog dialog("Quillon摄像头监控录像软件", "请选择你要保存录像的目录", m_base + "/监控录像");
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    auto* tree = dialog.findChild<QTreeView*>("folderTree");
    auto* model = qobject_cast<QFileSystemModel*>(tree->model());
    // The model lists folders on a worker thread; wait until ours are in.
    QTRY_VERIFY(model->rowCount(model->index(m_base)) >= 3);
    tree->scrollTo(tree->currentIndex(), QAbstractItemView::PositionAtCenter);
    const QImage image = dialog.grab().toImage();
    QVERIFY(!image.isNull());
    const QByteArray folder = qgetenv("TORVANE_SCREENSHOT_DIR");
    if (!folder.isEmpty()) {
        QVERIFY(image.save(QString::fromLocal8Bit(folder) + "/folder-picker.png"));
    }
}

QTEST_MAIN(TestCPathDialog)
#include "TestCPathDialog.moc"
