#include "main/CToolBarDlg.h"

#include "app/Product.h"
#include "app/RunState.h"
#include "controls/CButtonST.h"
#include "main/CTorvaneDlg.h"
#include "main/DialogUnits.h"
#include "main/Resources.h"
#include "main/ShellUtils.h"

namespace {

struct ButtonSpec
{
    int id;
    const char* caption;
    QRect dialogUnits; // x, y, width, height
    const char* icon;
    void (CToolBarDlg::*handler)();
};

const ButtonSpec kButtons[CToolBarDlg::kButtonCount] = {
    {CToolBarDlg::IDC_TB_START, "开始录像", QRect(0, 0, 39, 38), ":/icons/start.png", &CToolBarDlg::OnStart},
    {CToolBarDlg::IDC_TB_STOP, "停止录像", QRect(42, 0, 39, 38), ":/icons/stop.png", &CToolBarDlg::OnStop},
    {CToolBarDlg::IDC_TB_SNAPSHOT, "拍取照片", QRect(84, 0, 39, 38), ":/icons/snapshot.png",
     &CToolBarDlg::OnSnapshot},
    {CToolBarDlg::IDC_TB_OPTIONS, "选项设置", QRect(126, 0, 39, 38), ":/icons/options.png",
     &CToolBarDlg::OnOptions},
    {CToolBarDlg::IDC_TB_UPDATE, "更新软件", QRect(168, 0, 39, 38), ":/icons/update.png",
     &CToolBarDlg::OnCheckUpdate},
    {CToolBarDlg::IDC_TB_HELP, "查看帮助", QRect(210, 0, 39, 38), ":/icons/help.png",
     &CToolBarDlg::OnHelpPage},
};

} // namespace

CToolBarDlg::CToolBarDlg(QWidget* parent) : QWidget(parent)
{
    InitTorvaneResources();
    setObjectName("toolBar");
    setAttribute(Qt::WA_StyledBackground);
    setFont(ShellDialogFont());
    const DialogBaseUnits base = BaseUnitsOf(font());
    resize(DialogUnitsToPixels(QSize(451, 38), base));
    for (size_t i = 0; i < std::size(kButtons); ++i) {
        const ButtonSpec& spec = kButtons[i];
        auto* button = new CButtonST(this);
        button->setObjectName(QStringLiteral("button%1").arg(spec.id));
        button->setText(QString::fromUtf8(spec.caption));
        button->setGeometry(DialogUnitsToPixels(spec.dialogUnits, base));
        button->LoadIcons(QString::fromLatin1(spec.icon));
        connect(button, &QAbstractButton::clicked, this, spec.handler);
        m_buttons[i] = button;
    }
}

CButtonST* CToolBarDlg::Button(int id) const
{
    for (size_t i = 0; i < std::size(kButtons); ++i) {
        if (kButtons[i].id == id) {
            return m_buttons[i];
        }
    }
    return nullptr;
}

bool CToolBarDlg::IsStartEnabled() const
{
    return Button(IDC_TB_START)->isEnabled();
}

void CToolBarDlg::SetStartEnabled(bool enabled)
{
    Button(IDC_TB_START)->setEnabled(enabled);
}

void CToolBarDlg::OnStart()
{
    if (g_mainDlg) {
        g_mainDlg->PostStartRecording();
    }
}

void CToolBarDlg::OnStop()
{
    g_captureState = kCaptureStopRequested;
}

void CToolBarDlg::OnSnapshot()
{
    g_captureState = kCaptureSnapshotRequested;
}

void CToolBarDlg::OnOptions()
{
    if (g_mainDlg) {
        g_mainDlg->OnMenuOptions();
    }
}

void CToolBarDlg::OnCheckUpdate()
{
    if (g_mainDlg) {
        g_mainDlg->StartUpdateCheck();
    }
}

void CToolBarDlg::OnHelpPage()
{
    OpenInBrowser(g_helpUrl);
}
