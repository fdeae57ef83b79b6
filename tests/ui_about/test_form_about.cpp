#include "dialogs/form_about.h"
#include "dialogs/url_label.h"
#include "platform/version_info.h"

#include <QApplication>
#include <QEnterEvent>
#include <QFontDatabase>
#include <QLabel>
#include <QMainWindow>
#include <QMouseEvent>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

namespace {

const QColor kNavy(0, 0, 128);

void Enter(QWidget* w) {
    QEnterEvent e(QPointF(2, 2), QPointF(2, 2), w->mapToGlobal(QPointF(2, 2)));
    QApplication::sendEvent(w, &e);
}

void Leave(QWidget* w) {
    QEvent e(QEvent::Leave);
    QApplication::sendEvent(w, &e);
}

void Release(QWidget* w, QPoint at, Qt::MouseButton button = Qt::LeftButton) {
    QMouseEvent e(QEvent::MouseButtonRelease, QPointF(at), w->mapToGlobal(QPointF(at)), button,
                  Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

// The label's whole text is visible in its rectangle.
bool TextFits(const QLabel* label) {
    if (label == nullptr) {
        return false;
    }
    const int flags = label->wordWrap() ? int(Qt::TextWordWrap) : 0;
    const QRect need =
        label->fontMetrics().boundingRect(QRect(0, 0, label->width(), 10000), flags, label->text());
    return need.width() <= label->width() && need.height() <= label->height();
}

// Answers the next modal box the way a user would; counts the answers.
struct ModalAnswer {
    int answered = 0;
    QString shownVersion;

    void ClickClose() {
        QTimer::singleShot(0, [this] {
            QWidget* modal = QApplication::activeModalWidget();
            if (modal == nullptr) {
                return; // the test then hangs into its time limit and fails
            }
            if (auto* label = modal->findChild<QLabel*>(QStringLiteral("LabelVersion"))) {
                shownVersion = label->text(); // what the user sees while it is open
            }
            auto* button = modal->findChild<QPushButton*>(QStringLiteral("BitBtnClose"));
            QVERIFY(button != nullptr);
            ++answered;
            button->click();
        });
    }

    void PressEnter() {
        QTimer::singleShot(0, [this] {
            QWidget* modal = QApplication::activeModalWidget();
            if (modal == nullptr) {
                return;
            }
            ++answered;
            QTest::keyClick(modal, Qt::Key_Return);
        });
    }
};

} // namespace

class TestFormAbout : public QObject {
    Q_OBJECT

private slots:
    void init() {
        TUrlLabel::LaunchHook = [this](const QString& url) { launched_ << url; };
    }
    void cleanup() {
        TUrlLabel::LaunchHook = nullptr;
        launched_.clear();
    }

    void newLabelDefaults() {
        TUrlLabel l;
        QCOMPARE(l.FontColor(), kNavy);
        QCOMPARE(l.cursor().shape(), Qt::PointingHandCursor);
        const bool tahoma = QFontDatabase::families().contains(QStringLiteral("Tahoma"));
        QCOMPARE(l.font().family(), tahoma ? QStringLiteral("Tahoma") : QStringLiteral("Arial"));
        QVERIFY(!l.font().underline());
    }

    void createUrl_data() {
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("custom");
        QTest::addColumn<QString>("url");
        QTest::addColumn<QString>("subject");
        QTest::addColumn<QStringList>("body");
        QTest::addColumn<QString>("bcc");
        QTest::addColumn<QString>("cc");
        QTest::addColumn<QString>("expected");

        const QStringList none;
        QTest::newRow("mail body lines") << int(utMail) << ""
                                         << "someone"
                                         << "" << QStringList{"x", "y"} << ""
                                         << ""
                                         << "mailto:someone?Body=x%0D%0Ay%0D%0A";
        QTest::newRow("mail subject and cc") << int(utMail) << ""
                                             << "someone"
                                             << "s" << none << ""
                                             << "c"
                                             << "mailto:someone?Subject=s&Cc=c";
        QTest::newRow("mail all four in order")
            << int(utMail) << ""
            << "a@b"
            << "Hi there" << QStringList{"l1"} << "x@y"
            << "c@d"
            << "mailto:a@b?Subject=Hi there&Body=l1%0D%0A&Bcc=x@y&Cc=c@d";
        QTest::newRow("mail bcc only") << int(utMail) << ""
                                       << "a"
                                       << "" << none << "b"
                                       << ""
                                       << "mailto:a?Bcc=b";
        QTest::newRow("mail nothing else") << int(utMail) << ""
                                           << "a"
                                           << "" << none << ""
                                           << ""
                                           << "mailto:a";
        QTest::newRow("mail empty body line") << int(utMail) << ""
                                              << "a"
                                              << "" << QStringList{""} << ""
                                              << ""
                                              << "mailto:a?Body=%0D%0A";
        QTest::newRow("mail line with its own break") << int(utMail) << ""
                                                      << "a"
                                                      << "" << QStringList{"p\r\nq", "r\ns"} << ""
                                                      << ""
                                                      << "mailto:a?Body=p%0D%0Aq%0D%0Ar\ns%0D%0A";
        QTest::newRow("mail nothing encoded") << int(utMail) << ""
                                              << "a b"
                                              << "50% & more?" << none << ""
                                              << ""
                                              << "mailto:a b?Subject=50% & more?";
        QTest::newRow("ftp") << int(utFtp) << ""
                             << "files"
                             << "" << none << ""
                             << ""
                             << "ftp://files";
        QTest::newRow("mail fields ignored for http") << int(utHttp) << ""
                                                      << "h"
                                                      << "s" << none << "b"
                                                      << "c"
                                                      << "http://h";
        QTest::newRow("custom, empty prefix") << int(utCustom) << ""
                                              << "www.example.test"
                                              << "" << none << ""
                                              << ""
                                              << "www.example.test";
        QTest::newRow("custom prefix") << int(utCustom) << "callto:"
                                       << "123"
                                       << "" << none << ""
                                       << ""
                                       << "callto:123";
    }

    void createUrl() {
        QFETCH(int, type);
        QFETCH(QString, custom);
        QFETCH(QString, url);
        QFETCH(QString, subject);
        QFETCH(QStringList, body);
        QFETCH(QString, bcc);
        QFETCH(QString, cc);
        QFETCH(QString, expected);
        TUrlLabel l;
        l.SetURLType(static_cast<TUrlType>(type));
        l.SetCustomURLType(custom);
        l.SetURL(url);
        l.SetMailSubject(subject);
        l.SetMailBody(body);
        l.SetBcc(bcc);
        l.SetCc(cc);
        QCOMPARE(l.CreateUrl(), expected);
        QCOMPARE(l.toolTip(), expected); // the hint follows while ShowUrlHint is on

        // A click hands exactly that text on.
        l.resize(50, 20);
        Release(&l, QPoint(5, 5));
        QCOMPARE(launched_, QStringList{expected});
    }

    void hintFollowsOnlyWhileShowUrlHintIsOn() {
        TUrlLabel l;
        l.SetURLType(utHttp);
        l.SetURL(QStringLiteral("a"));
        QCOMPARE(l.toolTip(), QStringLiteral("http://a"));

        // The custom prefix does not refresh the hint.
        l.SetURLType(utCustom);
        QCOMPARE(l.toolTip(), QStringLiteral("a"));
        l.SetCustomURLType(QStringLiteral("x:"));
        QCOMPARE(l.toolTip(), QStringLiteral("a"));
        l.SetURL(QStringLiteral("b"));
        QCOMPARE(l.toolTip(), QStringLiteral("x:b"));

        // Off: a hint equal to the URL goes, changes no longer reach it.
        l.SetShowUrlHint(false);
        QCOMPARE(l.toolTip(), QString());
        l.SetURL(QStringLiteral("c"));
        l.SetMailSubject(QStringLiteral("s"));
        QCOMPARE(l.toolTip(), QString());

        // On again: the hint is the full URL at once.
        l.SetShowUrlHint(true);
        QCOMPARE(l.toolTip(), QStringLiteral("x:c"));

        // A hint written by hand survives switching off.
        l.setToolTip(QStringLiteral("my own words"));
        l.SetShowUrlHint(false);
        QCOMPARE(l.toolTip(), QStringLiteral("my own words"));
        l.SetURL(QStringLiteral("d"));
        QCOMPARE(l.toolTip(), QStringLiteral("my own words"));
    }

    void hoverChangesColourAndUnderlineOnly() {
        TUrlLabel l;
        QFont bold = l.font();
        bold.setBold(true);
        l.setFont(bold);
        l.SetActiveColor(Qt::red);
        l.SetInactiveColor(Qt::darkGreen);

        QStringList order;
        connect(&l, &TUrlLabel::OnMouseEnter, this, [&] {
            // raised after the label's own reaction
            order << QStringLiteral("enter %1 %2")
                         .arg(l.FontColor().name())
                         .arg(l.font().underline());
        });
        connect(&l, &TUrlLabel::OnMouseLeave, this, [&] {
            order << QStringLiteral("leave %1 %2")
                         .arg(l.FontColor().name())
                         .arg(l.font().underline());
        });

        Enter(&l);
        QCOMPARE(l.FontColor(), QColor(Qt::red));
        QVERIFY(l.font().underline());
        QVERIFY(l.font().bold());
        Leave(&l);
        QCOMPARE(l.FontColor(), QColor(Qt::darkGreen));
        QVERIFY(!l.font().underline());
        QVERIFY(l.font().bold());
        QCOMPARE(order, (QStringList{QStringLiteral("enter #ff0000 1"),
                                     QStringLiteral("leave #008000 0")}));

        l.SetUnderlineOnEnter(false);
        Enter(&l);
        QCOMPARE(l.FontColor(), QColor(Qt::red));
        QVERIFY(!l.font().underline());
    }

    void withoutDetectMouseTheLabelIsAlwaysUnderlined() {
        TUrlLabel l;
        l.SetDetectMouse(false);
        QVERIFY(l.font().underline());
        const QColor before = l.FontColor();
        Enter(&l);
        QCOMPARE(l.FontColor(), before);
        QVERIFY(l.font().underline());
        Leave(&l);
        QCOMPARE(l.FontColor(), before);
        QVERIFY(l.font().underline());

        l.SetDetectMouse(true);
        QVERIFY(!l.font().underline());
    }

    void onlyALeftReleaseOverTheLabelClicks() {
        TUrlLabel l;
        l.SetURLType(utHttps);
        l.SetURL(QStringLiteral("x"));
        l.resize(40, 16);
        Release(&l, QPoint(50, 5)); // dragged off the label
        Release(&l, QPoint(5, 5), Qt::RightButton);
        QVERIFY(launched_.isEmpty());
        Release(&l, QPoint(39, 15));
        QCOMPARE(launched_, QStringList{QStringLiteral("https://x")});
    }

    void showAboutFillsTheLinesAndClosesWithOne() {
        QMainWindow main;
        main.setGeometry(100, 80, 1150, 800);
        TFormAbout about(&main);
        VersionStrings v;
        v.Strings[2] = "1.0.0.0";
        v.Strings[4] = "\xA9 2026 KALDORIAN GmbH"; // Windows-1252 bytes
        about.SetVersionStrings(&v);

        ModalAnswer answer;
        answer.ClickClose();
        about.ShowAbout();
        QCOMPARE(answer.answered, 1);
        QCOMPARE(about.result(), 1);
        QCOMPARE(answer.shownVersion, QStringLiteral("version: 1.0.0.0"));

        auto text = [&about](const char* name) {
            auto* label = about.findChild<QLabel*>(QLatin1String(name));
            return label ? label->text() : QStringLiteral("<missing %1>").arg(QLatin1String(name));
        };
        const QStringList table = about.MessageTable();
        QCOMPARE(table.size(), 6);
        QCOMPARE(text("LabelVersion"), QStringLiteral("version: 1.0.0.0"));
        QCOMPARE(text("LabelCopyright"), QStringLiteral("\u00A9 2026 KALDORIAN GmbH"));
        QCOMPARE(text("LabelDescription"), QStringLiteral("VRX-310"));
        QCOMPARE(text("Label3"), QStringLiteral("electronic compression & leakage tester"));
        QCOMPARE(text("Label2"), QStringLiteral("homepage:"));
        QCOMPARE(text("LabelPhone"), table[2]);
        QCOMPARE(text("LabelFax"), table[3]);
        QCOMPARE(text("LabelSales"), table[4]);
        QVERIFY(table[2].startsWith(QStringLiteral("phone ")));
        QVERIFY(table[3].startsWith(QStringLiteral("fax ")));
        QVERIFY(table[4].startsWith(
            QStringLiteral("For sales or general information please contact  --  ")));
        QCOMPARE(text("LabelThank"),
                 QStringLiteral("Thank you for buying and using our KALDORIAN products!"));

        // Nothing overlaps or runs out of the panel, whatever font stands in
        // for Tahoma.
        auto rect = [&about](const char* name) {
            auto* w = about.findChild<QWidget*>(QLatin1String(name));
            return w ? w->geometry() : QRect();
        };
        const QRect panel(QPoint(0, 0), rect("Panel1").size());
        QVERIFY(rect("LabelVersion").right() < rect("LabelCopyright").left());
        QVERIFY(panel.contains(rect("LabelCopyright")));
        QVERIFY(panel.contains(rect("LabelSales")));
        for (const char* name : {"LabelVersion", "LabelCopyright", "LabelSales", "LabelThank"}) {
            QVERIFY2(TextFits(about.findChild<QLabel*>(QLatin1String(name))), name);
        }
        QVERIFY(rect("LabelSales").bottom() < rect("LabelThank").top());
        QVERIFY(panel.contains(rect("LabelThank")));

        // Centred over the main window (to a pixel of rounding).
        const QPoint offset = about.geometry().center() - main.frameGeometry().center();
        QVERIFY2(offset.manhattanLength() <= 2,
                 qPrintable(QStringLiteral("off by %1,%2").arg(offset.x()).arg(offset.y())));

        // The link opens the maker's site as it is written.
        auto* link = about.findChild<TUrlLabel*>(QStringLiteral("UrlLabel1"));
        QVERIFY(link != nullptr);
        QCOMPARE(link->text(), link->URL());
        QCOMPARE(link->toolTip(), link->URL());
        QVERIFY(!link->URL().contains(QStringLiteral("://")));
        link->Click();
        QCOMPARE(launched_, QStringList{link->URL()});
    }

    void aboutWithoutVersionShowsAnEmptyVersionAndEnterCloses() {
        TFormAbout about;
        VersionStrings empty;
        about.SetVersionStrings(&empty);
        ModalAnswer answer;
        answer.PressEnter();
        about.ShowAbout();
        QCOMPARE(answer.answered, 1);
        QCOMPARE(about.result(), 1);
        QCOMPARE(about.findChild<QLabel*>(QStringLiteral("LabelVersion"))->text(),
                 QStringLiteral("version: "));
        QCOMPARE(about.findChild<QLabel*>(QStringLiteral("LabelCopyright"))->text(), QString());

        // Reopening refills the lines.
        VersionStrings v;
        v.Strings[2] = "10.20.300.4000";
        about.SetVersionStrings(&v);
        answer.ClickClose();
        about.ShowAbout();
        QCOMPARE(answer.answered, 2);
        QCOMPARE(about.findChild<QLabel*>(QStringLiteral("LabelVersion"))->text(),
                 QStringLiteral("version: 10.20.300.4000"));
        QVERIFY(about.findChild<QLabel*>(QStringLiteral("LabelVersion"))->geometry().right() <
                about.findChild<QLabel*>(QStringLiteral("LabelCopyright"))->geometry().left());
    }

    void productPictureIsShown() {
        TFormAbout about;
        auto* image = about.findChild<QLabel*>(QStringLiteral("Image1"));
        QVERIFY(image != nullptr);
        QCOMPARE(image->pixmap().size(), QSize(238, 238));
        QCOMPARE(image->size(), QSize(238, 238));
    }

private:
    QStringList launched_;
};

QTEST_MAIN(TestFormAbout)
#include "test_form_about.moc"
