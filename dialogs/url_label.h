// A label that is a hyperlink: builds a URL from a kind, an address and the
// mail fields, changes colour under the mouse and opens the URL on a click.
#pragma once

#include <QColor>
#include <QLabel>
#include <QStringList>

#include <functional>

enum TUrlType {
    utCustom = 0,
    utFile = 1,
    utFtp = 2,
    utGopher = 3,
    utHttp = 4,
    utHttps = 5,
    utMail = 6,
    utNews = 7,
    utTelnet = 8,
    utWais = 9
};

class TUrlLabel : public QLabel {
    Q_OBJECT
    Q_PROPERTY(QColor ActiveColor READ ActiveColor WRITE SetActiveColor)
    Q_PROPERTY(QString Bcc READ Bcc WRITE SetBcc)
    Q_PROPERTY(QString Cc READ Cc WRITE SetCc)
    Q_PROPERTY(QString CustomURLType READ CustomURLType WRITE SetCustomURLType)
    Q_PROPERTY(bool DetectMouse READ DetectMouse WRITE SetDetectMouse)
    Q_PROPERTY(QColor InactiveColor READ InactiveColor WRITE SetInactiveColor)
    Q_PROPERTY(QStringList MailBody READ MailBody WRITE SetMailBody)
    Q_PROPERTY(QString MailSubject READ MailSubject WRITE SetMailSubject)
    Q_PROPERTY(bool ShowUrlHint READ ShowUrlHint WRITE SetShowUrlHint)
    Q_PROPERTY(bool UnderlineOnEnter READ UnderlineOnEnter WRITE SetUnderlineOnEnter)
    Q_PROPERTY(int URLType READ URLTypeValue WRITE SetURLTypeValue)
    Q_PROPERTY(QString URL READ URL WRITE SetURL)

public:
    explicit TUrlLabel(QWidget* parent = nullptr);

    QColor ActiveColor() const { return activeColor_; }
    void SetActiveColor(const QColor& c) { activeColor_ = c; }
    QString Bcc() const { return bcc_; }
    void SetBcc(const QString& v);
    QString Cc() const { return cc_; }
    void SetCc(const QString& v);
    QString CustomURLType() const { return customUrlType_; }
    // Does not refresh the hint.
    void SetCustomURLType(const QString& v) { customUrlType_ = v; }
    bool DetectMouse() const { return detectMouse_; }
    void SetDetectMouse(bool on);
    QColor InactiveColor() const { return inactiveColor_; }
    void SetInactiveColor(const QColor& c) { inactiveColor_ = c; }
    QStringList MailBody() const { return mailBody_; }
    void SetMailBody(const QStringList& lines);
    QString MailSubject() const { return mailSubject_; }
    void SetMailSubject(const QString& v);
    bool ShowUrlHint() const { return showUrlHint_; }
    void SetShowUrlHint(bool on);
    bool UnderlineOnEnter() const { return underlineOnEnter_; }
    void SetUnderlineOnEnter(bool on) { underlineOnEnter_ = on; }
    TUrlType URLType() const { return urlType_; }
    void SetURLType(TUrlType t);
    QString URL() const { return url_; }
    void SetURL(const QString& v);

    // The font colour shown now.
    QColor FontColor() const;

    // The full URL: the prefix of URLType, URL and for mail its parameters.
    QString CreateUrl() const;
    // Hands url to the desktop's default browser or mail program; the
    // outcome is not examined.
    virtual void LaunchUrl(const QString& url);
    void Click();

    // When set, LaunchUrl calls this instead of the desktop (tests).
    static std::function<void(const QString&)> LaunchHook;

signals:
    void OnMouseEnter();
    void OnMouseLeave();

protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

    // The label's own reaction to the mouse entering and leaving.
    void CMMouseEnter();
    void CMMouseLeave();

private:
    int URLTypeValue() const { return urlType_; }
    void SetURLTypeValue(int v);
    void SetFontColor(const QColor& c);
    void SetUnderline(bool on);
    void UpdateHint();

    QColor activeColor_;
    QString bcc_;
    QString cc_;
    QString customUrlType_;
    bool detectMouse_ = true;
    QColor inactiveColor_;
    QStringList mailBody_;
    QString mailSubject_;
    bool showUrlHint_ = true;
    bool underlineOnEnter_ = true;
    TUrlType urlType_ = utCustom;
    QString url_;
};
