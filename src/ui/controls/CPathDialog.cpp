#include "controls/CPathDialog.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>

namespace {

// The validation's questions and warnings as message boxes over the picker.
class MessageBoxPrompts : public FolderPrompts
{
  public:
    explicit MessageBoxPrompts(QWidget* parent) : m_parent(parent) {}

    bool AskYesNo(const std::string& text) override
    {
        return QMessageBox::question(m_parent, m_parent->windowTitle(), QString::fromStdString(text),
                                     QMessageBox::Yes | QMessageBox::No,
                                     QMessageBox::Yes) == QMessageBox::Yes;
    }
    void ShowWarning(const std::string& text) override
    {
        QMessageBox::warning(m_parent, m_parent->windowTitle(), QString::fromStdString(text));
    }

  private:
    QWidget* m_parent;
};

} // namespace

CPathDialog::CPathDialog(const QString& caption, const QString& prompt, const QString& initialPath,
                         QWidget* parent)
    : QDialog(parent), m_messageBoxes(std::make_unique<MessageBoxPrompts>(this)),
      m_prompts(m_messageBoxes.get())
{
    if (!caption.isEmpty()) {
        setWindowTitle(caption);
    }
    m_promptLabel = new QLabel(prompt, this);
    m_promptLabel->setObjectName("promptLabel");
    m_promptLabel->setWordWrap(true);

    m_pathEdit = new QLineEdit(this);
    m_pathEdit->setObjectName("pathEdit");

    m_model = new QFileSystemModel(this);
    m_model->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
    m_model->setReadOnly(true);
    m_model->setRootPath(QDir::rootPath());

    m_tree = new QTreeView(this);
    m_tree->setObjectName("folderTree");
    m_tree->setModel(m_model);
    m_tree->setHeaderHidden(true);
    for (int column = 1; column < m_model->columnCount(); ++column) {
        m_tree->hideColumn(column); // size, type and date mean nothing for folders
    }

    m_buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    m_buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("确定"));
    m_buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("取消"));
    m_buttons->button(QDialogButtonBox::Ok)->setEnabled(false);
    connect(m_buttons, &QDialogButtonBox::accepted, this, &CPathDialog::accept);
    connect(m_buttons, &QDialogButtonBox::rejected, this, &CPathDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_promptLabel);
    layout->addWidget(m_pathEdit);
    layout->addWidget(m_tree, 1);
    layout->addWidget(m_buttons);
    resize(360, 420);

    connect(m_pathEdit, &QLineEdit::textChanged, this, &CPathDialog::OnPathEdited);
    connect(m_tree->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &CPathDialog::OnCurrentFolderChanged);

    SelectFolder(initialPath.isEmpty() ? QDir::currentPath() : initialPath);
}

CPathDialog::~CPathDialog() = default;

void CPathDialog::SetPrompts(FolderPrompts* prompts)
{
    m_prompts = prompts != nullptr ? prompts : m_messageBoxes.get();
}

int CPathDialog::DoModal()
{
    m_accepted = false;
    exec();
    return m_accepted ? 1 : -1;
}

void CPathDialog::SelectFolder(const QString& path)
{
    const QString folder = QDir::cleanPath(path);
    if (!FolderExists(folder.toStdString())) {
        return; // nothing selected: the box stays empty and OK disabled
    }
    const QModelIndex index = m_model->index(folder);
    m_tree->setCurrentIndex(index);
    m_tree->scrollTo(index); // also expands the parents
}

void CPathDialog::OnCurrentFolderChanged(const QModelIndex& current)
{
    m_pathEdit->setText(current.isValid() ? m_model->filePath(current) : QString());
}

void CPathDialog::OnPathEdited(const QString& text)
{
    m_path = text;
    m_buttons->button(QDialogButtonBox::Ok)->setEnabled(!text.isEmpty());
}

void CPathDialog::accept()
{
    m_path = m_pathEdit->text();
    if (EnsureFolderExists(m_path.toStdString(), *m_prompts) != FolderCheck::Ok) {
        m_pathEdit->setFocus();
        return; // stays open so the path can be corrected
    }
    m_accepted = true;
    QDialog::accept();
}
