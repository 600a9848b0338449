#pragma once

#include "main/CAnchorLayout.h"
#include "recording/CVideoDb.h"
#include "recording/Recycler.h"

#include <QBasicTimer>
#include <QMainWindow>
#include <QPointer>
#include <QThread>

#include <map>
#include <string>

class CPreviewDlg;
class CStatusBar;
class CToolBarDlg;
class QAction;
class QMenu;

// The program's one top-level window: menu, toolbar panel, preview area and
// status bar. Worker threads reach it only through queued or blocking-queued
// invocations of its Q_INVOKABLE handlers.
class CTorvaneDlg : public QMainWindow
{
    Q_OBJECT

  public:
    // Menu command ids.
    enum CommandId : int
    {
        ID_OP_START = 32787,
        ID_OP_STOP = 32788,
        ID_OP_SNAPSHOT = 32789,
        ID_OP_OPEN_FOLDER = 32790,
        ID_OP_TOPMOST = 32791,
        ID_SET_OPTIONS = 32792,
        ID_HELP_FILE = 32793,
        ID_HELP_BLOG = 32795,
        ID_HELP_FEEDBACK = 32796,
        ID_HELP_ABOUT = 32799,
        ID_OP_EXIT = 32801,
    };

    // What the initialisation starts besides laying out the window.
    enum class StartRequests
    {
        Post, // post the start-recording request and start the update check
        None, // tests: lay out only
    };

    explicit CTorvaneDlg(QWidget* parent = nullptr);
    ~CTorvaneDlg() override;

    // Lays out the panels, restores the saved size, applies "topmost", shows the
    // recording folder and the caption.
    void OnInitDialog(StartRequests requests = StartRequests::Post);

    // WM_START_RECORDING: a queued invocation of OnStartRecording.
    void PostStartRecording();
    // Recording run (CTorvaneDlg_run.cpp).
    Q_INVOKABLE void OnStartRecording();
    // WM_RECORDING_ENDED: invoked blocking-queued by the capture thread.
    Q_INVOKABLE void OnRecordingEnded();
    void OnTimer(int timerId);

    // Update check (CTorvaneDlg_update.cpp). WM_UPDATE_RESULT is OnUpdateResult,
    // invoked blocking-queued by the checking worker.
    void StartUpdateCheck();
    Q_INVOKABLE void OnUpdateResult(int code);

    // Options dialog (CTorvaneDlg_options.cpp).
    void OnMenuOptions();

    // Timer 1, the one-second disk-space check. GUI thread only; workers re-arm
    // it through a queued invocation of SetTimer1.
    Q_INVOKABLE void SetTimer1(int periodMs);
    Q_INVOKABLE void KillTimer1();
    bool IsTimer1Active() const { return m_timer1.isActive(); }

    void SetStatusText(int part, const QString& text);
    QString StatusText(int part) const;

    // Places the preview cells in the grid for the preview panel's current size.
    void ArrangePreviewCells();

    // Closing: stores the window rectangle, then stops a running recording and
    // waits, dispatching events, until it has been torn down.
    void SaveGeometryAndStopCapture();

    // Menu commands.
    void OnMenuStart();
    void OnMenuStop();
    void OnMenuSnapshot();
    void OnOpenRecordFolder();
    void OnToggleTopmost();
    void OnUpdateToggleTopmost();
    void OnUpdateMenuStart();
    void OnHelpFile();
    void OnVisitBlog();
    void OnFeedback();
    void OnAbout();
    void OnExit();
    // F1: help.chm from the program directory; this build ships its help as
    // readme.html, which is opened when help.chm is absent.
    void WinHelp();

    QAction* Action(int commandId) const;
    QMenu* OperationMenu() const { return m_operationMenu; }
    bool IsTopmost() const;

    CStatusBar* m_statusBar = nullptr;
    CAnchorLayout m_layout;
    CToolBarDlg* m_toolBar = nullptr;
    CPreviewDlg* m_preview = nullptr;
    QPointer<QThread> m_captureThread;
    int m_runEnded = 1;
    std::string m_recordFolder;
    CVideoDb m_recordingsIndex;
    CRecycler m_recycler{m_recordingsIndex}; // at most one recycling worker

  protected:
    void closeEvent(QCloseEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void CreateMenu();
    void CreateChildWindows();
    void OnSize();
    void SetTopmost(bool topmost);

    QWidget* m_client = nullptr;
    QMenu* m_operationMenu = nullptr;
    std::map<int, QAction*> m_actions;
    QBasicTimer m_timer1;
    bool m_closing = false;
};

// The one main window, set by its constructor.
extern CTorvaneDlg* g_mainDlg;
