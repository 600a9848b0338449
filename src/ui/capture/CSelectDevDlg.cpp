#include "capture/CSelectDevDlg.h"

#include "app/CommandLine.h"
#include "capture/CCameraDS.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

constexpr int kNameBufferSize = 260;

} // namespace

CSelectDevDlg::CSelectDevDlg(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QString::fromUtf8("请选择视频设备"));
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);

    m_deviceList = new QListWidget(this);
    m_deviceList->setObjectName("deviceList");
    m_deviceList->setSelectionMode(QAbstractItemView::SingleSelection);
    m_deviceList->viewport()->installEventFilter(this);
    connect(m_deviceList, &QListWidget::clicked, this, &CSelectDevDlg::OnClickDeviceList);

    auto* ok = new QPushButton(QString::fromUtf8("确定"), this);
    ok->setObjectName("okButton");
    ok->setDefault(true);
    auto* cancel = new QPushButton(QString::fromUtf8("取消"), this);
    cancel->setObjectName("cancelButton");
    connect(ok, &QPushButton::clicked, this, &CSelectDevDlg::accept);
    connect(cancel, &QPushButton::clicked, this, &CSelectDevDlg::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_deviceList);
    layout->addLayout(buttons);
    resize(438, 167); // 292 x 103 dialog units at the usual 8-point font

    FillDeviceList();
}

void CSelectDevDlg::FillDeviceList()
{
    const int count = CCameraDS::DeviceCount();
    for (int i = 0; i < count; ++i) {
        // Cleared for each device: a name that cannot be read shows as empty
        // rather than as the previous device's.
        char name[kNameBufferSize] = {};
        CCameraDS::DeviceName(i, name, kNameBufferSize);
        auto* item = new QListWidgetItem(QString::asprintf("%s #%d", name, i + 1), m_deviceList);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Checked);
    }
}

int CSelectDevDlg::exec()
{
    if (IsTaskStart()) {
        accept();
        return result();
    }
    return QDialog::exec();
}

void CSelectDevDlg::setVisible(bool visible)
{
    // Opened without exec() (open(), show()) in a "task" start: still confirm
    // instead of showing.
    if (visible && IsTaskStart()) {
        accept();
        return;
    }
    QDialog::setVisible(visible);
}

void CSelectDevDlg::accept()
{
    m_selected.clear();
    for (int row = 0; row < m_deviceList->count(); ++row) {
        if (m_deviceList->item(row)->checkState() == Qt::Checked)
            m_selected.push_back(row);
    }
    QDialog::accept();
}

bool CSelectDevDlg::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_deviceList->viewport() &&
        (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick)) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        QListWidgetItem* item = m_deviceList->itemAt(mouse->position().toPoint());
        m_pressedRow = item ? m_deviceList->row(item) : -1;
        m_pressedState = item ? item->checkState() : 0;
    }
    return QDialog::eventFilter(watched, event);
}

void CSelectDevDlg::OnClickDeviceList(const QModelIndex& index)
{
    QListWidgetItem* item = m_deviceList->item(index.row());
    if (!item)
        return;
    // A click on the check box has been toggled by the list already; any other
    // click on the row toggles it here, so every click toggles exactly once.
    if (index.row() == m_pressedRow && item->checkState() != m_pressedState)
        return;
    item->setCheckState(item->checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked);
}
