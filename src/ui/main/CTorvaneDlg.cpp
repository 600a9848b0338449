#include "main/CTorvaneDlg.h"

#include "app/CommandLine.h"
#include "app/DeleteFileWorker.h"
#include "app/IniFile.h"
#include "app/Product.h"
#include "app/ProgramPaths.h"
#include "app/RunState.h"
#include "layout/AnchorMath.h"
#include "main/CAboutDlg.h"
#include "main/CPreviewDlg.h"
#include "main/CStatusBar.h"
#include "main/CToolBarDlg.h"
#include "main/DialogUnits.h"
#include "main/PreviewCells.h"
#include "main/Resources.h"
#include "main/ShellUtils.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLayout>
#include <QMenuBar>
#include <QScreen>
#include <QShortcut>

#include <algorithm>

CTorvaneDlg* g_mainDlg = nullptr;

namespace {

constexpr int kStatusFolderPart = 3;
constexpr int kMinRestoredExtent = 500;
constexpr int kPreviewGapBelowToolBar = 2;
constexpr int kCloseWaitStepMs = 100;

const char* const kMain = "main";
const char* const kWindow = "window";

} // namespace

CTorvaneDlg::CTorvaneDlg(QWidget* parent) : QMainWindow(parent)
{
    InitTorvaneResources();
    setWindowIcon(QIcon(QStringLiteral(":/icons/torvane.png")));
    // Tests point the paths at a folder of their own before constructing the window.
    if (g_programDir.empty()) {
        InitProgramPaths();
    }
    g_mainDlg = this;
    m_captureThread = nullptr;

    const CommandLine commandLine = ParseCommandLine(ProcessArguments());
    if (commandLine.deleteFile) {
        StartDeleteFileWorker(commandLine.deletePath);
    }

    setFont(MainDialogFont());
    CreateMenu();
    m_client = new QWidget(this);
    m_client->setObjectName("client");
    setCentralWidget(m_client);
    m_client->installEventFilter(this);
    qApp->installEventFilter(this);

    // The template's size is the client area; the menu bar comes on top of it.
    const QSize clientSize = DialogUnitsToPixels(QSize(472, 317), BaseUnitsOf(font()));
    resize(clientSize.width(), clientSize.height() + menuBar()->sizeHint().height());
    m_client->resize(clientSize);

    auto* help = new QShortcut(QKeySequence(Qt::Key_F1), this);
    connect(help, &QShortcut::activated, this, &CTorvaneDlg::WinHelp);
}

CTorvaneDlg::~CTorvaneDlg()
{
    qApp->removeEventFilter(this);
    if (g_mainDlg == this) {
        g_mainDlg = nullptr;
    }
}

void CTorvaneDlg::CreateMenu()
{
    struct Item
    {
        int id; // 0: separator
        const char* text;
        void (CTorvaneDlg::*handler)();
    };
    struct Popup
    {
        const char* title;
        std::vector<Item> items;
    };
    const Popup popups[] = {
        {"操作&O",
         {{ID_OP_START, "开始监控录像", &CTorvaneDlg::OnMenuStart},
          {ID_OP_STOP, "停止监控录像", &CTorvaneDlg::OnMenuStop},
          {ID_OP_SNAPSHOT, "拍取照片", &CTorvaneDlg::OnMenuSnapshot},
          {0, nullptr, nullptr},
          {ID_OP_OPEN_FOLDER, "打开录像文件夹", &CTorvaneDlg::OnOpenRecordFolder},
          {ID_OP_TOPMOST, "窗口置顶", &CTorvaneDlg::OnToggleTopmost},
          {0, nullptr, nullptr},
          {ID_OP_EXIT, "退出", &CTorvaneDlg::OnExit}}},
        {"设置&S", {{ID_SET_OPTIONS, "选项               ", &CTorvaneDlg::OnMenuOptions}}},
        {"帮助&H",
         {{ID_HELP_FILE, "查看帮助文件", &CTorvaneDlg::OnHelpFile},
          {ID_HELP_BLOG, "访问官方博客", &CTorvaneDlg::OnVisitBlog},
          {ID_HELP_FEEDBACK, "反馈留言", &CTorvaneDlg::OnFeedback},
          {0, nullptr, nullptr},
          {ID_HELP_ABOUT, "关于", &CTorvaneDlg::OnAbout}}},
    };
    for (const Popup& popup : popups) {
        QMenu* menu = menuBar()->addMenu(QString::fromUtf8(popup.title));
        if (!m_operationMenu) {
            m_operationMenu = menu;
        }
        for (const Item& item : popup.items) {
            if (item.id == 0) {
                menu->addSeparator();
                continue;
            }
            QAction* action = menu->addAction(QString::fromUtf8(item.text));
            action->setData(item.id);
            connect(action, &QAction::triggered, this, item.handler);
            m_actions[item.id] = action;
        }
    }
    // Command-update: the items that follow state are refreshed as the popup opens.
    connect(m_operationMenu, &QMenu::aboutToShow, this, [this] {
        OnUpdateMenuStart();
        OnUpdateToggleTopmost();
    });
}

QAction* CTorvaneDlg::Action(int commandId) const
{
    const auto it = m_actions.find(commandId);
    return it == m_actions.end() ? nullptr : it->second;
}

void CTorvaneDlg::OnInitDialog(StartRequests requests)
{
    CreateChildWindows();

    if (requests == StartRequests::Post) {
        PostStartRecording();
        StartUpdateCheck();
    }

    const bool topmost = IniGetInt(g_configPath, kMain, "topmost", 0) != 0;
    SetTopmost(topmost);
    IniSetInt(g_configPath, kMain, "topmost", topmost ? 1 : 0);

    m_recordFolder = ReadSaveFolder(g_configPath);
    SetStatusText(kStatusFolderPart,
                  QStringLiteral("视频保存文件夹：") + QString::fromStdString(m_recordFolder));

    setWindowTitle(
        QStringLiteral("%1 v%2").arg(QString::fromUtf8(kProductTitle), QString::fromUtf8(kProductVersion)));
}

void CTorvaneDlg::CreateChildWindows()
{
    const QRect client(QPoint(0, 0), m_client->size());

    m_statusBar = new CStatusBar(m_client);
    m_statusBar->setGeometry(0, client.height() - CStatusBar::kHeight, client.width(), CStatusBar::kHeight);
    m_statusBar->show();

    m_toolBar = new CToolBarDlg(m_client);
    m_toolBar->show();
    m_preview = new CPreviewDlg(m_client);
    m_preview->show();

    const QRect toolBarRect(0, 0, client.width(), m_toolBar->height());
    const int previewTop = toolBarRect.height() + kPreviewGapBelowToolBar;
    m_toolBar->setGeometry(toolBarRect);
    m_preview->setGeometry(0, previewTop, client.width(), client.height() - CStatusBar::kHeight - previewTop);

    m_layout.Capture(m_client);
    m_layout.SetAnchor(m_toolBar, ANCHOR_NEAR, ANCHOR_NEAR);
    m_layout.SetAnchor(m_preview, ANCHOR_NEAR, ANCHOR_NEAR | ANCHOR_FAR);

    const int left = IniGetInt(g_configPath, kWindow, "left", 0);
    const int top = IniGetInt(g_configPath, kWindow, "top", 0);
    const int right = IniGetInt(g_configPath, kWindow, "right", 0);
    const int bottom = IniGetInt(g_configPath, kWindow, "bottom", 0);
    QRect target(QPoint(0, 0), size());
    if (right - left > kMinRestoredExtent && bottom - top > kMinRestoredExtent) {
        target = QRect(left, top, right - left, bottom - top);
        setGeometry(target);
    }

    // Centre on the monitor that holds the (restored) rectangle; only its size
    // and monitor survive a restart.
    QScreen* screen = QGuiApplication::screenAt(target.center());
    if (!screen) {
        screen = QGuiApplication::primaryScreen();
    }
    if (screen) {
        const QRect area = screen->availableGeometry();
        move(area.center().x() - width() / 2, area.center().y() - height() / 2);
    }
    if (layout()) {
        layout()->activate();
    }
    OnSize();
}

void CTorvaneDlg::OnSize()
{
    m_layout.Reposition();
    if (m_statusBar) {
        m_statusBar->KeepAtParentBottom();
    }
    ArrangePreviewCells();
}

void CTorvaneDlg::ArrangePreviewCells()
{
    if (g_previewCells.empty() || !m_preview || g_gridCols <= 0 || g_gridRows <= 0) {
        return;
    }
    // A panel squeezed below the grid's gaps would give a negative cell, which
    // the capture thread cannot draw at; one pixel is the least.
    const int cellWidth = std::max(1, PreviewCellExtent(m_preview->width(), g_gridCols));
    const int cellHeight = std::max(1, PreviewCellExtent(m_preview->height(), g_gridRows));
    g_cellWidth = cellWidth;
    g_cellHeight = cellHeight;
    for (size_t i = 0; i < g_previewCells.size(); ++i) {
        QWidget* cell = g_previewCells[i];
        if (!cell) {
            continue;
        }
        const AnchorRect r = PreviewCellRect(static_cast<int>(i), g_gridCols, cellWidth, cellHeight);
        cell->setGeometry(r.left, r.top, r.width(), r.height());
        cell->update();
    }
}

void CTorvaneDlg::PostStartRecording()
{
    QMetaObject::invokeMethod(this, "OnStartRecording", Qt::QueuedConnection);
}

void CTorvaneDlg::SetTimer1(int periodMs)
{
    m_timer1.start(periodMs, this);
}

void CTorvaneDlg::KillTimer1()
{
    m_timer1.stop();
}

void CTorvaneDlg::timerEvent(QTimerEvent* event)
{
    if (event->timerId() == m_timer1.timerId()) {
        OnTimer(1);
        return;
    }
    QMainWindow::timerEvent(event);
}

void CTorvaneDlg::SetStatusText(int part, const QString& text)
{
    if (m_statusBar) {
        m_statusBar->SetText(part, text);
    }
}

QString CTorvaneDlg::StatusText(int part) const
{
    return m_statusBar ? m_statusBar->Text(part) : QString();
}

void CTorvaneDlg::SaveGeometryAndStopCapture()
{
    const QRect rect = geometry();
    IniSetInt(g_configPath, kWindow, "left", rect.left());
    IniSetInt(g_configPath, kWindow, "top", rect.top());
    IniSetInt(g_configPath, kWindow, "right", rect.left() + rect.width());
    IniSetInt(g_configPath, kWindow, "bottom", rect.top() + rect.height());

    if (!m_captureThread) {
        return;
    }
    while (m_runEnded == 0) {
        if (!m_captureThread || !m_captureThread->isRunning()) {
            break;
        }
        g_captureState = kCaptureStopRequested;
        WaitWithMessages(kCloseWaitStepMs);
    }
}

void CTorvaneDlg::closeEvent(QCloseEvent* event)
{
    // A second close request while the first one waits for the run to end.
    if (m_closing) {
        event->ignore();
        return;
    }
    m_closing = true;
    SaveGeometryAndStopCapture();
    m_closing = false;
    event->accept();
}

bool CTorvaneDlg::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_client && event->type() == QEvent::Resize) {
        OnSize();
        return false;
    }
    if (event->type() == QEvent::KeyPress) {
        // Enter and Escape never close or trigger anything in this window.
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape) {
            QWidget* target = qobject_cast<QWidget*>(watched);
            if (target && (target == this || isAncestorOf(target))) {
                return true;
            }
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

bool CTorvaneDlg::IsTopmost() const
{
    return windowFlags().testFlag(Qt::WindowStaysOnTopHint);
}

void CTorvaneDlg::SetTopmost(bool topmost)
{
    if (IsTopmost() == topmost) {
        return;
    }
    const bool visible = isVisible();
    setWindowFlag(Qt::WindowStaysOnTopHint, topmost);
    // Changing the flags hides a shown window; keep it where it was.
    if (visible) {
        show();
    }
}

void CTorvaneDlg::OnMenuStart()
{
    if (g_mainDlg) {
        g_mainDlg->PostStartRecording();
    }
}

void CTorvaneDlg::OnMenuStop()
{
    g_captureState = kCaptureStopRequested;
}

void CTorvaneDlg::OnMenuSnapshot()
{
    g_captureState = kCaptureSnapshotRequested;
}

void CTorvaneDlg::OnOpenRecordFolder()
{
    m_recordFolder = ReadSaveFolder(g_configPath);
    OpenInBrowser(m_recordFolder);
}

void CTorvaneDlg::OnToggleTopmost()
{
    if (IniGetInt(g_configPath, kMain, "topmost", 0) == 0) {
        SetTopmost(true);
        IniSetInt(g_configPath, kMain, "topmost", 1);
    } else {
        SetTopmost(false);
        IniSetInt(g_configPath, kMain, "topmost", 0);
    }
}

void CTorvaneDlg::OnUpdateToggleTopmost()
{
    const bool on = IniGetInt(g_configPath, kMain, "topmost", 0) != 0;
    Action(ID_OP_TOPMOST)->setText(on ? QStringLiteral("取消窗口置顶") : QStringLiteral("窗口置顶"));
}

void CTorvaneDlg::OnUpdateMenuStart()
{
    Action(ID_OP_START)->setEnabled(m_toolBar && m_toolBar->IsStartEnabled());
}

void CTorvaneDlg::OnHelpFile()
{
    OpenInBrowser(g_programDir + "readme.html");
}

void CTorvaneDlg::OnVisitBlog()
{
    OpenInBrowser(g_helpUrl);
}

void CTorvaneDlg::OnFeedback()
{
    OpenInBrowser(g_helpUrl);
}

void CTorvaneDlg::OnAbout()
{
    CAboutDlg about(this);
    about.exec();
}

void CTorvaneDlg::OnExit()
{
    close();
}

void CTorvaneDlg::WinHelp()
{
    const std::string chm = g_programDir + "help.chm";
    OpenInBrowser(PathExists(chm) ? chm : g_programDir + "readme.html");
}
