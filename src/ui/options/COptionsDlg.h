#pragma once

#include <QDialog>
#include <QMessageBox>
#include <QString>

#include <string>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

// The options dialog: preview grid, recording folder, start at logon and the
// time label. It reads config.ini when constructed and writes it itself; nothing
// it stores affects a run in progress.
class COptionsDlg : public QDialog
{
    Q_OBJECT

  public:
    enum ControlId
    {
        IDC_ROWS = 1007,
        IDC_COLS = 1008,
        IDC_SAVEPATH = 1010,
        IDC_BROWSE = 1011,
        IDC_PICTURE = 1013,
        IDC_AUTOSTART = 1014,
        IDC_TIMELABEL = 1015,
        IDC_PROMPT = 1017,
    };

    // Builds the controls and loads them from config.ini (OnInitDialog).
    explicit COptionsDlg(QWidget* parent = nullptr);

    // Task name of the logon entry and the argument that makes a start record at once.
    static constexpr const char* kAutoStartName = "Torvane";
    static constexpr const char* kAutoStartArgument = "task";

    std::string m_configPath;
    QString m_prompt;
    int m_rows = 0;
    int m_cols = 0;
    QString m_savePath;
    int m_autoStart = 0;
    int m_timeLabel = 0;

  protected:
    bool OnInitDialog();
    // Members -> controls, or (saveAndValidate) controls -> members in binding
    // order, stopping at a box that holds no integer, after the prompt.
    bool UpdateData(bool saveAndValidate);

  private:
    void OnClickedOk();
    void OnBrowse();
    void CreateControls();
    bool ReadIntegerBox(QLineEdit* box, int& value);
    void ShowMessage(QMessageBox::Icon icon, const QString& text);

    QLabel* m_promptLabel = nullptr;
    QLineEdit* m_rowsEdit = nullptr;
    QLineEdit* m_colsEdit = nullptr;
    QLineEdit* m_savePathEdit = nullptr;
    QCheckBox* m_autoStartCheck = nullptr;
    QCheckBox* m_timeLabelCheck = nullptr;
};
