#include "main/CTorvaneDlg.h"

#include "app/Product.h"
#include "main/ShellUtils.h"
#include "update/HttpGetText.h"
#include "update/UpdateAddress.h"
#include "update/UpdateCheck.h"

#include <QCoreApplication>
#include <QMessageBox>
#include <QPointer>

#include <atomic>
#include <system_error>
#include <thread>

namespace {

const char* const kNewerVersionMessage = "发现有更新的版本，请到官网下载最新版本!";

// How long the end of the process waits for a check still inside a transfer.
constexpr int kExitWaitMs = 2000;

// Set while the application object is torn down; from then on a worker touches
// nothing of the user interface.
std::atomic<bool> s_applicationGone{false};

void OnApplicationTeardown()
{
    s_applicationGone = true;
    // A check still fetching must be out of libcurl before the exit handlers of
    // the TLS library run.
    AbortHttpTransfers(kExitWaitMs);
}

// Receives the workers' blocking calls on the GUI thread. It is never deleted,
// unlike the window, so a worker can always address it, even while the
// application shuts down. First called on the GUI thread (StartUpdateCheck).
QObject* Courier()
{
    static QObject* const courier = [] {
        qAddPostRoutine(OnApplicationTeardown);
        return new QObject;
    }();
    return courier;
}

// Runs handle(window) on the GUI thread and waits for it: a blocking-queued call.
// The window is used only while it is still the main window, checked on the GUI
// thread, where it is destroyed. Returns false when handle did not run (window
// gone, application shutting down); the worker then does nothing further.
template <typename Handler> bool CallMainWindow(CTorvaneDlg* window, Handler handle)
{
    if (s_applicationGone) {
        return false;
    }
    bool ran = false;
    QMetaObject::invokeMethod(
        Courier(),
        [&] {
            if (s_applicationGone || QCoreApplication::closingDown() || g_mainDlg != window) {
                return;
            }
            ran = true;
            handle(window);
        },
        Qt::BlockingQueuedConnection);
    return ran;
}

} // namespace

// The update-check worker. It never dereferences mainDlg itself: the site
// address and the result reach the window through blocking-queued calls, the
// address first.
unsigned CheckUpdateThread(CTorvaneDlg* mainDlg)
{
    if (!mainDlg) {
        return 0;
    }
    const UpdateCheckOutcome outcome = RunUpdateCheck(GetUpdateUrl());
    if (!outcome.helpUrl.empty() &&
        !CallMainWindow(mainDlg, [&outcome](CTorvaneDlg*) { g_helpUrl = outcome.helpUrl; })) {
        return 0;
    }
    if (outcome.report) {
        CallMainWindow(mainDlg, [&outcome](CTorvaneDlg* window) { window->OnUpdateResult(outcome.code); });
    }
    return 0;
}

void CTorvaneDlg::StartUpdateCheck()
{
    Courier();
    // Each start is an independent check; nothing joins it. Without a thread
    // there is simply no check.
    try {
        std::thread(CheckUpdateThread, this).detach();
    } catch (const std::system_error&) {
    }
}

void CTorvaneDlg::OnUpdateResult(int code)
{
    if (code != kUpdateResultNewer) {
        return;
    }
    // On the heap: the box runs its own event loop, in which the window (its
    // parent) may be destroyed, taking the box with it.
    const QPointer<QMessageBox> box =
        new QMessageBox(QMessageBox::Information, QCoreApplication::applicationName(),
                        QString::fromUtf8(kNewerVersionMessage), QMessageBox::Ok, this);
    box->exec();
    if (!box || QCoreApplication::closingDown()) {
        return;
    }
    delete box;
    OpenInBrowser(g_helpUrl);
}
