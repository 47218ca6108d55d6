#include "ui/clsLogModel.h"

namespace {

// Short enough to look immediate, long enough that a fast check does not re-layout the views per line.
constexpr int kFlushDelayMs = 25;

} // namespace

clsLogModel::clsLogModel(QObject* parent) : QAbstractListModel(parent) {
    m_FlushTimer.setSingleShot(true);
    m_FlushTimer.setInterval(kFlushDelayMs);
    connect(&m_FlushTimer, &QTimer::timeout, this, &clsLogModel::Flush);
}

void clsLogModel::Append(const QString& line) {
    m_Lines.push_back(line);
    if (!m_FlushTimer.isActive()) {
        m_FlushTimer.start();
    }
}

void clsLogModel::Flush() {
    m_FlushTimer.stop();
    if (m_Shown == Count()) {
        return;
    }
    beginInsertRows(QModelIndex(), m_Shown, Count() - 1);
    m_Shown = Count();
    endInsertRows();
}

void clsLogModel::Clear() {
    m_FlushTimer.stop();
    beginResetModel();
    m_Lines.clear();
    m_Lines.shrink_to_fit();
    m_Shown = 0;
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
    return parent.isValid() ? 0 : m_Shown;
}

QVariant clsLogModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid() || index.parent().isValid() || index.row() >= m_Shown) {
        return {};
    }
    return Line(index.row());
}
