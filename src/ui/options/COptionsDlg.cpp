#include "options/COptionsDlg.h"

#include "app/IniFile.h"
#include "app/Product.h"
#include "app/ProgramPaths.h"
#include "capture/CCameraDS.h"
#include "controls/CPathDialog.h"
#include "layout/AnchorMath.h"
#include "options/AutoStart.h"
#include "options/DialogInteger.h"

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>

#include <cmath>

namespace {

// Base units of the template's font, for converting its dialog units.
struct BaseUnits
{
    int x;
    int y;
};

QRect FromDialogUnits(const BaseUnits& base, int x, int y, int width, int height)
{
    return QRect(DialogUnitsToPixelsX(x, base.x), DialogUnitsToPixelsY(y, base.y),
                 DialogUnitsToPixelsX(width, base.x), DialogUnitsToPixelsY(height, base.y));
}

// The 32 x 32 picture beside the grid boxes: a small camera.
QPixmap CameraPicture()
{
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(40, 60, 90), 1.5));
    painter.setBrush(QColor(90, 130, 190));
    painter.drawRoundedRect(QRectF(3, 9, 19, 15), 3, 3);
    painter.drawPolygon(QPolygonF({QPointF(22, 14), QPointF(29, 10), QPointF(29, 23), QPointF(22, 19)}));
    painter.setBrush(QColor(220, 235, 255));
    painter.drawEllipse(QPointF(12.5, 16.5), 4, 4);
    painter.setBrush(QColor(220, 40, 40));
    painter.setPen(Qt::NoPen);
    painter.drawEllipse(QPointF(7, 6), 2.5, 2.5);
    return pixmap;
}

} // namespace

COptionsDlg::COptionsDlg(QWidget* parent)
    : QDialog(parent), m_configPath(g_configPath.empty() ? GetProgramDir() + "config.ini" : g_configPath)
{
    CreateControls();
    OnInitDialog();
}

void COptionsDlg::CreateControls()
{
    setWindowTitle(QStringLiteral("选项设置"));
    // The template's 8-point shell font is too small for Chinese on Linux desktops; 9 points,
    // with every position scaled by the same font's base units.
    QFont font = QApplication::font();
    font.setPointSize(9);
    setFont(font);
    const QFontMetrics metrics(font);
    const BaseUnits base{DialogBaseUnitX(metrics.horizontalAdvance(
                             QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"))),
                         metrics.height()};
    const auto place = [&](QWidget* widget, const char* name, int x, int y, int width, int height) {
        widget->setObjectName(QString::fromLatin1(name));
        widget->setGeometry(FromDialogUnits(base, x, y, width, height));
    };
    setFixedSize(FromDialogUnits(base, 0, 0, 257, 182).size());

    // Group boxes first so the controls inside them are above them.
    place(new QGroupBox(QStringLiteral("监控预览窗布局"), this), "gridGroup", 7, 7, 243, 63);
    place(new QGroupBox(QStringLiteral("录像设置"), this), "recordingGroup", 7, 78, 243, 74);

    auto* ok = new QPushButton(QStringLiteral("确定"), this);
    place(ok, "ok", 77, 161, 50, 14);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &COptionsDlg::OnClickedOk);
    auto* cancel = new QPushButton(QStringLiteral("取消"), this);
    place(cancel, "cancel", 130, 161, 50, 14);
    connect(cancel, &QPushButton::clicked, this, &COptionsDlg::reject);

    m_promptLabel = new QLabel(this);
    place(m_promptLabel, "prompt", 15, 20, 156, 8);
    m_rowsEdit = new QLineEdit(this);
    place(m_rowsEdit, "rows", 34, 32, 48, 14);
    place(new QLabel(QStringLiteral("行："), this), "rowsLabel", 15, 35, 17, 8);
    m_colsEdit = new QLineEdit(this);
    place(m_colsEdit, "cols", 113, 32, 48, 14);
    place(new QLabel(QStringLiteral("列："), this), "colsLabel", 96, 35, 17, 8);

    place(new QLabel(QStringLiteral("录像保存目录："), this), "savePathLabel", 17, 97, 57, 8);
    m_savePathEdit = new QLineEdit(this);
    place(m_savePathEdit, "savePath", 72, 94, 129, 14);
    auto* browse = new QPushButton(QStringLiteral("..."), this);
    place(browse, "browse", 205, 94, 17, 14);
    browse->setAutoDefault(false);
    connect(browse, &QPushButton::clicked, this, &COptionsDlg::OnBrowse);

    // A static picture takes its bitmap's size, not the template's.
    auto* picture = new QLabel(this);
    place(picture, "picture", 179, 29, 21, 20);
    picture->setPixmap(CameraPicture());
    picture->resize(32, 32);
    place(new QLabel(QStringLiteral("只有一个摄像头时使用默认的1*1布局即可!"), this), "hint", 15, 50, 152, 8);

    m_autoStartCheck = new QCheckBox(QStringLiteral("开机自动进行监控录像"), this);
    place(m_autoStartCheck, "autoStart", 17, 115, 96, 10);
    m_timeLabelCheck = new QCheckBox(QStringLiteral("录像的时候显示时间标签"), this);
    place(m_timeLabelCheck, "timeLabel", 17, 131, 104, 10);

    // Tab order as in the template.
    QWidget* order[] = {ok,     cancel,           m_rowsEdit,      m_colsEdit, m_savePathEdit,
                        browse, m_autoStartCheck, m_timeLabelCheck};
    for (size_t i = 1; i < std::size(order); ++i) {
        setTabOrder(order[i - 1], order[i]);
    }
}

bool COptionsDlg::OnInitDialog()
{
    const int devices = CCameraDS::DeviceCount();
    m_prompt = QString::asprintf("检测到您有%d个视频设备，请设置行列数：", devices);
    m_rows = IniGetInt(m_configPath, "main", "row", 0);
    m_cols = IniGetInt(m_configPath, "main", "col", 0);
    if (m_rows == 0 || m_cols == 0) {
        const int side =
            devices == 0 ? 1 : static_cast<int>(std::ceil(std::sqrt(static_cast<float>(devices))));
        m_rows = side;
        m_cols = side;
    }
    m_savePath = QString::fromStdString(IniGetString(m_configPath, "main", "savepath"));
    m_autoStart = IniGetInt(m_configPath, "main", "auto", 0);
    m_timeLabel = IniGetInt(m_configPath, "main", "tmlabel", 0);
    UpdateData(false);
    return true;
}

void COptionsDlg::ShowMessage(QMessageBox::Icon icon, const QString& text)
{
    QMessageBox box(icon, QString::fromUtf8(kProductTitle), text, QMessageBox::Ok, this);
    box.exec();
}

bool COptionsDlg::ReadIntegerBox(QLineEdit* box, int& value)
{
    if (ParseDialogInteger(box->text().toStdString(), value)) {
        return true;
    }
    ShowMessage(QMessageBox::Warning, QStringLiteral("Please enter an integer."));
    box->setFocus();
    box->selectAll();
    return false;
}

bool COptionsDlg::UpdateData(bool saveAndValidate)
{
    if (!saveAndValidate) {
        m_rowsEdit->setText(QString::number(m_rows));
        m_colsEdit->setText(QString::number(m_cols));
        m_savePathEdit->setText(m_savePath);
        m_promptLabel->setText(m_prompt);
        // The capture loop draws the label only for exactly 1; the box agrees with it.
        m_autoStartCheck->setChecked(m_autoStart == 1);
        m_timeLabelCheck->setChecked(m_timeLabel == 1);
        return true;
    }
    if (!ReadIntegerBox(m_rowsEdit, m_rows) || !ReadIntegerBox(m_colsEdit, m_cols)) {
        return false;
    }
    m_savePath = m_savePathEdit->text();
    m_prompt = m_promptLabel->text();
    m_autoStart = m_autoStartCheck->isChecked() ? 1 : 0;
    m_timeLabel = m_timeLabelCheck->isChecked() ? 1 : 0;
    return true;
}

void COptionsDlg::OnClickedOk()
{
    if (!UpdateData(true)) {
        return; // the prompt was shown; nothing is stored and the dialog stays open
    }
    IniSetInt(m_configPath, "main", "row", m_rows);
    IniSetInt(m_configPath, "main", "col", m_cols);
    if (!PathExists(m_savePath.toStdString())) {
        m_savePath = QString::fromStdString(GetDefaultSaveFolder());
        IniSetString(m_configPath, "main", "savepath", m_savePath.toStdString());
    }
    IniSetInt(m_configPath, "main", "auto", m_autoStart);
    IniSetInt(m_configPath, "main", "tmlabel", m_timeLabel);

    // A logon entry that silently failed would look like success: say so.
    const std::string entry = AutoStartEntryPath(kAutoStartName);
    if (m_autoStart == 1) {
        const std::string programDir = g_programDir.empty() ? GetProgramDir() : g_programDir; // ends in '/'
        if (!CreateAutoStartTask(kAutoStartName, GetProgramPath(), kAutoStartArgument, programDir)) {
            ShowMessage(QMessageBox::Warning,
                        QStringLiteral("无法写入开机自动启动项：\n\n%"
                                       "1\n\n开机时将不会自动进行监控录像。请检查该文件夹是否可写。")
                            .arg(QString::fromStdString(entry)));
        }
    } else if (!DeleteAutoStartTask(kAutoStartName)) {
        ShowMessage(
            QMessageBox::Warning,
            QStringLiteral("无法删除开机自动启动项：\n\n%1\n\n开机时仍会自动进行监控录像。请手动删除该文件。")
                .arg(QString::fromStdString(entry)));
    }

    ShowMessage(QMessageBox::Information, QStringLiteral("选项配置将在下次开始录像时生效!"));
    accept();
}

void COptionsDlg::OnBrowse()
{
    CPathDialog picker(QString::fromUtf8(kProductTitle), QStringLiteral("请选择你要保存录像的目录"),
                       m_savePath, this);
    if (picker.DoModal() != 1) {
        return;
    }
    m_savePath = picker.GetSelectedPath();
    if (!m_savePath.endsWith('/')) {
        m_savePath += '/';
    }
    IniSetString(m_configPath, "main", "savepath", m_savePath.toStdString());
    UpdateData(false); // also discards rows, columns and boxes changed since the dialog opened
}
