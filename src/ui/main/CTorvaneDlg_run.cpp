#include "main/CTorvaneDlg.h"

// Recording run start and stop; the recording module fills these in.

void CTorvaneDlg::OnStartRecording()
{
}

void CTorvaneDlg::OnRecordingEnded()
{
    m_runEnded = 1;
}

void CTorvaneDlg::OnTimer(int /*timerId*/)
{
}
