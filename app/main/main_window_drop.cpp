// Report files dropped on the main window: one local file opens as if it
// had been chosen in Open File, wherever on the window it is dropped; any
// other drop of files is refused, also by the fields that take text.
#include "app/main/main_window.h"

#include <QApplication>
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

// Watches the whole application: a field of the window that takes drops
// (the vehicle's edit) would paste a file's address as text and accept the
// drop as a move, which lets the source delete the file.
class ReportDrops : public QObject {
public:
    explicit ReportDrops(TFormMain* window) : QObject(window), window_(window) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        const QEvent::Type type = event->type();
        if (type != QEvent::DragEnter && type != QEvent::DragMove && type != QEvent::Drop)
            return false;
        auto* widget = qobject_cast<QWidget*>(watched);
        if (!widget || (widget != window_ && !window_->isAncestorOf(widget)))
            return false;
        // Text dropped on a field stays the field's.
        if (widget != window_ && !static_cast<QDropEvent*>(event)->mimeData()->hasUrls())
            return false;
        switch (type) {
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
    qApp->installEventFilter(new ReportDrops(this));
}
