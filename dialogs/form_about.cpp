#include "dialogs/form_about.h"

#include "dialogs/url_label.h"
#include "platform/picture_loader.h"
#include "platform/version_info.h"
#include "platform/window_style.h"
#include "platform/window_text.h"

#include <QFile>
#include <QFrame>
#include <QLabel>
#include <QPushButton>

#include <algorithm>

TFormAbout* FormAbout = nullptr;

// Resources of a static library are registered by hand; outside any namespace.
static void InitAboutResources() {
    Q_INIT_RESOURCE(form_about);
}

namespace {

constexpr int kBorder = 10;
constexpr int kClientWidth = 740;
constexpr int kClientHeight = 296;

const char* const kHomepage = "www.kaldorian-diagnostics.example";

QLabel* MakeLabel(QWidget* parent, const char* name, int x, int y) {
    auto* label = new QLabel(parent);
    label->setObjectName(QLatin1String(name));
    label->setTextFormat(Qt::PlainText); // version texts come from the program file
    label->move(x, y);
    return label;
}

} // namespace

struct TFormAbout::Controls {
    QWidget* client = nullptr;
    QLabel* Image1 = nullptr;
    QFrame* Panel1 = nullptr;
    QLabel* LabelDescription = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* LabelVersion = nullptr;
    QLabel* LabelCopyright = nullptr;
    QLabel* Label2 = nullptr;
    TUrlLabel* UrlLabel1 = nullptr;
    QLabel* LabelPhone = nullptr;
    QLabel* LabelFax = nullptr;
    QLabel* LabelSales = nullptr;
    QLabel* LabelThank = nullptr;
    QPushButton* BitBtnClose = nullptr;
};

TFormAbout::TFormAbout(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint), c_(new Controls) {
    setObjectName(QStringLiteral("FormAbout"));
    setFixedSize(kClientWidth + 2 * kBorder, kClientHeight + 2 * kBorder);
    setWindowOpacity(250.0 / 255.0);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, WindowStyle::BrandRed());
    pal.setColor(QPalette::WindowText, Qt::black);
    setPalette(pal);
    setFont(WindowStyle::AboutFont(13, true));

    const QStringList table = MessageTable();

    c_->client = new QWidget(this);
    c_->client->setGeometry(kBorder, kBorder, kClientWidth, kClientHeight);

    c_->Image1 = new QLabel(c_->client);
    c_->Image1->setObjectName(QStringLiteral("Image1"));
    c_->Image1->setGeometry(0, 1, 238, 238);
    c_->Image1->setScaledContents(true);
    InitAboutResources();
    QFile pictureFile(QStringLiteral(":/about/product.jpg"));
    QImage picture;
    if (pictureFile.open(QIODevice::ReadOnly) && DecodeJpeg(pictureFile.readAll(), &picture)) {
        c_->Image1->setPixmap(QPixmap::fromImage(picture));
    }

    c_->Panel1 = new QFrame(c_->client);
    c_->Panel1->setObjectName(QStringLiteral("Panel1"));
    c_->Panel1->setGeometry(239, 1, 502, 240);
    c_->Panel1->setFrameStyle(QFrame::Panel | QFrame::Raised);
    c_->Panel1->setLineWidth(1);
    c_->Panel1->setAutoFillBackground(true);
    QPalette panelPal = c_->Panel1->palette();
    panelPal.setColor(QPalette::Window, WindowStyle::PanelFace());
    c_->Panel1->setPalette(panelPal);

    QWidget* panel = c_->Panel1;
    c_->LabelDescription = MakeLabel(panel, "LabelDescription", 29, 19);
    c_->LabelDescription->setFont(WindowStyle::AboutFont(14, true));
    c_->LabelDescription->setText(QStringLiteral("VRX-310"));
    c_->LabelDescription->adjustSize();

    // The table keeps the caption's doubled ampersand; a label without a
    // buddy would show both.
    c_->Label3 = MakeLabel(panel, "Label3", 110, 21);
    c_->Label3->setFont(WindowStyle::AboutFont(12, true));
    c_->Label3->setText(
        QString(table.value(msgTesterKind)).replace(QStringLiteral("&&"), QStringLiteral("&")));
    c_->Label3->adjustSize();

    c_->LabelVersion = MakeLabel(panel, "LabelVersion", 29, 59);
    c_->LabelCopyright = MakeLabel(panel, "LabelCopyright", 146, 59);

    c_->Label2 = MakeLabel(panel, "Label2", 29, 87);
    c_->Label2->setText(tr("homepage:"));
    c_->Label2->adjustSize();

    c_->UrlLabel1 = new TUrlLabel(panel);
    c_->UrlLabel1->setObjectName(QStringLiteral("UrlLabel1"));
    c_->UrlLabel1->move(146, 86);
    c_->UrlLabel1->setFont(WindowStyle::AboutFont(13, true));
    c_->UrlLabel1->SetURLType(utCustom);
    c_->UrlLabel1->SetCustomURLType(QString());
    c_->UrlLabel1->SetURL(QLatin1String(kHomepage));
    c_->UrlLabel1->setText(QLatin1String(kHomepage));
    c_->UrlLabel1->setToolTip(QLatin1String(kHomepage));
    {
        // Design colour blue until the first hover.
        QPalette p = c_->UrlLabel1->palette();
        p.setColor(QPalette::WindowText, Qt::blue);
        c_->UrlLabel1->setPalette(p);
    }
    c_->UrlLabel1->SetDetectMouse(true);
    c_->UrlLabel1->adjustSize();

    c_->LabelPhone = MakeLabel(panel, "LabelPhone", 29, 116);
    c_->LabelFax = MakeLabel(panel, "LabelFax", 29, 132);
    // The sales line may wrap once: it has room up to the thank-you line.
    c_->LabelSales = MakeLabel(panel, "LabelSales", 29, 157);
    c_->LabelSales->setWordWrap(true);
    c_->LabelSales->setFixedWidth(502 - 29 - 8);

    c_->LabelThank = MakeLabel(panel, "LabelThank", 29, 199);
    c_->LabelThank->setText(table.value(msgThankYou));
    c_->LabelThank->adjustSize();

    c_->BitBtnClose = new QPushButton(tr("&Close"), c_->client);
    c_->BitBtnClose->setObjectName(QStringLiteral("BitBtnClose"));
    c_->BitBtnClose->setGeometry(608, 240, 133, 51);
    c_->BitBtnClose->setDefault(true);
    c_->BitBtnClose->setAutoDefault(true);
    connect(c_->BitBtnClose, &QPushButton::clicked, this, [this] { BitBtnCloseClick(); });
}

TFormAbout::~TFormAbout() {
    delete c_;
}

QStringList TFormAbout::MessageTable() const {
    // Indexes are fixed: the German module replaces the texts in this order.
    return {
        tr("electronic compression && leakage tester"),
        tr("version"),
        tr("phone      +49 711 555 310-0"),
        tr("fax          +49 711 555 310-99"),
        tr("For sales or general information please contact  --  "
           "sales@kaldorian-diagnostics.example"),
        tr("Thank you for buying and using our KALDORIAN products!"),
    };
}

void TFormAbout::BitBtnCloseClick() {
    done(1);
}

void TFormAbout::ShowAbout() {
    const QStringList table = MessageTable();
    const VersionStrings none;
    const VersionStrings& v = versions_ != nullptr ? *versions_ : none;
    auto set = [](QLabel* label, const QString& text) {
        label->setText(text);
        label->adjustSize();
    };
    set(c_->LabelVersion,
        table.value(msgVersion) + QStringLiteral(": ") + DiskToQ(GetVersionString(v, 2)));
    set(c_->LabelCopyright, DiskToQ(GetVersionString(v, 4)));
    // A long version or a wide substitute font must not run into the copyright.
    c_->LabelCopyright->move(std::max(146, c_->LabelVersion->geometry().right() + 9), 59);
    set(c_->LabelPhone, table.value(msgPhone));
    set(c_->LabelFax, table.value(msgFax));
    set(c_->LabelSales, table.value(msgSalesContact));

    if (QWidget* anchor = parentWidget()) {
        const QRect frame = anchor->frameGeometry();
        move(frame.center() - QPoint(width() / 2, height() / 2));
    }
    exec();
}
