#include "ui/clsLogModel.h"

void clsLogModel::Append(const QString& line) {
    const int row = Count();
    beginInsertRows(QModelIndex(), row, row);
    m_Lines.push_back(line);
    endInsertRows();
}

void clsLogModel::Clear() {
    if (m_Lines.empty()) {
        return;
    }
    beginResetModel();
    m_Lines.clear();
    m_Lines.shrink_to_fit();
    endResetModel();
}

QString clsLogModel::Text() const {
    qsizetype length = 0;
    for (const QString& line : m_Lines) {
        length += line.size() + 2;
    }
    QString text;
    text.reserve(length);
    for (const QString& line : m_Lines) {
        text += line;
        text += QStringLiteral("\r\n");
    }
    return text;
}

int clsLogModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : Count();
}

QVariant clsLogModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid() || index.parent().isValid() || index.row() >= Count()) {
        return {};
    }
    return Line(index.row());
}
