// The German language module held against the built-in English texts of all
// six windows: same message table indexes, nothing left English or empty,
// the language marks, and texts that fit where the English ones fit.
#include "tests/german/german_texts.h"
#include "tests/ui_main/main_window_fixture.h"

#include "app/main/main_window.h"
#include "dialogs/form_about.h"
#include "dialogs/form_change_sens.h"
#include "dialogs/form_company.h"
#include "dialogs/form_msg.h"
#include "dialogs/form_names.h"

#include <QDialog>
#include <QFile>
#include <QLabel>
#include <QTest>
#include <QTimer>
#include <QTranslator>
#include <QXmlStreamReader>

namespace {

struct Capture {
    MessageTables Tables;
    QList<ShownText> Texts;
    QString LanguageMark;
    QList<QLabel*> MessageLabels;
};

QString Describe(const ShownText& t) {
    return t.Where + QStringLiteral(": \"") + t.Text + QLatin1Char('"');
}

} // namespace

class TestGermanWindows : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void messageTablesKeepTheirIndexes();
    void languageMarksChooseTheGermanTexts();
    void everyCaptionAndHintIsGerman();
    void germanTextsFitWhereEnglishDo();
    void germanMessagesFitTheMessageDialog();
    void everyTranslationIsFinishedAndKeepsItsMarks();

private:
    // Starts the six windows with or without the module and gathers what
    // they show: the About box while it is open, the other dialogs shown
    // without waiting, so that their controls have their real sizes.
    Capture Run(bool german);

    QTranslator module_;
    Capture english_;
    Capture german_;
};

void TestGermanWindows::initTestCase() {
    QVERIFY2(module_.load(QStringLiteral(VRX_GERMAN_MODULE)), VRX_GERMAN_MODULE);
    english_ = Run(false);
    german_ = Run(true);
    QVERIFY(!english_.Texts.isEmpty());
}

Capture TestGermanWindows::Run(bool german) {
    if (german)
        QCoreApplication::installTranslator(&module_);
    Capture c;
    {
        MainWindowFixture fx;
        fx.Start();
        c.Tables = AllMessageTables();
        c.LanguageMark = FormMain->StatusText(2);
        c.Texts = WindowTexts(FormMain) + MenuTexts(FormMain);

        QTimer::singleShot(0, FormAbout, [&c] {
            c.Texts += WindowTexts(FormAbout);
            FormAbout->BitBtnCloseClick();
        });
        FormAbout->ShowAbout();

        for (QDialog* d :
             {static_cast<QDialog*>(FormCompany), static_cast<QDialog*>(FormMsg),
              static_cast<QDialog*>(FormNames), static_cast<QDialog*>(FormChangeSens)}) {
            d->show();
            if (!QTest::qWaitForWindowExposed(d))
                qWarning("%s was not shown", d->metaObject()->className());
            c.Texts += WindowTexts(d);
            d->hide();
        }
    }
    if (german)
        QCoreApplication::removeTranslator(&module_);
    return c;
}

void TestGermanWindows::messageTablesKeepTheirIndexes() {
    const MessageTables& en = english_.Tables;
    const MessageTables& de = german_.Tables;
    QCOMPARE(de.Names, en.Names);
    for (int t = 0; t < en.Tables.size(); ++t) {
        const QStringList& e = en.Tables[t];
        const QStringList& g = de.Tables[t];
        QVERIFY2(!e.isEmpty(), qPrintable(en.Names[t]));
        QVERIFY2(g.size() == e.size(),
                 qPrintable(QStringLiteral("%1: %2 German entries, %3 English")
                                .arg(en.Names[t])
                                .arg(g.size())
                                .arg(e.size())));
        for (int i = 0; i < e.size(); ++i) {
            const QString at =
                QStringLiteral("%1 entry %2 \"%3\"").arg(en.Names[t]).arg(i).arg(e[i]);
            // An entry kept empty stays empty: its index is only reserved.
            QVERIFY2(g[i].isEmpty() == e[i].isEmpty(), qPrintable(at + " -> \"" + g[i] + "\""));
            // The module itself carries the entry: a text the same in both
            // languages is still a translation, not a gap in the module.
            if (!e[i].isEmpty())
                QVERIFY2(!module_.translate(qPrintable(en.Contexts[t]), qPrintable(e[i])).isEmpty(),
                         qPrintable(at + " is missing from the module"));
        }
    }
}

void TestGermanWindows::languageMarksChooseTheGermanTexts() {
    QCOMPARE(english_.LanguageMark, QStringLiteral("en"));
    QCOMPARE(german_.LanguageMark, QStringLiteral("de"));

    const int sens = english_.Tables.Names.indexOf(QStringLiteral("TFormChangeSens"));
    QVERIFY(sens >= 0);
    const QStringList& de = german_.Tables.Tables[sens];
    QCOMPARE(de.value(1), QStringLiteral("DEU"));
    QCOMPARE(de.value(4), QStringLiteral("DEU"));
    // The marks pick the window's two built-in German texts.
    QVERIFY(TFormChangeSens::HintText(de.value(1))
                .startsWith(QStringLiteral("Bitte w\u00e4hlen Sie die Sensordatei aus.")));
    QVERIFY(TFormChangeSens::WarningText(de.value(4))
                .contains(QStringLiteral("Die Sensordaten werden nun \u00fcberschrieben.")));
}

void TestGermanWindows::everyCaptionAndHintIsGerman() {
    const QList<ShownText>& en = english_.Texts;
    const QList<ShownText>& de = german_.Texts;
    QCOMPARE(de.size(), en.size());
    QStringList english;
    for (int i = 0; i < en.size(); ++i) {
        QCOMPARE(de[i].Where, en[i].Where);
        if (de[i].Text == en[i].Text && !LanguageNeutral(en[i].Text))
            english << Describe(en[i]);
    }
    QVERIFY2(english.isEmpty(), qPrintable(QStringLiteral("still English:\n  ") +
                                           english.join(QStringLiteral("\n  "))));
    // The windows show something worth checking: the menus, the buttons of
    // every dialog.
    for (const char* where : {"menu item ActionDeviceRead", "TFormNames/BitBtnAdd text",
                              "TFormCompany/BitBtn2 text", "TFormChangeSens/BitBtnSensChange text",
                              "TFormAbout/BitBtnClose text", "TFormMsg/BitBtnYes text"}) {
        bool found = false;
        for (const ShownText& t : de)
            found = found || t.Where == QLatin1String(where);
        QVERIFY2(found, where);
    }
}

void TestGermanWindows::germanTextsFitWhereEnglishDo() {
    const QList<ShownText>& en = english_.Texts;
    const QList<ShownText>& de = german_.Texts;
    QCOMPARE(de.size(), en.size());
    QStringList cut;
    for (int i = 0; i < en.size(); ++i)
        if (en[i].Fits && !de[i].Fits)
            cut << Describe(de[i]) + QStringLiteral(" ") + de[i].Why;
    QVERIFY2(cut.isEmpty(), qPrintable(QStringLiteral("German text does not fit:\n  ") +
                                       cut.join(QStringLiteral("\n  "))));
}

void TestGermanWindows::germanMessagesFitTheMessageDialog() {
    // The main window's questions and reports, as its message dialog shows
    // them in its fixed 300 x 140 window.
    const QList<int> shown = {3, 5, 6, 7, 9, 10, 12, 13, 28, 29, 30, 32};
    QCoreApplication::installTranslator(&module_);
    MainWindowFixture fx;
    fx.Start();
    QCoreApplication::removeTranslator(&module_);
    QCOMPARE(FormMain->StatusText(2), QStringLiteral("de"));
    QLabel* label = FormMsg->Label1();
    QVERIFY(label->wordWrap());
    const QFontMetrics metrics(label->font());
    for (int index : shown) {
        const QString text = FormMain->MessageText(index);
        QVERIFY(!text.isEmpty());
        const QRect needed = metrics.boundingRect(QRect(0, 0, label->width(), 10000),
                                                  Qt::TextWordWrap | int(label->alignment()), text);
        QVERIFY2(needed.height() <= label->height() && needed.width() <= label->width(),
                 qPrintable(QStringLiteral("message %1 \"%2\" needs %3 x %4 of %5 x %6")
                                .arg(index)
                                .arg(text)
                                .arg(needed.width())
                                .arg(needed.height())
                                .arg(label->width())
                                .arg(label->height())));
    }
}

namespace {

// Mnemonic marks: single '&' before a letter; "&&" is a plain ampersand.
int Mnemonics(const QString& text) {
    int n = 0;
    for (int i = 0; i + 1 < text.size(); ++i) {
        if (text[i] == QLatin1Char('&')) {
            if (text[i + 1] != QLatin1Char('&'))
                ++n;
            ++i;
        }
    }
    return n;
}

int LeadingBlanks(const QString& s) {
    int n = 0;
    while (n < s.size() && s[n] == QLatin1Char(' '))
        ++n;
    return n;
}

int TrailingBlanks(const QString& s) {
    int n = 0;
    while (n < s.size() && s[s.size() - 1 - n] == QLatin1Char(' '))
        ++n;
    return n;
}

} // namespace

void TestGermanWindows::everyTranslationIsFinishedAndKeepsItsMarks() {
    // The translation source itself, also for texts no window shows at once
    // (file dialog titles, error reports).
    QFile file(QStringLiteral(VRX_GERMAN_TS));
    QVERIFY2(file.open(QIODevice::ReadOnly), VRX_GERMAN_TS);
    QXmlStreamReader xml(&file);
    QString context, source;
    int messages = 0;
    QStringList faults;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() == QLatin1String("name")) {
            context = xml.readElementText();
        } else if (xml.name() == QLatin1String("source")) {
            source = xml.readElementText();
        } else if (xml.name() == QLatin1String("translation")) {
            const QString type = xml.attributes().value(QLatin1String("type")).toString();
            const QString text = xml.readElementText();
            ++messages;
            const QString at = context + QStringLiteral(" \"") + source + QStringLiteral("\": ");
            if (!type.isEmpty())
                faults << at + type;
            else if (text.isEmpty() != source.isEmpty())
                faults << at + QStringLiteral("empty");
            else if (Mnemonics(text) != Mnemonics(source) ||
                     text.count(QStringLiteral("&&")) != source.count(QStringLiteral("&&")))
                faults << at + QStringLiteral("\"") + text +
                              QStringLiteral("\" changes the & marks");
            else if (LeadingBlanks(text) != LeadingBlanks(source) ||
                     TrailingBlanks(text) != TrailingBlanks(source))
                // Texts put together with a value rely on their blanks.
                faults << at + QStringLiteral("\"") + text +
                              QStringLiteral("\" changes the outer blanks");
        }
    }
    QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
    QVERIFY(messages > 100);
    QVERIFY2(faults.isEmpty(), qPrintable(faults.join(QLatin1Char('\n'))));
}

QTEST_MAIN(TestGermanWindows)
#include "test_german_windows.moc"
