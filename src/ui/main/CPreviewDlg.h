#pragma once

#include <QWidget>

// The preview area: a borderless child panel that only parents the camera cells.
class CPreviewDlg : public QWidget
{
    Q_OBJECT

  public:
    explicit CPreviewDlg(QWidget* parent = nullptr);
};
