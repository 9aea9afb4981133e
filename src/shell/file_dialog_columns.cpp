#include "shell/file_dialog_columns.h"

#include <QFileDialog>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QIdentityProxyModel>
#include <QLocale>
#include <QTreeView>

namespace shell {
namespace {

// The columns of QFileSystemModel: name, size, type, date modified.
enum Column { Name, Size, Type, Modified };

class JapaneseFileColumns final : public QIdentityProxyModel {
  public:
    using QIdentityProxyModel::QIdentityProxyModel;

    QVariant data(const QModelIndex& index, int role) const override {
        auto* files = qobject_cast<QFileSystemModel*>(sourceModel());
        if (role != Qt::DisplayRole || !files || index.column() == Name)
            return QIdentityProxyModel::data(index, role);
        const QModelIndex source = mapToSource(index);
        const QLocale japanese; // the program's default locale
        switch (index.column()) {
        case Size:
            return files->isDir(source) ? QString()
                                        : japanese.formattedDataSize(files->size(source));
        case Type:
            if (files->isDir(source))
                return QStringLiteral("フォルダ");
            break;
        case Modified:
            return japanese.toString(files->lastModified(source), QLocale::ShortFormat);
        default:
            break;
        }
        return QIdentityProxyModel::data(index, role);
    }
};

} // namespace

void UseJapaneseFileColumns(QFileDialog& dialog) {
    // Ignored by a native dialog.
    dialog.setProxyModel(new JapaneseFileColumns(&dialog));
    // The name takes what the others leave, so no size or date is cut.
    if (auto* details = dialog.findChild<QTreeView*>()) {
        QHeaderView* header = details->header();
        header->setStretchLastSection(false);
        header->setSectionResizeMode(Name, QHeaderView::Stretch);
        for (int column : {Size, Type, Modified})
            header->setSectionResizeMode(column, QHeaderView::ResizeToContents);
    }
}

} // namespace shell
