#include "dialogs/form_company.h"

#include "dialogs/start_folder.h"
#include "platform/picture_loader.h"
#include "platform/screen_fit.h"
#include "platform/window_style.h"
#include "platform/window_text.h"
#include "settings/settings_file.h"

#include <QEvent>
#include <QFileDialog>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QStyle>
#include <QToolButton>

TFormCompany* FormCompany = nullptr;

namespace {

// The settings file holds single bytes: a path that cannot be written in
// them would name another file when it is read back.
bool SurvivesSettings(const QString& path) {
    return DiskToQ(QToDisk(path)) == path;
}

} // namespace

TFormCompany::TFormCompany(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("FormCompany"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(519, 317);
    setWindowOpacity(250.0 / 255.0);
    setFont(WindowStyle::UiFont());
    QPalette pal = palette();
    pal.setColor(QPalette::Window, WindowStyle::BrandRed());
    pal.setColor(QPalette::WindowText, WindowStyle::PanelFace());
    setPalette(pal);
    setAutoFillBackground(true);

    // A labelled edit: its caption above the field.
    int labelIndex = 0;
    auto labelled = [this, &labelIndex](const char* name, int left, int top, int width) {
        auto* label = new QLabel(this);
        label->setGeometry(left, top, width, 16);
        auto* edit = new QLineEdit(this);
        edit->setObjectName(QLatin1String(name));
        edit->setGeometry(left, top + 16, width, 21);
        label->setBuddy(edit);
        captions_[labelIndex++] = label;
        return edit;
    };
    LabeledEditName = labelled("LabeledEditName", 8, 8, 265);
    LabeledEditStreet = labelled("LabeledEditStreet", 8, 52, 265);
    LabeledEditCity = labelled("LabeledEditCity", 8, 96, 265);
    LabeledEditPhone = labelled("LabeledEditPhone", 8, 140, 129);
    LabeledEditFax = labelled("LabeledEditFax", 144, 140, 129);
    LabeledEditEmail = labelled("LabeledEditEmail", 8, 184, 265);
    LabeledEditWebsite = labelled("LabeledEditWebsite", 8, 228, 265);
    LabeledEditFirmenlogo = labelled("LabeledEditFirmenlogo", 284, 206, 210);
    LabeledEditFirmenlogo->setReadOnly(true);

    FirmenlogoPic = new QLabel(this);
    FirmenlogoPic->setObjectName(QStringLiteral("FirmenlogoPic"));
    FirmenlogoPic->setGeometry(284, 8, 230, 192);
    FirmenlogoPic->setAlignment(Qt::AlignCenter);

    VerzAuftruf = new QToolButton(this);
    VerzAuftruf->setObjectName(QStringLiteral("VerzAuftruf"));
    VerzAuftruf->setGeometry(494, 221, 25, 23);
    VerzAuftruf->setIcon(WindowStyle::StandardIcon(QStyle::SP_DirOpenIcon));
    connect(VerzAuftruf, &QToolButton::clicked, this, &TFormCompany::VerzAuftrufClick);

    BitBtn1 = new QPushButton(this);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setGeometry(284, 276, 110, 30);
    BitBtn1->setIcon(WindowStyle::StandardIcon(QStyle::SP_DialogOkButton));
    BitBtn1->setDefault(true);
    connect(BitBtn1, &QPushButton::clicked, this, [this] { done(1); });
    BitBtn2 = new QPushButton(this);
    BitBtn2->setObjectName(QStringLiteral("BitBtn2"));
    BitBtn2->setGeometry(404, 276, 110, 30);
    BitBtn2->setIcon(WindowStyle::StandardIcon(QStyle::SP_DialogCancelButton));
    connect(BitBtn2, &QPushButton::clicked, this, [this] { done(2); });

    // The widget dialog, not the platform's: the same everywhere, and a
    // test can answer it.
    pictureFolder_ = DefaultFileFolder();

    Image1 = DefaultLogoPicture();
    ShowLogo(Image1);
    RetranslateUi();
}

void TFormCompany::RetranslateUi() {
    setWindowTitle(tr("Company"));
    const QString captions[8] = {tr("&Name"), tr("&Address"), tr("&City"),   tr("&Phone"),
                                 tr("&Fax"),  tr("Email"),    tr("Website"), tr("Company logo")};
    for (int i = 0; i < 8; ++i)
        captions_[i]->setText(captions[i]);
    FirmenlogoPic->setToolTip(tr("Place for your company logo."));
    LabeledEditFirmenlogo->setToolTip(
        tr("Please select your company logo. Supported files: jpeg; jpg; bmp;"));
    BitBtn1->setText(tr("OK"));
    BitBtn2->setText(tr("Cancel"));
    const QStringList filters = {tr("JPEG-graphic file (*.jpg)"), tr("JPEG-graphic file (*.jpeg)"),
                                 tr("Bitmaps (*.bmp)"),
                                 tr("All supported files (*.jpg *.jpeg *.bmp)")};
    if (OpenPictureDialog1 != nullptr) {
        OpenPictureDialog1->setNameFilters(filters);
        OpenPictureDialog1->selectNameFilter(filters[3]);
    }
}

QFileDialog* TFormCompany::PictureDialog() {
    if (OpenPictureDialog1 == nullptr) {
        OpenPictureDialog1 = new QFileDialog(this);
        OpenPictureDialog1->setObjectName(QStringLiteral("OpenPictureDialog1"));
        OpenPictureDialog1->setOption(QFileDialog::DontUseNativeDialog);
        OpenPictureDialog1->setFileMode(QFileDialog::ExistingFile);
        OpenPictureDialog1->setAcceptMode(QFileDialog::AcceptOpen);
        OpenPictureDialog1->setDirectory(pictureFolder_);
        RetranslateUi();
    }
    return OpenPictureDialog1;
}

void TFormCompany::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange)
        RetranslateUi();
    QDialog::changeEvent(event);
}

QStringList TFormCompany::MessageTable() const {
    return {tr("File or filepath not guilty."), tr("Default Picture")};
}

void TFormCompany::ShowLogo(const QImage& picture) {
    logo_ = picture;
    if (logo_.isNull()) {
        FirmenlogoPic->clear();
        return;
    }
    // Centred; a larger picture shrinks to fit, keeping its proportions.
    QImage shown = logo_;
    if (shown.width() > FirmenlogoPic->width() || shown.height() > FirmenlogoPic->height())
        shown = shown.scaled(FirmenlogoPic->size(), Qt::KeepAspectRatio, Qt::SmoothTransformation);
    FirmenlogoPic->setPixmap(QPixmap::fromImage(shown));
}

bool TFormCompany::LoadLogo(const QString& path) {
    QImage picture;
    if (path.isEmpty() || !LoadPictureFile(path, &picture))
        return false;
    ShowLogo(picture);
    return true;
}

bool TFormCompany::EditCompany(CompanyDetails& details) {
    // 1. The stored logo, else the record's, else the default picture.
    const std::string stored =
        settings_ ? settings_->ReadString("Company", "VerzFirmenlogo", "") : std::string();
    if (LoadLogo(DiskToQ(stored))) {
        logoValid_ = true;
    } else if (LoadLogo(DiskToQ(details.VerzFirmenlogo))) {
        logoValid_ = true;
    } else {
        ShowLogo(Image1);
        logoValid_ = false;
    }
    // 2.
    const WindowPosition pos =
        settings_ ? ReadWindowPosition(*settings_, "Company") : WindowPosition{};
    ScreenFit::MoveToStoredPosition(this, QPoint(pos.X, pos.Y));
    // 3. The path field shows the record's path, also under the default picture.
    LabeledEditName->setText(DiskToQ(details.Name));
    LabeledEditStreet->setText(DiskToQ(details.Address));
    LabeledEditCity->setText(DiskToQ(details.City));
    LabeledEditPhone->setText(DiskToQ(details.Phone));
    LabeledEditFax->setText(DiskToQ(details.Fax));
    LabeledEditEmail->setText(DiskToQ(details.Email));
    LabeledEditWebsite->setText(DiskToQ(details.Website));
    LabeledEditFirmenlogo->setText(DiskToQ(details.VerzFirmenlogo));
    LabeledEditName->setFocus();
    // 4.
    setResult(0);
    const bool accepted = exec() == 1;
    // 5.
    if (accepted) {
        details.Name = QToDisk(LabeledEditName->text());
        details.Address = QToDisk(LabeledEditStreet->text());
        details.City = QToDisk(LabeledEditCity->text());
        details.Phone = QToDisk(LabeledEditPhone->text());
        details.Fax = QToDisk(LabeledEditFax->text());
        details.Email = QToDisk(LabeledEditEmail->text());
        details.Website = QToDisk(LabeledEditWebsite->text());
        if (logoValid_)
            details.VerzFirmenlogo = QToDisk(LabeledEditFirmenlogo->text());
    }
    // 6.
    if (settings_)
        WriteWindowPosition(*settings_, "Company", WindowPosition{x(), y()});
    return accepted;
}

void TFormCompany::VerzAuftrufClick() {
    // A cancelled choice changes nothing: a logo chosen and loaded earlier
    // in this opening is still stored on OK.
    if (PictureDialog()->exec() != QDialog::Accepted ||
        OpenPictureDialog1->selectedFiles().isEmpty())
        return;
    const QString path = OpenPictureDialog1->selectedFiles().constFirst();
    LabeledEditFirmenlogo->setText(path);
    if (SurvivesSettings(path) && LoadLogo(path)) {
        logoValid_ = true;
        return;
    }

    QMessageBox box(QMessageBox::NoIcon, QGuiApplication::applicationDisplayName(),
                    MessageTable().value(msgFileNotGuilty), QMessageBox::Ok, this);
    box.setTextFormat(Qt::PlainText);
    box.exec();

    // Back to the stored logo, else the default picture, whose name is
    // never stored.
    const QString stored =
        DiskToQ(settings_ ? settings_->ReadString("Company", "VerzFirmenlogo", "") : std::string());
    if (LoadLogo(stored)) {
        LabeledEditFirmenlogo->setText(stored);
        logoValid_ = true;
    } else {
        ShowLogo(Image1);
        LabeledEditFirmenlogo->setText(MessageTable().value(msgDefaultPicture));
        logoValid_ = false;
    }
}

void TFormCompany::reject() {
    done(2);
}
