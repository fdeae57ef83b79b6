// Report files dropped on the main window: one local file opens as if it
// had been chosen in Open File; any other drop is refused.
#include "app/main/main_window.h"

#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QPointer>
#include <QTimer>
#include <QUrl>

namespace {

// The one local file a drag carries, as a full path; empty for anything
// else (several files, a folder, a web address, plain text).
QString DraggedReport(const QMimeData* data) {
    if (!data || !data->hasUrls())
        return QString();
    const QList<QUrl> urls = data->urls();
    if (urls.size() != 1 || !urls.first().isLocalFile())
        return QString();
    const QFileInfo file(urls.first().toLocalFile());
    if (file.filePath().isEmpty() || file.isDir())
        return QString();
    return file.absoluteFilePath();
}

// Takes a drop as a copy only: a source that moves what it hands over would
// delete the user's report once the drop is accepted.
bool AcceptAsCopy(QDropEvent* event) {
    if (DraggedReport(event->mimeData()).isEmpty() ||
        !(event->possibleActions() & Qt::CopyAction)) {
        event->ignore();
        return false;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
    return true;
}

class ReportDrops : public QObject {
public:
    explicit ReportDrops(TFormMain* window) : QObject(window), window_(window) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched != window_)
            return false;
        switch (event->type()) {
        case QEvent::DragEnter:
        case QEvent::DragMove:
            AcceptAsCopy(static_cast<QDropEvent*>(event));
            return true;
        case QEvent::Drop: {
            auto* drop = static_cast<QDropEvent*>(event);
            if (!AcceptAsCopy(drop))
                return true;
            // Opened once the drop has ended: an error message must not keep
            // the program the file came from waiting for the drop's end.
            QTimer::singleShot(
                0, window_,
                [window = QPointer<TFormMain>(window_), path = DraggedReport(drop->mimeData())] {
                    if (window)
                        window->OpenReportFile(path);
                });
            return true;
        }
        default:
            return false;
        }
    }

private:
    TFormMain* window_;
};

} // namespace

void TFormMain::AcceptReportDrops() {
    setAcceptDrops(true);
    installEventFilter(new ReportDrops(this));
}
