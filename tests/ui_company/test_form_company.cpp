// The company details dialog and the main window's logo, through the real
// main window's "Company" action.
#include "tests/common/modal_script.h"
#include "tests/platform/jpeg_writer.h"
#include "tests/ui_main/main_window_fixture.h"

#include "dialogs/form_company.h"
#include "settings/profile_text.h"

#include <QAction>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

namespace {

QString WriteBitmap(const QTemporaryDir& dir, const QString& name, const QColor& colour) {
    QImage image(60, 40, QImage::Format_RGB32);
    image.fill(colour);
    const QString path = dir.filePath(name);
    return image.save(path, "BMP") ? path : QString();
}

QString WriteJpeg(const QTemporaryDir& dir, const QString& name, const QColor& colour) {
    QImage image(60, 40, QImage::Format_RGB32);
    image.fill(colour);
    const QString path = dir.filePath(name);
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(EncodeJpeg(image)) <= 0)
        return {};
    return path;
}

// The colour in the middle of a picture; JPEG may shift it a little.
bool Shows(const QImage& picture, const QColor& colour) {
    if (picture.isNull())
        return false;
    const QColor c = picture.pixelColor(picture.width() / 2, picture.height() / 2);
    return qAbs(c.red() - colour.red()) < 12 && qAbs(c.green() - colour.green()) < 12 &&
           qAbs(c.blue() - colour.blue()) < 12;
}

std::string Stored(const MainWindowFixture& fx, const char* key) {
    return ProfileText(fx.SettingsBytes().toStdString())
        .Value("Company", key)
        .value_or("(missing)");
}

// What the open dialog shows.
struct Seen {
    QImage picture;
    QString path;
    bool valid = false;
};

Seen Look() {
    return {FormCompany->LogoPicture(), FormCompany->LabeledEditFirmenlogo->text(),
            FormCompany->LogoValid()};
}

// Picks file in the logo file dialog.
void Pick(ModalScript& script, const QString& file) {
    script.On(FormCompany, [](QWidget*) { FormCompany->VerzAuftruf->click(); });
    script.ChooseInFileDialog(file);
}

const QColor Green(0, 160, 0);
const QColor Blue(0, 0, 220);

} // namespace

class TestFormCompany : public QObject {
    Q_OBJECT
private slots:
    void noLogoEverShowsTheDefaultPicture();
    void aDeletedLogoKeepsItsPathOnOk();
    void anUnreadablePickBringsBackTheStoredLogo();
    void cancelAfterChoosingANewLogoChangesNothing();
    void aCancelledSecondChoiceKeepsTheFirst();
    void emptiedFieldsAreStoredEmpty();
};

void TestFormCompany::noLogoEverShowsTheDefaultPicture() {
    MainWindowFixture fx;
    fx.Start();
    const QImage def = FormCompany->DefaultPicture();
    QVERIFY(!def.isNull());
    QCOMPARE(FormMain->LogoPicture(), def);

    Seen seen;
    QStringList filters;
    ModalScript script;
    script.On(FormCompany, [&](QWidget*) {
        seen = Look();
        filters = {FormCompany->PictureDialog()->nameFilters().value(3),
                   FormCompany->PictureDialog()->selectedNameFilter()};
        FormCompany->LabeledEditName->setText(QStringLiteral("Müller & Söhne"));
        QTest::keyClicks(FormCompany->LabeledEditCity, QStringLiteral("12345 Musterstadt"));
        // Enter accepts.
        QTest::keyClick(FormCompany->LabeledEditCity, Qt::Key_Return);
    });
    FormMain->ActionSettingsCompany->trigger();
    QVERIFY(!script.TimedOut());
    QCOMPARE(script.Pending(), 0);

    QCOMPARE(seen.picture, def);
    QCOMPARE(seen.path, QString());
    QVERIFY(!seen.valid);
    QCOMPARE(filters.value(0), QStringLiteral("All supported files (*.jpg *.jpeg *.bmp)"));
    QCOMPARE(filters.value(1), filters.value(0));
    // Single bytes on disk; only the changed keys written.
    QCOMPARE(Stored(fx, "Name"), std::string("M\xFCller & S\xF6hne"));
    QCOMPARE(FormMain->Company().Name, std::string("M\xFCller & S\xF6hne"));
    QCOMPARE(Stored(fx, "City"), std::string("12345 Musterstadt"));
    QCOMPARE(Stored(fx, "Website"), std::string("(missing)"));
    QCOMPARE(Stored(fx, "VerzFirmenlogo"), std::string("(missing)"));
    QCOMPARE(FormMain->LogoPicture(), def);
}

void TestFormCompany::aDeletedLogoKeepsItsPathOnOk() {
    QTemporaryDir pictures;
    const QString logo = WriteBitmap(pictures, QStringLiteral("logo.bmp"), Green);
    QVERIFY(!logo.isEmpty());
    MainWindowFixture fx;
    fx.WriteSettings(
        QStringLiteral("[Company]\r\nName=Werkstatt\r\nVerzFirmenlogo=%1\r\n").arg(logo));
    QVERIFY(QFile::remove(logo));
    fx.Start();
    QCOMPARE(FormMain->LogoPicture(), FormCompany->DefaultPicture());

    Seen seen;
    ModalScript script;
    script.On(FormCompany, [&](QWidget*) {
        seen = Look();
        FormCompany->BitBtn1->click();
    });
    FormMain->ActionSettingsCompany->trigger();
    QVERIFY(!script.TimedOut());

    QCOMPARE(seen.picture, FormCompany->DefaultPicture());
    QCOMPARE(seen.path, logo);
    QVERIFY(!seen.valid);
    QCOMPARE(QString::fromStdString(Stored(fx, "VerzFirmenlogo")), logo);
    QCOMPARE(QString::fromStdString(FormMain->Company().VerzFirmenlogo), logo);
    QCOMPARE(FormMain->LogoPicture(), FormCompany->DefaultPicture());
}

void TestFormCompany::anUnreadablePickBringsBackTheStoredLogo() {
    QTemporaryDir pictures;
    const QString logo = WriteBitmap(pictures, QStringLiteral("logo.bmp"), Green);
    const QString text = pictures.filePath(QStringLiteral("notes.jpg"));
    {
        QFile f(text);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("not a picture\n");
    }
    // A picture whose path has no single-byte form cannot be stored.
    const QString foreign = WriteBitmap(pictures, QStringLiteral("логотип.bmp"), Blue);
    QVERIFY(!foreign.isEmpty());
    MainWindowFixture fx;
    fx.WriteSettings(QStringLiteral("[Company]\r\nVerzFirmenlogo=%1\r\n").arg(logo));
    fx.Start();
    QVERIFY(Shows(FormMain->LogoPicture(), Green));

    Seen afterText, afterForeign;
    ModalScript script;
    Pick(script, text);
    script.On(FormCompany, [&](QWidget*) { afterText = Look(); });
    Pick(script, foreign);
    script.On(FormCompany, [&](QWidget*) {
        afterForeign = Look();
        FormCompany->BitBtn1->click();
    });
    FormMain->ActionSettingsCompany->trigger();
    QVERIFY(!script.TimedOut());
    QCOMPARE(script.Pending(), 0);
    QCOMPARE(script.Boxes(), QStringList(2, QStringLiteral("File or filepath not guilty.")));
    QVERIFY(Shows(afterText.picture, Green));
    QCOMPARE(afterText.path, logo);
    QVERIFY(afterText.valid);
    QVERIFY(Shows(afterForeign.picture, Green));
    QCOMPARE(afterForeign.path, logo);
    QCOMPARE(QString::fromStdString(Stored(fx, "VerzFirmenlogo")), logo);

    // Without a stored logo to go back to: the default picture, whose
    // name is shown but never stored.
    QVERIFY(QFile::remove(logo));
    Seen fallback;
    Pick(script, text);
    script.On(FormCompany, [&](QWidget*) {
        fallback = Look();
        FormCompany->BitBtn1->click();
    });
    FormMain->ActionSettingsCompany->trigger();
    QVERIFY(!script.TimedOut());
    QCOMPARE(script.Boxes().size(), 3);
    QCOMPARE(fallback.picture, FormCompany->DefaultPicture());
    QCOMPARE(fallback.path, QStringLiteral("Default Picture"));
    QVERIFY(!fallback.valid);
    QCOMPARE(QString::fromStdString(Stored(fx, "VerzFirmenlogo")), logo);
    QCOMPARE(FormMain->LogoPicture(), FormCompany->DefaultPicture());
}

void TestFormCompany::cancelAfterChoosingANewLogoChangesNothing() {
    QTemporaryDir pictures;
    const QString logo = WriteBitmap(pictures, QStringLiteral("logo.bmp"), Green);
    const QString jpeg = WriteJpeg(pictures, QStringLiteral("new.jpg"), Blue);
    QVERIFY(!jpeg.isEmpty());
    MainWindowFixture fx;
    fx.WriteSettings(
        QStringLiteral("[Company]\r\nName=Werkstatt\r\nVerzFirmenlogo=%1\r\n").arg(logo));
    fx.Start();
    const QByteArray before = fx.SettingsBytes();

    Seen chosen;
    ModalScript script;
    Pick(script, jpeg);
    script.On(FormCompany, [&](QWidget*) {
        chosen = Look();
        FormCompany->LabeledEditName->setText(QStringLiteral("Other"));
        FormCompany->move(66, 44);
        // Escape cancels.
        QTest::keyClick(FormCompany->LabeledEditName, Qt::Key_Escape);
    });
    FormMain->ActionSettingsCompany->trigger();
    QVERIFY(!script.TimedOut());
    QCOMPARE(script.Pending(), 0);
    QVERIFY(Shows(chosen.picture, Blue));
    QCOMPARE(chosen.path, jpeg);
    QVERIFY(chosen.valid);

    QCOMPARE(FormMain->Company().Name, std::string("Werkstatt"));
    QCOMPARE(QString::fromStdString(FormMain->Company().VerzFirmenlogo), logo);
    QVERIFY(Shows(FormMain->LogoPicture(), Green));
    // Only the dialog's position was added to the file.
    QByteArray after = fx.SettingsBytes();
    QVERIFY(after.contains("x=66\r\ny=44\r\n"));
    after.replace("x=66\r\ny=44\r\n", "");
    QCOMPARE(after, before);
}

void TestFormCompany::aCancelledSecondChoiceKeepsTheFirst() {
    QTemporaryDir pictures;
    const QString logo = WriteBitmap(pictures, QStringLiteral("logo.bmp"), Green);
    const QString jpeg = WriteJpeg(pictures, QStringLiteral("new.jpeg"), Blue);
    MainWindowFixture fx;
    fx.WriteSettings(QStringLiteral("[Company]\r\nVerzFirmenlogo=%1\r\n").arg(logo));
    fx.Start();

    Seen afterCancel;
    ModalScript script;
    Pick(script, jpeg);
    script.On(FormCompany, [](QWidget*) { FormCompany->VerzAuftruf->click(); });
    script.OnA<QFileDialog>([](QFileDialog* d) { d->reject(); });
    script.On(FormCompany, [&](QWidget*) {
        afterCancel = Look();
        FormCompany->BitBtn1->click();
    });
    FormMain->ActionSettingsCompany->trigger();
    QVERIFY(!script.TimedOut());
    QCOMPARE(script.Pending(), 0);
    QVERIFY(Shows(afterCancel.picture, Blue));
    QCOMPARE(afterCancel.path, jpeg);
    QVERIFY(afterCancel.valid);
    QCOMPARE(QString::fromStdString(Stored(fx, "VerzFirmenlogo")), jpeg);
    QVERIFY(Shows(FormMain->LogoPicture(), Blue));
}

void TestFormCompany::emptiedFieldsAreStoredEmpty() {
    QTemporaryDir pictures;
    const QString logo = WriteBitmap(pictures, QStringLiteral("logo.bmp"), Green);
    MainWindowFixture fx;
    fx.WriteSettings(QStringLiteral("[Company]\r\nName=M\xFCller\r\nAddress=Hauptstr. 1\r\n"
                                    "City=12345 Musterstadt\r\nPhone=0123\r\nFax=0124\r\n"
                                    "Email=info@example.org\r\nWebsite=www.example.org\r\n"
                                    "VerzFirmenlogo=%1\r\n")
                         .arg(logo));
    fx.Start();

    QString shownName;
    ModalScript script;
    script.On(FormCompany, [&](QWidget*) {
        shownName = FormCompany->LabeledEditName->text();
        for (QLineEdit* e : {FormCompany->LabeledEditName, FormCompany->LabeledEditStreet,
                             FormCompany->LabeledEditCity, FormCompany->LabeledEditPhone,
                             FormCompany->LabeledEditFax, FormCompany->LabeledEditEmail,
                             FormCompany->LabeledEditWebsite})
            e->clear();
        FormCompany->BitBtn1->click();
    });
    FormMain->ActionSettingsCompany->trigger();
    QVERIFY(!script.TimedOut());
    QCOMPARE(shownName, QStringLiteral("Müller"));
    for (const char* key : {"Name", "Address", "City", "Phone", "Fax", "Email", "Website"})
        QVERIFY2(Stored(fx, key).empty(), key);
    QCOMPARE(QString::fromStdString(Stored(fx, "VerzFirmenlogo")), logo);
    const CompanyDetails& c = FormMain->Company();
    QVERIFY(c.Name.empty() && c.Address.empty() && c.City.empty() && c.Phone.empty() &&
            c.Fax.empty() && c.Email.empty() && c.Website.empty());
}

QTEST_MAIN(TestFormCompany)
#include "test_form_company.moc"
