#include "dialogs/form_msg.h"

#include <QApplication>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTranslator>
#include <QtTest>

#include <functional>

namespace {

const QString kTitle = QStringLiteral("KALDORIAN   VRX-310");
using Places = QList<QPair<int, int>>; // (modal result, left) of the shown buttons

// Answers the dialog the way a user would, once it is open. Should the
// answer leave it open, a guard ends it with -1 so the test fails, not hangs.
void WhenOpen(std::function<void(TFormMsg*)> answer) {
    auto* poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, [poll, answer] {
        auto* d = qobject_cast<TFormMsg*>(QApplication::activeModalWidget());
        if (!d || !d->isVisible())
            return;
        poll->deleteLater();
        poll->stop();
        answer(d);
        QTimer::singleShot(3000, [g = QPointer<TFormMsg>(d)] {
            if (g && g->isVisible())
                g->done(-1);
        });
    });
    poll->start(5);
}

struct Seen {
    QString caption, text;
    QList<int> pictures; // kinds whose picture shows
    Places buttons;      // in tab order
    int focused = 0;
    QPoint pos;
};

Seen Look(TFormMsg* d) {
    Seen s{d->windowTitle(), d->Label1()->text(), {}, {}, 0, d->pos()};
    for (int k = 0; k < 4; ++k)
        if (d->Image(k)->isVisible())
            s.pictures << k;
    for (int r : {mrCancel, mrYes, mrNo, mrOk}) {
        if (d->Button(r)->isVisible())
            s.buttons << qMakePair(r, d->Button(r)->x());
        if (d->focusWidget() == d->Button(r))
            s.focused = r;
    }
    return s;
}

// A key goes where the window system sends it: to the focused control.
void Key(TFormMsg* d, Qt::Key key) {
    QTest::keyClick(d->focusWidget(), key);
}

} // namespace

class TestFormMsg : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QApplication::setApplicationDisplayName(kTitle); }
    void init() { dlg_ = new TFormMsg; }
    void cleanup() { delete dlg_; }
    void kinds_data();
    void kinds();
    void buttonSets_data();
    void buttonSets();
    void keyboardAndCloseBox();
    void consecutiveAndNestedCalls();
    void placementAndFixedSize();
    void germanTranslator();

private:
    TFormMsg* dlg_ = nullptr;
    // Shows a message, answers it with answer, returns the modal result.
    int Run(int kind, int set, std::function<void(TFormMsg*)> answer, Seen* seen = nullptr,
            const QString& text = QStringLiteral("text")) {
        WhenOpen([&](TFormMsg* d) {
            if (seen)
                *seen = Look(d);
            answer(d);
        });
        return dlg_->ShowMsg(text, kind, set, true);
    }
};

void TestFormMsg::kinds_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QList<int>>("pictures");
    for (int k = 0; k < 4; ++k)
        QTest::newRow(QByteArray::number(k).constData())
            << k << QStringList({"Information", "Confirmation", "Warning", "Error"})[k]
            << QList<int>{k};
    QTest::newRow("7") << 7 << kTitle << QList<int>();
    QTest::newRow("-1") << -1 << kTitle << QList<int>();
}

void TestFormMsg::kinds() {
    QFETCH(int, kind);
    QFETCH(QString, caption);
    QFETCH(QList<int>, pictures);
    Seen seen;
    QCOMPARE(Run(
                 kind, btnOk, [](TFormMsg* d) { d->Button(mrOk)->click(); }, &seen,
                 QStringLiteral("No measures available.")),
             int(mrOk));
    QCOMPARE(seen.caption, caption);
    QCOMPARE(seen.text, QStringLiteral("No measures available."));
    QCOMPARE(seen.pictures, pictures);
    QCOMPARE(seen.buttons, (Places{{mrOk, 30}}));
    for (int k : pictures)
        QCOMPARE(dlg_->Image(k)->geometry(), QRect(9, 9, 48, 48));
}

void TestFormMsg::buttonSets_data() {
    QTest::addColumn<int>("set");
    QTest::addColumn<Places>("buttons");
    QTest::addColumn<int>("focused");
    QTest::addColumn<int>("click");
    QTest::newRow("ok") << 0 << Places{{mrOk, 30}} << 1 << 1;
    QTest::newRow("cancel") << 1 << Places{{mrCancel, 30}} << 2 << 2;
    QTest::newRow("ok cancel: ok") << 2 << Places{{mrCancel, 160}, {mrOk, 30}} << 2 << 1;
    QTest::newRow("ok cancel: cancel") << 2 << Places{{mrCancel, 160}, {mrOk, 30}} << 2 << 2;
    QTest::newRow("yes no: yes") << 3 << Places{{mrYes, 30}, {mrNo, 160}} << 6 << 6;
    QTest::newRow("yes no: no") << 3 << Places{{mrYes, 30}, {mrNo, 160}} << 6 << 7;
    QTest::newRow("other set") << 9 << Places{{mrOk, 30}} << 1 << 1;
}

void TestFormMsg::buttonSets() {
    QFETCH(int, set);
    QFETCH(Places, buttons);
    QFETCH(int, focused);
    QFETCH(int, click);
    Seen seen;
    const int result = Run(
        mkConfirmation, set,
        [click](TFormMsg* d) { QTest::mouseClick(d->Button(click), Qt::LeftButton); }, &seen);
    QCOMPARE(result, click);
    QCOMPARE(seen.buttons, buttons);
    QCOMPARE(seen.focused, focused);
    QCOMPARE(dlg_->Button(click)->y(), 100);
    QCOMPARE(dlg_->Button(click)->size(), QSize(110, 30));
}

void TestFormMsg::keyboardAndCloseBox() {
    auto press = [](std::initializer_list<Qt::Key> keys) {
        return [keys](TFormMsg* d) {
            for (Qt::Key k : keys)
                Key(d, k);
        };
    };
    // Escape answers Cancel, also on a Yes/No question (as its close box).
    QCOMPARE(Run(mkConfirmation, btnYesNo, press({Qt::Key_Escape})), int(mrCancel));
    QCOMPARE(Run(mkWarning, btnOkCancel, press({Qt::Key_Escape})), int(mrCancel));
    // With OK alone it does nothing: the dialog stays open until OK.
    bool stillOpen = false;
    QCOMPARE(Run(mkError, btnOk,
                 [&](TFormMsg* d) {
                     Key(d, Qt::Key_Escape);
                     QApplication::processEvents();
                     stillOpen = d->isVisible();
                     d->Button(mrOk)->click();
                 }),
             int(mrOk));
    QVERIFY(stillOpen);

    // Enter presses the focused button (Cancel, although OK is the default);
    // Tab walks Cancel, Yes, No, OK over the shown ones.
    QCOMPARE(Run(mkWarning, btnOkCancel, press({Qt::Key_Return})), int(mrCancel));
    QCOMPARE(Run(mkWarning, btnOkCancel, press({Qt::Key_Tab, Qt::Key_Enter})), int(mrOk));
    QCOMPARE(Run(mkConfirmation, btnYesNo, press({Qt::Key_Return})), int(mrYes));
    QCOMPARE(Run(mkConfirmation, btnYesNo, press({Qt::Key_Tab, Qt::Key_Return})), int(mrNo));

    // The title-bar close box answers 2 whatever the set.
    for (int set : {btnOk, btnCancel, btnOkCancel, btnYesNo})
        QCOMPARE(Run(mkConfirmation, set, [](TFormMsg* d) { d->close(); }), int(mrCancel));
}

void TestFormMsg::consecutiveAndNestedCalls() {
    Seen first, second, third;
    QCOMPARE(Run(
                 mkError, btnYesNo, [](TFormMsg* d) { d->Button(mrNo)->click(); }, &first),
             int(mrNo));
    QCOMPARE(first.pictures, QList<int>{3});
    // The next call starts from the reset state: no picture or button is left over.
    Run(
        mkInformation, btnOk, [](TFormMsg* d) { d->close(); }, &second);
    QCOMPARE(second.pictures, QList<int>{0});
    QCOMPARE(second.buttons, (Places{{mrOk, 30}}));
    QCOMPARE(second.focused, int(mrOk));
    Run(
        99, btnCancel, [](TFormMsg* d) { d->close(); }, &third);
    QVERIFY(third.pictures.isEmpty());
    QCOMPARE(third.buttons, (Places{{mrCancel, 30}}));

    // A message while one is open is refused with 2 and leaves the open one alone.
    int nested = -1;
    Seen during;
    QCOMPARE(Run(mkConfirmation, btnYesNo,
                 [&](TFormMsg* d) {
                     nested = d->ShowMsg(QStringLiteral("inner"), mkError, btnOk, false);
                     during = Look(d);
                     d->Button(mrYes)->click();
                 }),
             int(mrYes));
    QCOMPARE(nested, int(mrCancel));
    QCOMPARE(during.text, QStringLiteral("text"));
    QCOMPARE(during.pictures, QList<int>{1});
    QCOMPARE(during.buttons, (Places{{mrYes, 30}, {mrNo, 160}}));
}

void TestFormMsg::placementAndFixedSize() {
    // Without an anchor the dialog stays where it is.
    dlg_->move(57, 61);
    Seen seen;
    Run(
        mkInformation, btnOk, [](TFormMsg* d) { d->close(); }, &seen);
    QCOMPARE(seen.pos, QPoint(57, 61));

    QWidget anchor;
    dlg_->SetPlacementAnchor(&anchor);
    for (QRect g : {QRect(100, 90, 602, 455), QRect(40, 30, 300, 301)}) {
        anchor.setGeometry(g);
        anchor.show();
        QVERIFY(QTest::qWaitForWindowExposed(&anchor));
        QTRY_COMPARE(anchor.geometry(), g);
        const QRect f = anchor.frameGeometry();
        Run(
            mkInformation, btnOk, [](TFormMsg* d) { d->close(); }, &seen);
        QCOMPARE(seen.pos, QPoint(f.x() + f.width() / 3, f.y() + f.height() / 3));
    }

    // A text far too long for the label is cut off; nothing grows.
    QString text;
    for (int i = 0; i < 60; ++i)
        text += QStringLiteral("Do you really want change sensor? ");
    QSize size;
    Run(
        mkWarning, btnOkCancel, [&](TFormMsg* d) { size = d->size(), d->close(); }, nullptr, text);
    QCOMPARE(size, QSize(300, 140));
    QCOMPARE(dlg_->Label1()->geometry(), QRect(84, 6, 210, 80));
    QVERIFY(dlg_->Label1()->heightForWidth(210) > 80);
}

void TestFormMsg::germanTranslator() {
    struct German : QTranslator {
        QString translate(const char* context, const char* source, const char*,
                          int) const override {
            static const QHash<QString, QString> de = {
                {"Confirmation", "Bestätigung"}, {"Warning", "Warnung"}, {"Error", "Fehler"},
                {"Cancel", "Abbrechen"},         {"&Yes", "&Ja"},        {"&No", "&Nein"}};
            return qstrcmp(context, "TFormMsg") ? QString() : de.value(QLatin1String(source));
        }
        bool isEmpty() const override { return false; }
    } de;
    QVERIFY(QCoreApplication::installTranslator(&de));
    TFormMsg created; // created with German installed, as at start-up
    QCOMPARE(created.MessageTable(),
             QStringList({"Information", "Bestätigung", "Warnung", "Fehler"}));
    QCOMPARE(created.Button(mrCancel)->text(), QStringLiteral("Abbrechen"));
    QCOMPARE(created.Button(mrYes)->text(), QStringLiteral("&Ja"));
    // An existing window follows a language change (it arrives through the queue).
    QTRY_COMPARE(dlg_->Button(mrNo)->text(), QStringLiteral("&Nein"));
    Seen seen;
    Run(
        mkWarning, btnYesNo, [](TFormMsg* d) { d->close(); }, &seen);
    QCOMPARE(seen.caption, QStringLiteral("Warnung"));
    QCoreApplication::removeTranslator(&de);
    QTRY_COMPARE(dlg_->Button(mrNo)->text(), QStringLiteral("&No"));
}

QTEST_MAIN(TestFormMsg)
#include "test_form_msg.moc"
