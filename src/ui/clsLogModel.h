// The lines of the result log: an append-only list model that both log views show.
#pragma once

#include <QAbstractListModel>
#include <QString>
#include <QTimer>

#include <vector>

class clsLogModel : public QAbstractListModel {
    Q_OBJECT
public:
    explicit clsLogModel(QObject* parent = nullptr);

    /// Appends one line at the end. The views learn of new lines in batches, a moment later or at the
    /// next Flush, so that a long log is laid out and painted a few times, not once per line.
    void Append(const QString& line);
    /// Removes every line.
    void Clear();
    /// Tells the views of every line appended so far.
    void Flush();

    /// All lines appended, whether the views show them yet or not.
    int Count() const { return static_cast<int>(m_Lines.size()); }
    /// The line at `row` (0 to Count - 1).
    const QString& Line(int row) const { return m_Lines[static_cast<std::size_t>(row)]; }
    /// Every line followed by CR LF, the last one included.
    QString Text() const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

private:
    std::vector<QString> m_Lines;
    int m_Shown = 0; // lines the views have been told of
    QTimer m_FlushTimer;
};
