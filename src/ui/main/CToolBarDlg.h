#pragma once

#include <QWidget>

#include <iterator>

#include <array>

class CButtonST;

// The toolbar panel along the top of the main window: six image buttons that
// duplicate the main menu commands. It keeps no state of its own.
class CToolBarDlg : public QWidget
{
    Q_OBJECT

  public:
    enum ButtonId : int
    {
        IDC_TB_START = 1000,
        IDC_TB_STOP = 1001,
        IDC_TB_SNAPSHOT = 1002,
        IDC_TB_OPTIONS = 1003,
        IDC_TB_UPDATE = 1004,
        IDC_TB_HELP = 1006,
    };
    static constexpr int kButtonCount = 6;

    explicit CToolBarDlg(QWidget* parent = nullptr);

    CButtonST* Button(int id) const;
    bool IsStartEnabled() const;
    void SetStartEnabled(bool enabled);

    void OnStart();
    void OnStop();
    void OnSnapshot();
    void OnOptions();
    void OnCheckUpdate();
    void OnHelpPage();

  private:
    std::array<CButtonST*, kButtonCount> m_buttons{};
};
