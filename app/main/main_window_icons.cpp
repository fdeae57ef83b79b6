// The pictures of the actions (the image list, SVG resources) and the
// program's cursor.
#include "app/main/main_window_icons.h"

#include "platform/window_style.h"

#include <QApplication>
#include <QHash>
#include <QIcon>
#include <QIconEngine>
#include <QImageReader>
#include <QMutex>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QStyle>
#include <QStyleOption>
#include <QThreadPool>
#include <QVariant>

#include <algorithm>
#include <iterator>
#include <utility>

namespace {

const QColor Kaldorian = WindowStyle::BrandRed();

// The action pictures: SVG files, rendered at build time to PNG files at the
// sizes of a menu, a tool button and their scaled-screen doubles.
const char* ImageFile(int index) {
    switch (index) {
    case 0:
        return "read";
    case 2:
        return "clear";
    case 4:
        return "clear-after-read";
    case 6:
        return "open";
    case 8:
        return "save";
    case 10:
        return "print";
    case 12:
        return "exit";
    case 14:
        return "company";
    case 16:
        return "operators";
    case 18:
        return "about";
    case 20:
        return "sensor";
    default:
        return nullptr;
    }
}

const char* ThemeName(int index) {
    switch (index) {
    case 6:
        return "document-open";
    case 8:
        return "document-save";
    case 10:
        return "document-print";
    case 12:
        return "application-exit";
    case 18:
        return "help-about";
    default:
        return nullptr;
    }
}

} // namespace

// The window library is static: its resources are registered by hand.
static void InitWindowResources() {
    Q_INIT_RESOURCE(vrx_mainwindow);
}

namespace {

// A PNG of our own resources. Told the format and kept from guessing it, the
// reader takes the built-in decoder at once: guessing asks every
// picture-format plug-in first, loading each of them.
QImage DecodePngImage(const QString& file) {
    QImageReader reader(file, "png");
    reader.setAutoDetectImageFormat(false);
    return reader.read();
}

// Pictures decoded on a worker thread while the main window is being made,
// by file; each is taken out by the first paint that wants it.
struct DecodedAhead {
    QMutex lock;
    QHash<QString, QImage> images;
};

DecodedAhead& Ahead() {
    static DecodedAhead ahead;
    return ahead;
}

QPixmap DecodePng(const QString& file) {
    QImage image;
    {
        const QMutexLocker hold(&Ahead().lock);
        image = Ahead().images.take(file);
    }
    // Not there (yet): decoded here, as if nothing had been started.
    if (image.isNull())
        image = DecodePngImage(file);
    return QPixmap::fromImage(std::move(image));
}

constexpr int PictureSides[] = {16, 24, 32, 48, 64};

// Of picture sides in ascending order, the smallest that fills `wanted`,
// else the largest.
template <typename It> int FillingSide(It side, It end, int wanted) {
    int last = 0;
    for (; side != end; ++side) {
        last = *side;
        if (last >= wanted)
            break;
    }
    return last;
}

QString PictureFile(const QString& name, int side) {
    return QStringLiteral(":/app/actions/%1-%2.png").arg(name).arg(side);
}

// Picture files of one image at fixed sizes, each decoded only when a size
// near it is first asked for: a window's icon at start-up may be wanted at
// one size or none, and decoding every file up front cost more than the
// rest of the main window's set-up.
class SizedFilesEngine : public QIconEngine {
public:
    explicit SizedFilesEngine(QMap<int, QString> files) : files_(std::move(files)) {}

    QIconEngine* clone() const override { return new SizedFilesEngine(*this); }
    QString key() const override { return QStringLiteral("VrxSizedFiles"); }
    bool isNull() override { return files_.isEmpty(); }

    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override {
        QList<QSize> sizes;
        for (int side : files_.keys())
            sizes << QSize(side, side);
        return sizes;
    }

    QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override {
        const int side = std::min({Pick(size), size.width(), size.height()});
        return QSize(side, side);
    }

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State) override {
        if (files_.isEmpty() || size.isEmpty())
            return QPixmap();
        const int side = Pick(size);
        auto it = decoded_.find(side);
        if (it == decoded_.end())
            it = decoded_.insert(side, DecodePng(files_.value(side)));
        QPixmap pm = *it;
        if (pm.width() > size.width() || pm.height() > size.height())
            pm = pm.scaled(size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        if (mode != QIcon::Normal && QApplication::instance()) {
            QStyleOption option;
            option.palette = QApplication::palette();
            pm = QApplication::style()->generatedIconPixmap(mode, pm, &option);
        }
        return pm;
    }

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode,
               QIcon::State state) override {
        const QPixmap pm = pixmap(rect.size(), mode, state);
        const QSize shown = pm.size();
        painter->drawPixmap(rect.x() + (rect.width() - shown.width()) / 2,
                            rect.y() + (rect.height() - shown.height()) / 2, pm);
    }

private:
    int Pick(const QSize& size) const {
        return FillingSide(files_.keyBegin(), files_.keyEnd(),
                           std::max(size.width(), size.height()));
    }

    QMap<int, QString> files_;
    QMap<int, QPixmap> decoded_;
};

} // namespace

// Each picture is carried as PNG files rendered from its SVG at fixed sizes:
// decoding a few small files before the first paint costs far less than
// loading the SVG engine and parsing every picture, and each file is only
// decoded when its size is first drawn (the menus: after the first paint).
static QIcon ActionPicture(const char* file) {
    if (file == nullptr)
        return QIcon();
    const QString name = QLatin1String(file);
    QMap<int, QString> files;
    for (int side : PictureSides)
        files.insert(side, PictureFile(name, side));
    return QIcon(new SizedFilesEngine(std::move(files)));
}

// hicolor is the theme of programs' own icons that every desktop theme falls
// back to, and the only one without a desktop theme: it has no pictures for
// actions, and looking for one there probes every folder it lists, in the
// user's copy without a cache too (thousands of file checks per picture).
static bool DesktopIconTheme() {
    const QString theme = QIcon::themeName();
    return !theme.isEmpty() && theme != QLatin1String("hicolor");
}

void DecodeActionPicturesAhead(const QList<int>& indexes, int side) {
    InitWindowResources();
    // The file the icon will take.
    const int file = FillingSide(std::begin(PictureSides), std::end(PictureSides), side);
    QStringList files;
    for (int index : indexes) {
        const char* name = ImageFile(index);
        // Where the desktop's theme may draw it, ours is decoded only if needed.
        if (name && !(ThemeName(index) && DesktopIconTheme()))
            files << PictureFile(QLatin1String(name), file);
    }
    if (files.isEmpty())
        return;
    Ahead(); // made first, so that it outlives the worker
    // The application waits for its thread pool before it ends.
    QThreadPool::globalInstance()->start([files] {
        for (const QString& f : files) {
            QImage image = DecodePngImage(f);
            const QMutexLocker hold(&Ahead().lock);
            Ahead().images.insert(f, std::move(image));
        }
    });
}

QIcon ImageListIcon(int index) {
    InitWindowResources();
    const QIcon own = ActionPicture(ImageFile(index));
    // The desktop's theme where it has a fitting picture; ours elsewhere.
    const char* theme = ThemeName(index);
    return theme && DesktopIconTheme() ? QIcon::fromTheme(QLatin1String(theme), own) : own;
}

QIcon ProgramIcon() {
    InitWindowResources();
    // One icon for the application and all its windows.
    QCoreApplication* app = QCoreApplication::instance();
    const char* cacheName = "vrxProgramIcon";
    if (app) {
        const QVariant cached = app->property(cacheName);
        if (cached.canConvert<QIcon>())
            return cached.value<QIcon>();
    }
    QMap<int, QString> files;
    for (int size : {16, 24, 32, 48, 64, 128, 256})
        files.insert(size, QStringLiteral(":/app/vrx310-%1.png").arg(size));
    const QIcon icon(new SizedFilesEngine(std::move(files)));
    if (app)
        app->setProperty(cacheName, QVariant::fromValue(icon));
    return icon;
}

QCursor KaldorianCursor() {
    QPixmap pm(32, 32);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath arrow;
    arrow.moveTo(1, 1);
    arrow.lineTo(1, 22);
    arrow.lineTo(6.5, 17);
    arrow.lineTo(10.5, 26);
    arrow.lineTo(14, 24.5);
    arrow.lineTo(10, 15.5);
    arrow.lineTo(17, 15.5);
    arrow.closeSubpath();
    p.setPen(QPen(Qt::black, 1.2));
    p.setBrush(Kaldorian);
    p.drawPath(arrow);
    p.setPen(QPen(Qt::white, 1.6));
    p.drawLine(QPointF(20, 20), QPointF(20, 30));
    p.drawLine(QPointF(20, 25), QPointF(26, 20));
    p.drawLine(QPointF(21.5, 24), QPointF(27, 30));
    p.end();
    return QCursor(pm, 1, 1);
}

QMap<int, QCursor>& ScreenCursors() {
    static QMap<int, QCursor> table;
    return table;
}
