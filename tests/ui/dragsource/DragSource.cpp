// ferrule_dragsource: a small window that drags the files named on its command line when pressed,
// and quits a little after the drop. The screenshot script drives it with xdotool to drop lists on Ferrule
// through the window system's own drag and drop.
#include <QApplication>
#include <QDrag>
#include <QMimeData>
#include <QMouseEvent>
#include <QTimer>
#include <QUrl>
#include <QWidget>

#include <cstdio>

class DragSource : public QWidget {
public:
    explicit DragSource(QList<QUrl> urls) : m_Urls(std::move(urls)) {
        setWindowTitle(QStringLiteral("ferrule_dragsource"));
        setFixedSize(80, 80);
    }

protected:
    void mousePressEvent(QMouseEvent*) override {
        auto* drag = new QDrag(this);
        auto* data = new QMimeData;
        data->setUrls(m_Urls);
        drag->setMimeData(data);
        const Qt::DropAction action = drag->exec(Qt::CopyAction | Qt::LinkAction, Qt::CopyAction);
        std::printf("%d\n", static_cast<int>(action));
        std::fflush(stdout);
        // The target fetches the dropped data after the drop: stay a while to hand it over.
        QTimer::singleShot(3000, qApp, &QCoreApplication::quit);
    }

private:
    QList<QUrl> m_Urls;
};

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QList<QUrl> urls;
    for (int i = 1; i < argc; ++i) {
        urls << QUrl::fromLocalFile(QString::fromLocal8Bit(argv[i]));
    }
    DragSource window(urls);
    window.move(600, 400);
    window.show();
    return app.exec();
}
