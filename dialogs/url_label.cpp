#include "dialogs/url_label.h"

#include "platform/window_style.h"

#include <QDesktopServices>
#include <QEnterEvent>
#include <QMouseEvent>
#include <QUrl>

std::function<void(const QString&)> TUrlLabel::LaunchHook;

namespace {

const char* const kPrefixes[] = {"",         "file://", "ftp://", "gopher://", "http://",
                                 "https://", "mailto:", "news:",  "telnet:",   "wais:"};

} // namespace

TUrlLabel::TUrlLabel(QWidget* parent)
    : QLabel(parent), activeColor_(Qt::blue), inactiveColor_(QColor(0, 0, 128)) {
    QFont f = font();
    f.setFamily(WindowStyle::LinkFamily());
    setFont(f);
    SetFontColor(QColor(0, 0, 128));
    setCursor(Qt::PointingHandCursor);
}

void TUrlLabel::SetBcc(const QString& v) {
    bcc_ = v;
    UpdateHint();
}

void TUrlLabel::SetCc(const QString& v) {
    cc_ = v;
    UpdateHint();
}

void TUrlLabel::SetMailBody(const QStringList& lines) {
    mailBody_ = lines;
    UpdateHint();
}

void TUrlLabel::SetMailSubject(const QString& v) {
    mailSubject_ = v;
    UpdateHint();
}

void TUrlLabel::SetURLType(TUrlType t) {
    urlType_ = t;
    UpdateHint();
}

void TUrlLabel::SetURLTypeValue(int v) {
    if (v >= utCustom && v <= utWais) {
        SetURLType(static_cast<TUrlType>(v));
    }
}

void TUrlLabel::SetURL(const QString& v) {
    url_ = v;
    UpdateHint();
}

void TUrlLabel::SetShowUrlHint(bool on) {
    showUrlHint_ = on;
    if (on) {
        setToolTip(CreateUrl());
    } else if (toolTip() == CreateUrl()) {
        setToolTip(QString()); // a hint written by hand stays
    }
}

void TUrlLabel::SetDetectMouse(bool on) {
    detectMouse_ = on;
    // A label that does not react to the mouse shows it is a link all the time.
    SetUnderline(!on);
}

void TUrlLabel::UpdateHint() {
    if (showUrlHint_) {
        setToolTip(CreateUrl());
    }
}

QString TUrlLabel::CreateUrl() const {
    QString result =
        urlType_ == utCustom ? customUrlType_ : QString::fromLatin1(kPrefixes[urlType_]);
    result += url_;
    if (urlType_ != utMail) {
        return result;
    }
    QString body;
    for (const QString& line : mailBody_) {
        body += line + QStringLiteral("\r\n");
    }
    body.replace(QStringLiteral("\r\n"), QStringLiteral("%0D%0A"));
    QStringList parts;
    if (!mailSubject_.isEmpty()) {
        parts << QStringLiteral("Subject=") + mailSubject_;
    }
    if (!body.isEmpty()) {
        parts << QStringLiteral("Body=") + body;
    }
    if (!bcc_.isEmpty()) {
        parts << QStringLiteral("Bcc=") + bcc_;
    }
    if (!cc_.isEmpty()) {
        parts << QStringLiteral("Cc=") + cc_;
    }
    if (!parts.isEmpty()) {
        result += QLatin1Char('?') + parts.join(QLatin1Char('&'));
    }
    return result;
}

void TUrlLabel::LaunchUrl(const QString& url) {
    if (LaunchHook) {
        LaunchHook(url);
        return;
    }
    // An address without a scheme ("www.example") is taken as a web address.
    const QUrl target = QUrl::fromUserInput(url);
    if (target.isValid()) {
        QDesktopServices::openUrl(target);
    }
}

void TUrlLabel::Click() {
    LaunchUrl(CreateUrl());
}

QColor TUrlLabel::FontColor() const {
    return palette().color(QPalette::WindowText);
}

void TUrlLabel::SetFontColor(const QColor& c) {
    QPalette p = palette();
    p.setColor(QPalette::WindowText, c);
    setPalette(p);
}

void TUrlLabel::SetUnderline(bool on) {
    QFont f = font();
    f.setUnderline(on);
    setFont(f);
}

// Colour and underline change; other styles (the About box link is bold)
// survive the hover.
void TUrlLabel::CMMouseEnter() {
    if (!detectMouse_) {
        return;
    }
    SetFontColor(activeColor_);
    if (underlineOnEnter_) {
        SetUnderline(true);
    }
}

void TUrlLabel::CMMouseLeave() {
    if (!detectMouse_) {
        return;
    }
    SetFontColor(inactiveColor_);
    SetUnderline(false);
}

void TUrlLabel::enterEvent(QEnterEvent* event) {
    CMMouseEnter();
    QLabel::enterEvent(event);
    emit OnMouseEnter();
}

void TUrlLabel::leaveEvent(QEvent* event) {
    CMMouseLeave();
    QLabel::leaveEvent(event);
    emit OnMouseLeave();
}

void TUrlLabel::mouseReleaseEvent(QMouseEvent* event) {
    QLabel::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
        Click();
    }
}
