#include "ui/frmBrowseForFolder.h"

#include "ui/clsFolderNameDelegate.h"
#include "ui/mdlAPIGeneral.h"
#include "ui/mdlMessageBox.h"

#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>

namespace {

const QString kNewFolder = QStringLiteral("新しいフォルダー");

// "新しいフォルダー", or "新しいフォルダー (2)", (3)… when the name is taken in `parent`.
QString FreeFolderName(const QString& parent) {
    const QDir dir(parent);
    for (int number = 1;; ++number) {
        const QString name = number == 1 ? kNewFolder : kNewFolder + QStringLiteral(" (%1)").arg(number);
        const QFileInfo info(dir.filePath(name));
        if (!info.exists() && !info.isSymLink()) {
            return name;
        }
    }
}

} // namespace

frmBrowseForFolder::frmBrowseForFolder(QWidget* owner, const QString& prompt, const QString& startFolder)
    : QDialog(owner) {
    setObjectName(QStringLiteral("FolderBrowser"));
    setWindowTitle(QStringLiteral("フォルダーの参照"));
    setWindowModality(owner != nullptr ? Qt::WindowModal : Qt::ApplicationModal);
    setFont(WindowFont());
    setSizeGripEnabled(true);

    m_lblTitle = new QLabel(prompt, this);
    m_lblTitle->setObjectName(QStringLiteral("lblTitle"));
    m_lblTitle->setTextFormat(Qt::PlainText);
    m_lblTitle->setWordWrap(true);

    m_Model = new QFileSystemModel(this);
    m_Model->setIconProvider(&m_IconProvider);
    m_Model->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot);
    m_Model->setReadOnly(false); // renames of the new folder only: the tree itself starts no editing
    m_Model->setRootPath(QDir::rootPath());

    m_tvwFolders = new QTreeView(this);
    m_tvwFolders->setObjectName(QStringLiteral("tvwFolders"));
    m_tvwFolders->setModel(m_Model);
    m_tvwFolders->setHeaderHidden(true);
    // Long names scroll sideways, as in a tree of the system's own, rather than ending in an ellipsis.
    m_tvwFolders->header()->setStretchLastSection(false);
    m_tvwFolders->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    m_tvwFolders->setTextElideMode(Qt::ElideNone);
    for (int column = 1; column < m_Model->columnCount(); ++column) {
        m_tvwFolders->hideColumn(column);
    }
    m_tvwFolders->setSelectionMode(QAbstractItemView::SingleSelection);
    m_tvwFolders->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_tvwFolders->setContextMenuPolicy(Qt::NoContextMenu);
    m_tvwFolders->setDragDropMode(QAbstractItemView::NoDragDrop);
    auto* delegate = new clsFolderNameDelegate(m_tvwFolders);
    m_tvwFolders->setItemDelegate(delegate);
    connect(
        delegate, &clsFolderNameDelegate::RenameRefused, this,
        [this](const QPersistentModelIndex& index, const QString& message, QMessageBox::Icon icon) {
            // After the editor has closed: the message, then the name offered again, as the system does.
            ShowMessageBox(this, message, icon, windowTitle());
            if (index.isValid()) {
                m_tvwFolders->setCurrentIndex(index);
                m_tvwFolders->edit(index);
            }
        },
        Qt::QueuedConnection);

    m_cmdNewFolder = new QPushButton(QStringLiteral("新しいフォルダーの作成(&M)"), this);
    m_cmdNewFolder->setObjectName(QStringLiteral("cmdNewFolder"));
    m_cmdNewFolder->setAutoDefault(false);
    m_cmdOK = new QPushButton(QStringLiteral("OK"), this);
    m_cmdOK->setObjectName(QStringLiteral("cmdOK"));
    m_cmdOK->setDefault(true);
    m_cmdCancel = new QPushButton(QStringLiteral("キャンセル"), this);
    m_cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    m_cmdCancel->setAutoDefault(false);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_cmdNewFolder);
    buttons->addStretch(1);
    buttons->addWidget(m_cmdOK);
    buttons->addWidget(m_cmdCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_lblTitle);
    layout->addWidget(m_tvwFolders, 1);
    layout->addLayout(buttons);

    connect(m_cmdNewFolder, &QPushButton::clicked, this, &frmBrowseForFolder::cmdNewFolder_Click);
    connect(m_cmdOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_tvwFolders->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &frmBrowseForFolder::UpdateButtons);
    m_ScrollToStart.setSingleShot(true);
    m_ScrollToStart.setInterval(0);
    connect(&m_ScrollToStart, &QTimer::timeout, this, &frmBrowseForFolder::ScrollToStart);
    const auto scrollLater = [this] {
        if (m_Start.isValid()) {
            m_ScrollToStart.start();
        }
    };
    connect(m_Model, &QAbstractItemModel::rowsInserted, this, scrollLater);
    connect(m_Model, &QAbstractItemModel::layoutChanged, this, scrollLater);

    resize(320, 380);
    SelectStartFolder(startFolder);
    UpdateButtons();
    m_tvwFolders->setFocus();
}

frmBrowseForFolder::~frmBrowseForFolder() {
    // The model's reader thread asks the icon provider for icons: stop it before the provider goes.
    delete m_Model;
}

QString frmBrowseForFolder::SelectedPath() const {
    const QModelIndexList selected = m_tvwFolders->selectionModel()->selectedRows();
    return selected.isEmpty() ? QString() : QDir::toNativeSeparators(m_Model->filePath(selected.front()));
}

void frmBrowseForFolder::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    ScrollToStart();
}

void frmBrowseForFolder::SelectStartFolder(const QString& folder) {
    // The folders from the root down to the start; the deepest one the tree shows (not hidden, not gone) is
    // selected. Asking the model for a hidden folder would add it to the tree.
    QStringList chain;
    for (QString path = QDir::cleanPath(QDir(folder).absolutePath());; path = QFileInfo(path).path()) {
        chain.prepend(path);
        if (QFileInfo(path).isRoot() || QFileInfo(path).path() == path) {
            break;
        }
    }
    QModelIndex index;
    for (const QString& path : chain) {
        const QFileInfo info(path);
        if (!info.isDir() || (info.isHidden() && !info.isRoot())) {
            break;
        }
        const QModelIndex below = m_Model->index(path);
        if (!below.isValid()) {
            break;
        }
        index = below;
    }
    if (!index.isValid()) {
        return;
    }
    for (QModelIndex above = index; above.isValid(); above = above.parent()) {
        m_tvwFolders->expand(above);
    }
    m_tvwFolders->setCurrentIndex(index);
    m_Start = index;
}

void frmBrowseForFolder::ScrollToStart() {
    if (m_Start.isValid() && m_tvwFolders->currentIndex() == m_Start) {
        m_tvwFolders->scrollTo(m_Start, QAbstractItemView::PositionAtCenter);
    } else {
        m_Start = QPersistentModelIndex();
    }
}

void frmBrowseForFolder::cmdNewFolder_Click() {
    const QModelIndexList selected = m_tvwFolders->selectionModel()->selectedRows();
    if (selected.isEmpty()) {
        return;
    }
    const QModelIndex parent = selected.front();
    const QString parentPath = m_Model->filePath(parent);
    const QModelIndex created = m_Model->mkdir(parent, FreeFolderName(parentPath));
    if (!created.isValid()) {
        ShowMessageBox(this,
                       QStringLiteral("「%1」に新しいフォルダーを作成できませんでした。")
                           .arg(QDir::toNativeSeparators(parentPath)),
                       QMessageBox::Critical, windowTitle());
        return;
    }
    m_tvwFolders->expand(parent);
    m_tvwFolders->setCurrentIndex(created);
    m_tvwFolders->scrollTo(created);
    m_tvwFolders->setFocus();
    m_tvwFolders->edit(created);
}

void frmBrowseForFolder::UpdateButtons() {
    const bool selected = m_tvwFolders->selectionModel()->hasSelection();
    m_cmdOK->setEnabled(selected);
    m_cmdNewFolder->setEnabled(selected);
}
