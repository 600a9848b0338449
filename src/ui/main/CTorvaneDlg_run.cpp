#include "main/CTorvaneDlg.h"

#include "app/IniFile.h"
#include "app/ProgramPaths.h"
#include "app/RunState.h"
#include "capture/CSelectDevDlg.h"
#include "main/CPreviewDlg.h"
#include "main/CToolBarDlg.h"
#include "main/PreviewCells.h"
#include "recording/CAviWriter.h"
#include "recording/CCaptureThread.h"
#include "recording/CPreviewCell.h"
#include "recording/CaptureLoop.h"
#include "recording/DiskSpace.h"
#include "recording/VideoIndex.h"

#include <cmath>
#include <ctime>
#include <mutex>

// Recording run start and stop, and the disk-space check of timer 1.
//
// There is no codec setting to force here: FFmpeg's encoder has no status
// window and no registry.

namespace {

const char* const kMain = "main";

} // namespace

void CTorvaneDlg::OnStartRecording()
{
    CSelectDevDlg selectDlg;
    if (selectDlg.exec() != QDialog::Accepted) {
        return;
    }

    m_recordFolder = ReadSaveFolder(g_configPath);
    const int n = static_cast<int>(selectDlg.m_selected.size());
    if (n < 1) {
        return;
    }
    const time_t runStart = FreeRunStartTime(m_recordFolder, selectDlg.m_selected, time(nullptr));

    // Grid: the stored one when it holds every camera, else the smallest square.
    // A zero or negative setting counts as unset.
    int rows = IniGetInt(g_configPath, kMain, "row", 0);
    int cols = IniGetInt(g_configPath, kMain, "col", 0);
    if (rows <= 0 || cols <= 0 || static_cast<long long>(rows) * cols < n) {
        rows = cols = static_cast<int>(std::ceil(std::sqrt(static_cast<float>(n))));
    }
    IniSetInt(g_configPath, kMain, "row", rows);
    IniSetInt(g_configPath, kMain, "col", cols);
    g_gridRows = rows;
    g_gridCols = cols;
    SetStatusText(1, QString("视频设备：%1个 排列布局：%2行%3列").arg(n).arg(rows).arg(cols));

    std::unique_lock<std::mutex> indexLock(m_recordingsIndex.Mutex());
    OpenVideoIndex(m_recordingsIndex);

    g_previewCells.assign(n, nullptr);
    g_cameraSlots.clear();
    for (int i = 0; i < n; ++i) {
        const int device = selectDlg.m_selected[i];
        CameraSlot slot;
        slot.deviceIndex = device;
        slot.windowName = "Camera #" + std::to_string(device + 1);

        auto* cell = new CPreviewCell(QString::fromStdString(slot.windowName), m_preview);
        g_previewCells[i] = cell;
        slot.cellWindow = cell;

        slot.fileName = RecordingFileName(m_recordFolder, runStart, device);
        slot.writer = std::make_unique<CAviWriter>();
        if (!slot.writer->Open(slot.fileName)) {
            slot.writer.reset(); // previews and snapshots go on; nothing is recorded
        }
        AddToVideoIndex(m_recordingsIndex, slot.fileName);
        g_cameraSlots.push_back(std::move(slot));
    }
    // Cell size and places: the same rule as after every resize.
    ArrangePreviewCells();
    for (QWidget* cell : g_previewCells) {
        cell->show();
    }

    m_runEnded = 0;
    m_toolBar->SetStartEnabled(false);
    SetStatusText(0, "正在监控录像中……");
    CloseVideoIndex(m_recordingsIndex);
    indexLock.unlock();

    SetTimer1(1000);
    auto* thread = new CCaptureThread(this, m_recordFolder);
    m_captureThread = thread;
    BeginCaptureRun();
    thread->start();
}

void CTorvaneDlg::OnRecordingEnded()
{
    update();
    if (m_preview) {
        m_preview->update();
    }
    for (QWidget* cell : g_previewCells) {
        delete cell; // frames still queued for it go with it
    }
    g_previewCells.clear();

    for (CameraSlot& slot : g_cameraSlots) {
        if (slot.active) {
            slot.camera->Close();
        }
        if (slot.writer) {
            slot.writer->Close(); // completes the file: trailer and index
            slot.writer.reset();
        }
    }
    g_cameraSlots.clear();

    SetStatusText(0, "监控录像已停止");
    m_toolBar->SetStartEnabled(true);
    m_runEnded = 1;
}

void CTorvaneDlg::OnTimer(int timerId)
{
    if (timerId != 1) {
        return;
    }
    if (IsDiskSpaceLow(m_recordFolder, kLowDiskSpaceGiB) != 1) {
        return;
    }
    KillTimer1();
    // A worker still running (the timer was re-armed by a run start meanwhile)
    // re-arms the timer itself when it is done.
    m_recycler.Start([this](RecycleResult) {
        QMetaObject::invokeMethod(this, "SetTimer1", Qt::QueuedConnection, Q_ARG(int, 1000));
    });
}
