#pragma once

#include "options/FolderPath.h"

#include <QDialog>
#include <QString>

#include <memory>

class QDialogButtonBox;
class QFileSystemModel;
class QLabel;
class QLineEdit;
class QModelIndex;
class QTreeView;

// Folder chooser with an editable path box above a folder tree. Picking a folder
// in the tree fills the box; OK validates the box's path, offers to create a
// missing folder (with all its missing parents) and stays open, focus in the
// box, while the path is invalid, refused or cannot be created.
class CPathDialog : public QDialog
{
    Q_OBJECT

  public:
    // An empty initialPath starts in the current folder.
    CPathDialog(const QString& caption, const QString& prompt, const QString& initialPath,
                QWidget* parent = nullptr);
    ~CPathDialog() override;

    // 1 when the user confirmed a path that exists now, -1 otherwise.
    int DoModal();
    // The confirmed path: absolute, without a trailing '/' unless it is the root.
    QString GetSelectedPath() const { return m_path; }

    // Replaces the message boxes of the validation (tests answer with a fake).
    // The object must outlive the dialog; nullptr restores the message boxes.
    void SetPrompts(FolderPrompts* prompts);

  public slots:
    void accept() override;

  private:
    void OnPathEdited(const QString& text);
    void OnCurrentFolderChanged(const QModelIndex& current);
    void SelectFolder(const QString& path);

    QString m_path;
    bool m_accepted = false;
    QLabel* m_promptLabel = nullptr;
    QLineEdit* m_pathEdit = nullptr;
    QTreeView* m_tree = nullptr;
    QFileSystemModel* m_model = nullptr;
    QDialogButtonBox* m_buttons = nullptr;
    std::unique_ptr<FolderPrompts> m_messageBoxes;
    FolderPrompts* m_prompts = nullptr;
};
