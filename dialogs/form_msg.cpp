#include "dialogs/form_msg.h"

#include "platform/window_style.h"

#include <QApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPushButton>
#include <QStyle>

TFormMsg* FormMsg = nullptr;

namespace {

constexpr int kPictureSize = 48;

QPixmap NewPicture() {
    QPixmap pm(kPictureSize, kPictureSize);
    pm.fill(Qt::transparent);
    return pm;
}

void DrawGlyph(QPainter& p, const QRectF& r, const QString& glyph, const QColor& color,
               int pixelSize) {
    p.setFont(WindowStyle::UiFont(pixelSize));
    p.setPen(color);
    p.drawText(r, Qt::AlignCenter, glyph);
}

// Speech bubble with a blue sign: the information and confirmation motifs.
QPixmap BubblePicture(const QString& glyph) {
    QPixmap pm = NewPicture();
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath bubble;
    bubble.addRoundedRect(QRectF(3, 3, 42, 32), 10, 10);
    QPainterPath tail;
    tail.moveTo(12, 32);
    tail.lineTo(9, 45);
    tail.lineTo(23, 33);
    tail.closeSubpath();
    bubble = bubble.united(tail);
    p.setPen(QPen(QColor(90, 90, 110), 1.5));
    p.setBrush(QColor(252, 252, 236));
    p.drawPath(bubble);
    DrawGlyph(p, QRectF(3, 3, 42, 32), glyph, QColor(0, 60, 200), 26);
    return pm;
}

QPixmap WarningPicture() {
    QPixmap pm = NewPicture();
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath tri;
    tri.moveTo(24, 3);
    tri.lineTo(46, 44);
    tri.lineTo(2, 44);
    tri.closeSubpath();
    p.setPen(QPen(Qt::black, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(QColor(255, 214, 0));
    p.drawPath(tri);
    DrawGlyph(p, QRectF(2, 14, 44, 30), QStringLiteral("!"), Qt::black, 26);
    return pm;
}

QPixmap ErrorPicture() {
    QPixmap pm = NewPicture();
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(120, 0, 0), 1.5));
    p.setBrush(QColor(214, 18, 18));
    p.drawEllipse(QRectF(2, 2, 44, 44));
    p.setPen(QPen(Qt::white, 6, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(15, 15), QPointF(33, 33));
    p.drawLine(QPointF(33, 15), QPointF(15, 33));
    return pm;
}

} // namespace

struct TFormMsg::Controls {
    QLabel* images[4] = {};
    QLabel* label1 = nullptr;
    QPushButton* ok = nullptr;
    QPushButton* cancel = nullptr;
    QPushButton* yes = nullptr;
    QPushButton* no = nullptr;
    QPushButton* firstFocus = nullptr;
};

TFormMsg::TFormMsg(QWidget* parent) : QDialog(parent), c_(new Controls) {
    // Fixed size, no sizing border, no help or minimise boxes.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(300, 140);
    setContentsMargins(5, 5, 5, 5);
    setWindowOpacity(250.0 / 255.0);
    setFont(WindowStyle::UiFont());
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QApplication::palette("QMenu").color(QPalette::Window));
    setPalette(pal);

    const QPixmap pictures[4] = {BubblePicture(QStringLiteral("i")),
                                 BubblePicture(QStringLiteral("?")), WarningPicture(),
                                 ErrorPicture()};
    static const char* const names[4] = {"ImageInformation", "ImageConfirmation", "ImageWarning",
                                         "ImageError"};
    for (int i = 0; i < 4; ++i) {
        QLabel* img = new QLabel(this);
        img->setObjectName(QLatin1String(names[i]));
        img->setPixmap(pictures[i]);
        img->setAttribute(Qt::WA_TranslucentBackground);
        // Every picture shares one place; only its visibility differs.
        img->setGeometry(9, 9, kPictureSize, kPictureSize);
        c_->images[i] = img;
    }

    QLabel* l = new QLabel(this);
    l->setObjectName(QStringLiteral("Label1"));
    l->setGeometry(84, 6, 210, 80);
    l->setWordWrap(true);
    l->setTextFormat(Qt::PlainText); // a message is shown as it is, never as markup
    l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    l->setFont(WindowStyle::UiFont(15));
    l->setAutoFillBackground(true);
    QPalette lp = l->palette();
    lp.setColor(QPalette::Window, palette().color(QPalette::Midlight));
    lp.setColor(QPalette::WindowText, Qt::black);
    l->setPalette(lp);
    c_->label1 = l;

    auto makeButton = [this](const char* name, int result, QStyle::StandardPixmap icon) {
        QPushButton* b = new QPushButton(this);
        b->setObjectName(QLatin1String(name));
        b->setGeometry(30, 100, 110, 30);
        b->setAutoDefault(true); // Enter presses the focused button
        b->setIcon(WindowStyle::StandardIcon(icon));
        connect(b, &QPushButton::clicked, this, [this, result] { done(result); });
        return b;
    };
    c_->ok = makeButton("BitBtnOk", mrOk, QStyle::SP_DialogOkButton);
    c_->cancel = makeButton("BitBtnCancel", mrCancel, QStyle::SP_DialogCancelButton);
    c_->yes = makeButton("BitBtnYes", mrYes, QStyle::SP_DialogYesButton);
    c_->no = makeButton("BitBtnNo", mrNo, QStyle::SP_DialogNoButton);
    setTabOrder(c_->cancel, c_->yes);
    setTabOrder(c_->yes, c_->no);
    setTabOrder(c_->no, c_->ok);

    RetranslateUi();
    ResetLayout();
}

TFormMsg::~TFormMsg() {
    delete c_;
}

void TFormMsg::RetranslateUi() {
    c_->ok->setText(tr("OK"));
    c_->cancel->setText(tr("Cancel"));
    c_->yes->setText(tr("&Yes"));
    c_->no->setText(tr("&No"));
}

void TFormMsg::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange)
        RetranslateUi();
    QDialog::changeEvent(event);
}

QStringList TFormMsg::MessageTable() const {
    return {tr("Information"), tr("Confirmation"), tr("Warning"), tr("Error")};
}

QLabel* TFormMsg::Label1() const {
    return c_->label1;
}

QPushButton* TFormMsg::Button(int modalResult) const {
    switch (modalResult) {
    case mrOk:
        return c_->ok;
    case mrCancel:
        return c_->cancel;
    case mrYes:
        return c_->yes;
    case mrNo:
        return c_->no;
    default:
        return nullptr;
    }
}

QLabel* TFormMsg::Image(int kind) const {
    return kind >= 0 && kind < 4 ? c_->images[kind] : nullptr;
}

void TFormMsg::ResetLayout() {
    setWindowTitle(QString());
    if (anchor_) {
        const QRect r = anchor_->isWindow()
                            ? anchor_->frameGeometry()
                            : QRect(anchor_->mapToGlobal(QPoint(0, 0)), anchor_->size());
        move(r.x() + r.width() / 3, r.y() + r.height() / 3);
    }
    for (QLabel* img : c_->images)
        img->hide();
    for (QPushButton* b : {c_->ok, c_->cancel, c_->yes, c_->no}) {
        b->hide();
        b->setDefault(false);
    }
    c_->firstFocus = nullptr;
}

int TFormMsg::ShowMsg(const QString& text, int kind, int buttons, bool sound, int focus) {
    // One instance: a second message while one is open must not take it over.
    if (isVisible())
        return mrCancel;

    ResetLayout();
    c_->label1->setText(text);

    if (kind >= mkInformation && kind <= mkError) {
        setWindowTitle(MessageTable().value(kind));
        c_->images[kind]->show();
    } else {
        setWindowTitle(QGuiApplication::applicationDisplayName());
    }

    auto place = [](QPushButton* b, int left) {
        b->move(left, 100);
        b->show();
    };
    switch (buttons) {
    case btnCancel:
        place(c_->cancel, 30);
        c_->firstFocus = c_->cancel;
        break;
    case btnOkCancel:
        place(c_->ok, 30);
        place(c_->cancel, 160);
        c_->ok->setDefault(true);
        c_->firstFocus = c_->cancel;
        break;
    case btnYesNo:
        place(c_->yes, 30);
        place(c_->no, 160);
        c_->firstFocus = focus == mrNo ? c_->no : c_->yes;
        c_->firstFocus->setDefault(true);
        break;
    default: // btnOk and any other value
        place(c_->ok, 30);
        c_->ok->setDefault(true);
        c_->firstFocus = c_->ok;
        break;
    }
    c_->firstFocus->setFocus();

    if (sound)
        QApplication::beep();

    setResult(mrNone);
    return exec();
}

void TFormMsg::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (c_->firstFocus)
        c_->firstFocus->setFocus();
}

void TFormMsg::reject() {
    done(mrCancel);
}

void TFormMsg::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::Cancel)) {
        // Escape answers Cancel where shown and leaves a Yes/No question
        // unanswered, as the close box does (No may lose a report); with OK
        // alone it does nothing.
        if (!c_->cancel->isHidden())
            c_->cancel->click();
        else if (!c_->no->isHidden())
            done(mrCancel);
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}
