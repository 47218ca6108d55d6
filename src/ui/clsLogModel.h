// The lines of the result log: an append-only list model that both log views show.
#pragma once

#include <QAbstractListModel>
#include <QString>

#include <vector>

class clsLogModel : public QAbstractListModel {
    Q_OBJECT
public:
    using QAbstractListModel::QAbstractListModel;

    /// Appends one line at the end.
    void Append(const QString& line);
    /// Removes every line.
    void Clear();
    /// The line at `row` (0 to Count - 1).
    const QString& Line(int row) const { return m_Lines[static_cast<std::size_t>(row)]; }
    int Count() const { return static_cast<int>(m_Lines.size()); }
    /// Every line followed by CR LF, the last one included.
    QString Text() const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

private:
    std::vector<QString> m_Lines;
};
