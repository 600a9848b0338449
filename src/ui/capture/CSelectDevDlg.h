#pragma once

#include <QDialog>

#include <vector>

class QListWidget;
class QModelIndex;

// Lets the user choose the cameras of a recording run: one checked row per
// device. After OK, m_selected holds the checked device indexes in ascending
// order. A process started with "task" confirms the dialog with every device
// before it is shown, each time it is opened.
class CSelectDevDlg : public QDialog
{
    Q_OBJECT

public:
    explicit CSelectDevDlg(QWidget* parent = nullptr);

    // Returns Accepted at once, without showing anything, in a "task" start.
    int exec() override;
    void setVisible(bool visible) override;

    QListWidget* m_deviceList = nullptr;
    std::vector<int> m_selected;

public slots:
    void accept() override; // the OK operation: collects the checked rows

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FillDeviceList();
    void OnClickDeviceList(const QModelIndex& index);

    // Row and check state when the mouse went down, to tell whether the list
    // already toggled the check itself (a click on the check box).
    int m_pressedRow = -1;
    int m_pressedState = 0;
};
