// Report files dropped on the main window: one local file opens as if it
// had been chosen in Open File, wherever on the window it is dropped; any
// other drop of files is refused, also by the fields that take text.
#include "app/main/main_window.h"

#include "platform/window_text.h"

#include <QApplication>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QPointer>
#include <QTimer>
#include <QUrl>

namespace {

// The one local file a drag carries, as a full path for the file layer (its
// bytes kept: the name need not be UTF-8); empty for anything else (several
// files, a folder, a web address, plain text).
std::string DraggedReport(const QMimeData* data) {
    if (!data || !data->hasUrls())
        return std::string();
    const QList<QUrl> urls = data->urls();
    if (urls.size() != 1 || !urls.first().isLocalFile())
        return std::string();
    const std::string path = LocalFileToCore(urls.first());
    const QFileInfo file(PathFromCore(path));
    if (path.empty() || file.isDir() || !file.isAbsolute())
        return std::string();
    return path;
}

// Takes a drop as a copy only: a source that moves what it hands over would
// delete the user's report once the drop is accepted.
bool AcceptAsCopy(QDropEvent* event) {
    if (DraggedReport(event->mimeData()).empty() || !(event->possibleActions() & Qt::CopyAction)) {
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
                        window->OpenReportPath(path);
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
