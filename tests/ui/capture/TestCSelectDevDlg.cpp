#include "FakeV4l2Io.h"
#include "app/CommandLine.h"
#include "capture/CSelectDevDlg.h"

#include <QListWidget>
#include <QPushButton>
#include <QStyleOptionViewItem>
#include <QTimer>
#include <QtTest>

#include <cstdlib>

namespace {

// Where the list's own delegate draws the row's check box.
QRect CheckBoxRect(QListWidget* list, int row)
{
    QListWidgetItem* item = list->item(row);
    QStyleOptionViewItem option;
    option.initFrom(list->viewport());
    option.rect = list->visualItemRect(item);
    option.features = QStyleOptionViewItem::HasCheckIndicator | QStyleOptionViewItem::HasDisplay;
    option.checkState = item->checkState();
    option.text = item->text();
    option.font = list->font();
    option.fontMetrics = list->fontMetrics();
    return list->style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, list);
}

QPoint TextPoint(QListWidget* list, int row)
{
    const QRect rect = list->visualItemRect(list->item(row));
    return QPoint(rect.left() + rect.width() / 2, rect.center().y());
}

std::vector<Qt::CheckState> CheckStates(QListWidget* list)
{
    std::vector<Qt::CheckState> states;
    for (int row = 0; row < list->count(); ++row)
        states.push_back(list->item(row)->checkState());
    return states;
}

// Notes whether the watched widget was ever shown.
class ShowSpy : public QObject
{
public:
    bool shown = false;
    bool eventFilter(QObject*, QEvent* event) override
    {
        shown = shown || event->type() == QEvent::Show;
        return false;
    }
};

} // namespace

class TestCSelectDevDlg : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void listsEveryDeviceChecked();
    void okYieldsCheckedRowsAscending();
    void cancelYieldsNothing();
    void clickOnRowTogglesOnce_data();
    void clickOnRowTogglesOnce();
    void taskStartConfirmsBeforeShowing_data();
    void taskStartConfirmsBeforeShowing();
    void noDeviceGivesEmptySelection();

private:
    std::unique_ptr<FakeV4l2Io> m_v4l2;
};

void TestCSelectDevDlg::init()
{
    m_v4l2 = std::make_unique<FakeV4l2Io>(
        std::vector<FakeV4l2Node>{FakeV4l2Io::CaptureNode("/nonexistent/video0", "USB Camera")});
    setenv("TORVANE_SOURCES", "pattern;/tmp/door.avi", 1);
    SetProcessArguments({"Torvane"});
}

void TestCSelectDevDlg::cleanup()
{
    m_v4l2.reset();
    unsetenv("TORVANE_SOURCES");
    SetProcessArguments({"Torvane"});
}

void TestCSelectDevDlg::listsEveryDeviceChecked()
{
    CSelectDevDlg dialog;
    QCOMPARE(dialog.windowTitle(), QString::fromUtf8("请选择视频设备"));
    QListWidget* list = dialog.m_deviceList;
    QCOMPARE(list->count(), 3);
    QCOMPARE(list->item(0)->text(), QString("USB Camera #1"));
    QCOMPARE(list->item(1)->text(), QString("Test pattern #2"));
    QCOMPARE(list->item(2)->text(), QString("door.avi #3"));
    QCOMPARE(CheckStates(list), std::vector<Qt::CheckState>(3, Qt::Checked));
}

void TestCSelectDevDlg::okYieldsCheckedRowsAscending()
{
    CSelectDevDlg dialog;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QTest::mouseClick(dialog.m_deviceList->viewport(), Qt::LeftButton, {}, TextPoint(dialog.m_deviceList, 1));
    QTest::mouseClick(dialog.findChild<QPushButton*>("okButton"), Qt::LeftButton);
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(dialog.m_selected, (std::vector<int>{0, 2}));
    QVERIFY(!dialog.isVisible());
}

void TestCSelectDevDlg::cancelYieldsNothing()
{
    CSelectDevDlg dialog;
    QTimer::singleShot(0, &dialog, [&dialog] {
        dialog.m_deviceList->item(0)->setCheckState(Qt::Unchecked);
        QTest::mouseClick(dialog.findChild<QPushButton*>("cancelButton"), Qt::LeftButton);
    });
    QCOMPARE(dialog.exec(), int(QDialog::Rejected));
    QVERIFY(dialog.m_selected.empty());
}

void TestCSelectDevDlg::clickOnRowTogglesOnce_data()
{
    QTest::addColumn<bool>("onCheckBox");
    QTest::newRow("on the text") << false;
    QTest::newRow("on the check box") << true;
}

void TestCSelectDevDlg::clickOnRowTogglesOnce()
{
    QFETCH(bool, onCheckBox);
    CSelectDevDlg dialog;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QListWidget* list = dialog.m_deviceList;
    const QPoint point = onCheckBox ? CheckBoxRect(list, 1).center() : TextPoint(list, 1);
    QVERIFY(list->visualItemRect(list->item(1)).contains(point));

    // The point must be where the list itself would toggle (check box) or not
    // (text): a plain list with the same rows shows which.
    QListWidget plain;
    plain.resize(list->size());
    for (int row = 0; row < list->count(); ++row) {
        auto* item = new QListWidgetItem(list->item(row)->text(), &plain);
        item->setFlags(list->item(row)->flags());
        item->setCheckState(Qt::Checked);
    }
    plain.show();
    QVERIFY(QTest::qWaitForWindowExposed(&plain));
    QCOMPARE(plain.visualItemRect(plain.item(1)), list->visualItemRect(list->item(1)));
    QTest::mouseClick(plain.viewport(), Qt::LeftButton, {}, point);
    QCOMPARE(plain.item(1)->checkState(), onCheckBox ? Qt::Unchecked : Qt::Checked);

    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, point);
    QCOMPARE(CheckStates(list), (std::vector<Qt::CheckState>{Qt::Checked, Qt::Unchecked, Qt::Checked}));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, point);
    QCOMPARE(CheckStates(list), std::vector<Qt::CheckState>(3, Qt::Checked));
    // A click below the last row toggles nothing.
    const QRect last = list->visualItemRect(list->item(2));
    if (last.bottom() + 10 < list->viewport()->height()) {
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, QPoint(last.center().x(), last.bottom() + 8));
        QCOMPARE(CheckStates(list), std::vector<Qt::CheckState>(3, Qt::Checked));
    }
}

void TestCSelectDevDlg::taskStartConfirmsBeforeShowing_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("confirms");
    QTest::newRow("task") << QStringList{"Torvane", "task"} << true;
    QTest::newRow("any letter case") << QStringList{"Torvane", "TaSK"} << true;
    QTest::newRow("task as the third argument") << QStringList{"Torvane", "x", "task"} << false;
    QTest::newRow("no argument") << QStringList{"Torvane"} << false;
}

void TestCSelectDevDlg::taskStartConfirmsBeforeShowing()
{
    QFETCH(QStringList, arguments);
    QFETCH(bool, confirms);
    std::vector<std::string> args;
    for (const QString& argument : arguments)
        args.push_back(argument.toStdString());
    SetProcessArguments(args);

    // Every dialog of the process confirms itself, not only the first.
    for (int round = 0; round < 2; ++round) {
        CSelectDevDlg dialog;
        ShowSpy spy;
        dialog.installEventFilter(&spy);
        QTimer::singleShot(0, &dialog, &QDialog::reject);
        const int result = dialog.exec();
        if (confirms) {
            QCOMPARE(result, int(QDialog::Accepted));
            QCOMPARE(dialog.m_selected, (std::vector<int>{0, 1, 2}));
            QVERIFY(!spy.shown);
        } else {
            QCOMPARE(result, int(QDialog::Rejected));
            QVERIFY(spy.shown);
            QVERIFY(dialog.m_selected.empty());
        }
    }
}

void TestCSelectDevDlg::noDeviceGivesEmptySelection()
{
    m_v4l2->SetNodes({});
    unsetenv("TORVANE_SOURCES");
    CSelectDevDlg dialog;
    QCOMPARE(dialog.m_deviceList->count(), 0);
    QTimer::singleShot(0, &dialog, [&dialog] { dialog.accept(); });
    QCOMPARE(dialog.exec(), int(QDialog::Accepted));
    QVERIFY(dialog.m_selected.empty());
}

QTEST_MAIN(TestCSelectDevDlg)
#include "TestCSelectDevDlg.moc"
